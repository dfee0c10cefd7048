// Whole jobs through the program: picture file in, printer stream out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "job_fixture.h"
#include "printer_stream.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

std::string pgm(int width, int height, unsigned char level)
{
    return "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
           std::string(static_cast<size_t>(width) * height, static_cast<char>(level));
}

// The stream of a job without options for a black 100 x 50 picture.
std::string default_black_job()
{
    std::string s = default_setup + "\x1b[1v\x1b[0;1;0x\x1b[3k";
    for (int line = 0; line < 120; ++line)
        s += "\x1b[0;1;1x\x1b[3j\x1b[30;30;240.r" + std::string(30, '\xff');
    return s + "\f\x1b<";
}

bool contains(const std::vector<std::string>& commands, const std::string& command)
{
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

}  // namespace

TEST(PrintJob, DefaultJobFromFileAndFromStandardInput)
{
    TempDir dir;
    write_file(dir.file("black.pgm"), pgm(100, 50, 0));
    ProgramResult from_file = run_program(PIXLANE_BIN, {"-in", dir.file("black.pgm")});
    EXPECT_EQ(from_file.status, 0);
    EXPECT_EQ(from_file.err, "");
    EXPECT_EQ(from_file.out, default_black_job());

    TempDir tmp;
    ProgramResult from_stdin = run_program(PIXLANE_BIN, {}, pgm(100, 50, 0), {{"TMPDIR", tmp.path()}});
    EXPECT_EQ(from_stdin.status, 0);
    EXPECT_EQ(from_stdin.out, default_black_job());
    EXPECT_TRUE(tmp.entries().empty());

    ProgramResult to_file = run_program(PIXLANE_BIN, {"-in", dir.file("black.pgm"), "-out", dir.file("job.prn")});
    EXPECT_EQ(to_file.status, 0);
    EXPECT_EQ(to_file.out, "");
    EXPECT_EQ(read_file(dir.file("job.prn")), default_black_job());
}

TEST(PrintJob, OptionsReachThePrinterStream)
{
    const struct {
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } cases[] = {
        {{"-ps", "100x150"}, {"ESC[80;2834;4251p"}},
        {{"-ps", "b7"}, {"ESC[13p", "ESC[11622a"}},   // unknown: A3R, 420 mm wide
        {{"-ps", "lt"}, {"ESC[30p"}},
        {{"-pu", "2=1"}, {"ESC[2q"}},
        {{"-cp", "150"}, {"ESC[99v", "ESC[51v"}},
        {{"-r", "600"}, {"ESC[75;75;600.r"}},
        {{"-sp", "1"}, {"ESC[3e"}},
        {{"-x", "3.528"}, {"ESC[44j"}},       // 100 units: 44 left of the page start
        {{"-y", "20"}, {"ESC[422e"}},         // 566 units: 422 below the page start
        {{"-pm", "10", "5", "30", "5"}, {"ESC[283e", "ESC[850a", "ESC[7993e", "ESC[4960a"}},
        {{"-po", "1"}, {"ESC[15;15;240.r"}},   // 100 x 50 turned: 50 wide
        {{"-fi", "0"}, {"ESC[237;237;240.r"}},  // frame width 1889 dots
        {{"-xs", "50", "-ys", "200"}, {"ESC[15;15;240.r"}},
    };
    TempDir dir;
    write_file(dir.file("gray.pgm"), pgm(100, 50, 128));
    for (const auto& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-in", dir.file("gray.pgm")});
        ProgramResult r = run_program(PIXLANE_BIN, args);
        EXPECT_EQ(r.status, 0) << c.options[0];
        const PrinterStream stream = parse_printer_stream(r.out);
        EXPECT_EQ(stream.error, "") << c.options[0];
        for (const auto& command : c.expected)
            EXPECT_TRUE(contains(stream.commands, command)) << c.options[0] << " " << command;
        ASSERT_GE(stream.commands.size(), 2u);
        EXPECT_EQ(stream.commands.back(), "ESC<");
    }
}

TEST(PrintJob, FailedPageOrOutputEndsWithItsError)
{
    TempDir dir;
    write_file(dir.file("black.pgm"), pgm(100, 50, 0));
    // An impossible page is refused with its cause before anything is written.
    const std::string too_large = "the page is too large for the printer (at most 65536 dots a line and "
                                  "4294967296 dots a page)";
    const std::string bad_scale = "the scale must be a finite positive number";
    const struct {
        std::vector<std::string> options;
        std::string message;
    } impossible[] = {
        {{"-xs", "1e12"}, too_large},
        {{"-xs", "300000000"}, too_large},
        {{"-r", "1e308"}, too_large},
        {{"-ys", "nan"}, bad_scale},
        {{"-xs", "0"}, bad_scale},
        {{"-r", "0"}, "the resolution must be a positive number of dots per inch"},
    };
    ProgramResult r;
    for (const auto& c : impossible) {
        std::vector<std::string> args = {"-in", dir.file("black.pgm")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        r = run_program(PIXLANE_BIN, args);
        EXPECT_EQ(r.status, 1) << c.options[0];
        EXPECT_EQ(r.err, "pixlane: " + c.message + "\n");
        EXPECT_EQ(r.out, "");
    }
    // The largest page within the bound still prints.
    r = run_program(PIXLANE_BIN, {"-in", dir.file("black.pgm"), "-xs", "273", "-ys", "0.1"});
    EXPECT_EQ(r.status, 0);

    r = run_program(PIXLANE_BIN, {"-in", dir.file("black.pgm"), "-out", "/dev/full"});
    EXPECT_EQ(r.status, ENOSPC);
    EXPECT_EQ(r.err, std::string("pixlane: ") + strerror(ENOSPC) + "\n");
}

TEST(PrintJob, BitmapAndSamplePictures)
{
    TempDir dir;
    // A 16 x 2 bitmap: left half black.
    write_file(dir.file("half.pbm"), std::string("P4\n16 2\n\xff\x00\xff\x00", 12));
    ProgramResult bitmap = run_program(PIXLANE_BIN, {"-in", dir.file("half.pbm"), "-r", "100"});
    EXPECT_EQ(bitmap.status, 0);
    const PrinterStream bits = parse_printer_stream(bitmap.out);
    ASSERT_EQ(bits.rows.size(), 2u);
    EXPECT_EQ(bits.rows[0], (std::vector<unsigned char>{0xff, 0x00}));

    ProgramResult sample = run_program(PIXLANE_BIN, {"-in", std::string(SAMPLES_DIR) + "/sample.pgm"});
    EXPECT_EQ(sample.status, 0);
    const PrinterStream stream = parse_printer_stream(sample.out);
    EXPECT_EQ(stream.error, "");
    EXPECT_FALSE(stream.rows.empty());
    ASSERT_GE(stream.commands.size(), 2u);
    EXPECT_EQ(stream.commands[stream.commands.size() - 2], "FF");
}
