// The spooler filters run as the spooler runs them, next to the pixlane and
// textlane jobs they stand for.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "printer_stream.h"
#include "spooler_fixture.h"
#include "temp_dir.h"
#include "viewed_job.h"

namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> split(const std::string& words)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < words.size()) {
        size_t end = words.find(' ', start);
        if (end == std::string::npos)
            end = words.size();
        out.push_back(words.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace

TEST(ImageToLane, PrintsWhatPixlanePrintsWithTheMappedWords)
{
    const struct {
        const char* format;
        int width, height;
        const char* copies;
        const char* options;
        const char* words;
        Lines pages;
        bool cut = false;   // larger than the page: pixlane's dots on the sheet, none beyond
    } cases[] = {
        {"PPM", 40, 30, "1", "", "-cp 1 -la 2", {"PAGE: 1 1"}},
        {"JPEG", 40, 30, "1", "media=A5 landscape Resolution=300dpi fit-to-page",
         "-cp 1 -ps A5 -po 1 -r 300 -fi 0 -la 2", {"PAGE: 1 1"}},
        // 20 inches wide at its own size: automatic scaling fits it.
        {"GIF", 2000, 100, "150", "", "-cp 150 -fi 0 -la 2", {"PAGE: 1 99", "PAGE: 1 51"}},
        {"TIFF", 40, 30, "1", "print-scaling=fill", "-cp 1 -fi 1 -la 2", {"PAGE: 1 1"}, true},
        {"PGM", 20, 40, "1", "print-scaling=fill Resolution=300dpi", "-cp 1 -r 300 -fi 2 -la 2", {"PAGE: 1 1"}, true},
        // 15 x 20 inches at its own size: beyond the sheet on every side.
        {"PGM", 1500, 2000, "2", "print-scaling=none landscape Halftoning=Bayer", "-cp 2 -po 1 -di 2 -la 2",
         {"PAGE: 1 2"}, true},
        {"PPM", 40, 30, "1", "natural-scaling=150 Halftoning=Bayer gamma=1500 nosuch=1",
         "-cp 1 -gm 1.5 -di 2 -xs 150 -ys 150 -la 2", {"PAGE: 1 1"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string file = dir.file(std::string("picture.") + c.format);
        write_file(file, picture_bytes(c.format, c.width, c.height));
        const FilterRun run = run_filter(IMAGETOLANE_BIN, c.copies, c.options, file);
        EXPECT_EQ(run.result.status, 0) << run.result.err;
        EXPECT_EQ(run.words, split(c.words)) << c.options;
        EXPECT_EQ(run.lines("PAGE:"), c.pages) << c.options;
        EXPECT_TRUE(run.lines("ERROR:").empty()) << run.result.err;
        const std::string direct = direct_stream(PIXLANE_BIN, run.words, file);
        const ViewedJob job = view(run.result.out);
        EXPECT_TRUE(raster_on_sheets(job)) << c.options;   // so at most a sheet of dots a page
        if (!c.cut) {
            EXPECT_EQ(run.result.out, direct) << c.format << " " << c.options;
        } else {
            EXPECT_TRUE(job.pages.at(0).picture.bits == view(direct).pages.at(0).picture.bits) << c.options;
        }
    }
}

TEST(ImageToLane, ScalingIsAShareOfThePictureFittedToThePage)
{
    TempDir dir;
    const std::string file = dir.file("picture.ppm");
    write_file(file, picture_bytes("PPM", 40, 30));
    const FilterRun fitted = run_filter(IMAGETOLANE_BIN, "1", "fit-to-page", file);
    const FilterRun half = run_filter(IMAGETOLANE_BIN, "1", "scaling=50 fit-to-page", file);
    EXPECT_EQ(half.result.out, direct_stream(PIXLANE_BIN, half.words, file));
    const PrinterStream full_page = parse_printer_stream(fitted.result.out);
    const PrinterStream half_page = parse_printer_stream(half.result.out);
    ASSERT_FALSE(full_page.rows.empty());
    ASSERT_FALSE(half_page.rows.empty());
    EXPECT_NEAR(double(half_page.rows.size()), full_page.rows.size() / 2.0, 1.0);
    EXPECT_NEAR(double(half_page.rows[0].size()), full_page.rows[0].size() / 2.0, 1.0);
}

TEST(TextToLane, PrintsWhatTextlanePrintsInEveryEncoding)
{
    const struct {
        const char* encoding;
        const char* options;
        const char* words;
    } cases[] = {
        {"EUC-JP", "cpi=12 media=B5", "-cp 2 -ps B5 -fs 12 12 -fc 0"},
        {"SHIFT_JIS", "lpi=8", "-cp 2 -ls 9 -fc 1"},
        {"ISO-2022-JP", "landscape", "-cp 2 -po 1 -fc 2"},
        {"UTF-8", "page-left=72", "-cp 2 -pm 5 5 25.4 5 -fc 3"},
        {"SHIFT_JIS", "charset=shift_jis", "-cp 2 -fc 1"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string file = dir.file("text");
        write_file(file, sample_text(c.encoding));
        const FilterRun run = run_filter(TEXTTOLANE_BIN, "2", c.options, file);
        EXPECT_EQ(run.result.status, 0) << run.result.err;
        EXPECT_EQ(run.words, split(c.words)) << c.encoding;
        EXPECT_EQ(run.lines("PAGE:"), Lines{"PAGE: 1 2"});
        EXPECT_EQ(run.result.out, direct_stream(TEXTLANE_BIN, run.words, file)) << c.encoding;
        // From standard input the same.
        EXPECT_EQ(run_filter(TEXTTOLANE_BIN, "2", c.options, "", sample_text(c.encoding)).result.out,
                  run.result.out);
    }
}

TEST(SpoolerFilters, BadJobsFailWithAnErrorAndLeaveNothingBehind)
{
    std::string truncated_jpeg = picture_bytes("JPEG", 40, 30);
    truncated_jpeg.resize(truncated_jpeg.size() / 2);
    const struct {
        const char* filter;
        const char* copies;
        const char* options;
        std::string input;
        bool as_file;
        const char* error;
    } cases[] = {
        {IMAGETOLANE_BIN, "1", "", "", false, "ERROR: The document is empty"},
        {IMAGETOLANE_BIN, "1", "", "", true, "ERROR: The document is empty"},
        {IMAGETOLANE_BIN, "1", "", truncated_jpeg, false, "ERROR: JPEG: damaged or unsupported picture"},
        {IMAGETOLANE_BIN, "1", "", "words\n", true, "ERROR: not a picture file this printer knows"},
        {IMAGETOLANE_BIN, "1", "Resolution=100000dpi", picture_bytes("PPM", 4, 4), false,
         "ERROR: Cannot print with Resolution=100000dpi"},
        {IMAGETOLANE_BIN, "0", "", picture_bytes("PPM", 4, 4), false, "ERROR: Cannot print 0 copies"},
        {IMAGETOLANE_BIN, "1", "media=Custom.1e300x5", picture_bytes("PPM", 4, 4), true,
         "ERROR: Cannot print with media=Custom.1e300x5"},
        {TEXTTOLANE_BIN, "1", "", "", false, "ERROR: The document is empty"},
        {RASTERTOLANE_BIN, "1", "", "", false, "ERROR: The document is empty"},
        {RASTERTOLANE_BIN, "1", "", "", true, "ERROR: The document is empty"},
        {TEXTTOLANE_BIN, "1", "", "\x80\xFF\x80\xFF not text\n", false, "ERROR: Cannot tell the text's encoding"},
        {TEXTTOLANE_BIN, "1", "", "\x80\xFF\x80\xFF not text\n", true, "ERROR: Cannot tell the text's encoding"},
        {TEXTTOLANE_BIN, "1", "cpi=1000", "text\n", false, "ERROR: Cannot print with cpi=1000"},
    };
    for (const auto& c : cases) {
        TempDir tmp;
        TempDir dir;
        std::string file;
        if (c.as_file) {
            file = dir.file("document");
            write_file(file, c.input);
        }
        const FilterRun run =
            run_filter(c.filter, c.copies, c.options, file, c.as_file ? "" : c.input, {{"TMPDIR", tmp.path()}});
        const std::string what = std::string(c.filter) + " " + c.options + " " + std::to_string(c.input.size());
        EXPECT_NE(run.result.status, 0) << what;
        EXPECT_FALSE(run.result.signalled) << what;
        EXPECT_EQ(run.result.out, "") << what;
        ASSERT_EQ(run.lines("ERROR:").size(), 1u) << what << "\n" << run.result.err;
        EXPECT_EQ(run.lines("ERROR:")[0].rfind(c.error, 0), 0u) << run.result.err;
        EXPECT_TRUE(run.lines("PAGE:").empty()) << what;
        EXPECT_TRUE(tmp.entries().empty()) << what;
    }
}

TEST(SpoolerFilters, WrongArgumentsGiveTheUsage)
{
    for (const char* filter : {IMAGETOLANE_BIN, TEXTTOLANE_BIN}) {
        const ProgramResult r = run_program(filter, {"1", "tester", "job"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("Usage: ", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// The spooler cancels a job with SIGTERM: the filter ends the page after the
// line it is on and resets the printer; no page is counted.
TEST(ImageToLane, CancelledJobEndsItsPageAndResetsThePrinter)
{
    TempDir dir;
    const std::string file = dir.file("large.pgm");
    write_file(file, picture_bytes("PGM", 1500, 2000));
    int out[2], err[2];
    ASSERT_EQ(pipe(out), 0);
    ASSERT_EQ(pipe(err), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        execl(IMAGETOLANE_BIN, IMAGETOLANE_BIN, "1", "tester", "job", "1", "", file.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    // The set-up and the first lines: the filter is sending raster lines now
    // and waits for the pipe to drain, far from the end of its page.
    std::string stream;
    char block[4096];
    ssize_t n;
    while (stream.size() < 20000 && (n = read(out[0], block, sizeof block)) > 0)
        stream.append(block, n);
    kill(pid, SIGTERM);
    while ((n = read(out[0], block, sizeof block)) > 0)
        stream.append(block, n);
    std::string messages;
    while ((n = read(err[0], block, sizeof block)) > 0)
        messages.append(block, n);
    close(out[0]);
    close(err[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(messages.find("PAGE:"), std::string::npos) << messages;
    EXPECT_NE(messages.find("INFO: The job was cancelled"), std::string::npos) << messages;
    const PrinterStream parsed = parse_printer_stream(stream);
    EXPECT_EQ(parsed.error, "");
    ASSERT_GE(parsed.commands.size(), 2u);
    EXPECT_EQ(parsed.commands[parsed.commands.size() - 2], "FF");
    EXPECT_EQ(parsed.commands.back(), "ESC<");
    EXPECT_GT(parsed.rows.size(), 10u);
    EXPECT_LT(parsed.rows.size(), 2000u);
}

TEST(TextToLane, AnyEncodingIsReadAndTextNeverSendsControlBytes)
{
    const std::string utf8 = sample_text("UTF-8");
    const struct {
        std::string text;
        const char* options;
        std::string printed_as;   // the UTF-8 text textlane prints alike, or "" for none
        const char* hidden;       // bytes that must not reach the printer
    } cases[] = {
        // Characters the printer has no glyph for are geta marks, counted.
        {"caf\xE9 na\xEFve \xBD\n", "charset=ISO-8859-1", "caf\xC3\xA9 na\xC3\xAFve \xC2\xBD\n", ""},
        {"\x80\x81 \x9B" "5p\n", "charset=windows-1252", "\xE2\x82\xAC\xEF\xBF\xBD \xE2\x80\xBA" "5p\n", ""},
        // Text in another encoding than the one named: no escape, no C1 byte.
        {utf8, "charset=Shift_JIS", "", "\x9B"},
        {"a\x1B[5pb \x9B" "2J\n", "charset=EUC-JP", "", "\x1B[5p"},
        {"\xA4\x1B[1p\xB0\x9B" "2J\n", "charset=EUC-JP", "", "\x1B[1p"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string file = dir.file("text"), converted = dir.file("utf8");
        write_file(file, c.text);
        const FilterRun run = run_filter(TEXTTOLANE_BIN, "1", c.options, file);
        ASSERT_EQ(run.result.status, 0) << c.options << "\n" << run.result.err;
        EXPECT_EQ(run.lines("WARNING:").size(), 1u) << c.options << "\n" << run.result.err;
        if (!c.printed_as.empty()) {
            write_file(converted, c.printed_as);
            EXPECT_EQ(run.words, split("-cp 1 -fc 3")) << c.options;
            EXPECT_EQ(run.result.out, direct_stream(TEXTLANE_BIN, run.words, converted)) << c.options;
        }
        EXPECT_EQ(run.result.out.find(c.hidden), c.hidden[0] ? std::string::npos : 0) << c.options;
        for (unsigned char b : run.result.out)
            EXPECT_FALSE(b >= 0x80 && b < 0xA0) << c.options << ": byte " << int(b);
        // Wrong-charset text may name cells the printer has no glyph in, but
        // never a command.
        const ProgramResult view = run_program(LANEVIEW_BIN, {}, run.result.out);
        EXPECT_EQ(view.err.find("command"), std::string::npos) << c.options << "\n" << view.err;
    }
}
