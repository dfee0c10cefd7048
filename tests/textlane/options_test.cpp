// The command line: option effects (in a forked copy, since the parser only
// moves forward) and the program's streams and exit status.
#include "job_runner.h"

#include "arg_vector.h"
#include "in_child.h"
#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Words = std::vector<std::string>;

// Every field option_scan can set, as text; "exit N" when it ended the process.
std::string scanned(Words args)
{
    ArgVector command("textlane", std::move(args));
    ChildResult child = run_in_child([&] {
        TextSettings s;
        set_default(&s);
        option_scan("textlane", command.argc(), command.argv.data(), &s);
        std::ostringstream o;
        o << "r " << s.resolution_x << "," << s.resolution_y << " ps ";
        if (s.paper_mode == 0)
            o << s.paper_name;
        else
            o << s.paper_width << "x" << s.paper_height;
        o << " po " << s.orientation << " pu " << s.paper_unit << "=" << s.paper_unit_extra
          << " pm " << s.margin_top << "," << s.margin_bottom << "," << s.margin_left << ","
          << s.margin_right << " fk " << s.kanji_font << " fa " << s.alpha_font << "="
          << s.alpha_pitch << " cs " << s.charset << " fs " << s.font_width << ","
          << s.font_height << " ls " << s.line_space << (s.line_space_given ? "!" : "") << " fo "
          << s.form_orientation << " fc " << s.kanji_code << " cp " << s.copies << " fm "
          << s.filter_mode << " in " << (s.input == stdin ? "-" : s.input_name) << " out "
          << (s.output == stdout ? "-" : s.output_name);
        return o.str();
    });
    if (!child.returned)
        return "exit " + std::to_string(child.status);
    return child.bytes;
}

const std::string defaults_text =
    "r 300,300 ps A4 po 0 pu 0=0 pm 5,5,5,5 fk 80 fa 1=0 cs 0 fs 10,10 ls 12 fo 0 fc 0 cp 1 fm 0 "
    "in - out -";

ProgramResult textlane(const Words& args, const std::string& input = {})
{
    return run_program(TEXTLANE_BIN, args, input);
}

}  // namespace

TEST(Options, DefaultsAndEveryOption)
{
    EXPECT_EQ(scanned({}), defaults_text);
    EXPECT_EQ(scanned({"-r", "599.9", "-ps", "b5", "-po", "1", "-pu", "3.7=2.9", "-pm", "1", "2",
                       "3", "4", "-fk", "k", "-fa", "2=1", "-cs", "4", "-fs", "8", "10", "-fo",
                       "1", "-fc", "2", "-cp", "3", "-fm", "1", "-sp", "9"}),
              "r 599,599 ps b5 po 1 pu 3=2 pm 1,2,3,4 fk k fa 2=1 cs 4 fs 8,10 ls 12 fo 1 fc 2 "
              "cp 3 fm 1 in - out -");
    EXPECT_EQ(scanned({"-dpi", "200", "-papersize", "A5", "-fontalpaha", "x", "-copies", "2",
                       "-kanjicode", "1", "-fmode", "1", "-linespace", "9"}),
              "r 200,200 ps A5 po 0 pu 0=0 pm 5,5,5,5 fk 80 fa x=0 cs 0 fs 10,10 ls 9! fo 0 fc 1 "
              "cp 2 fm 1 in - out -");
}

TEST(Options, FontSizeAndLineSpacingOrder)
{
    EXPECT_NE(scanned({"-fs", "8", "10"}).find("fs 8,10 ls 12 "), std::string::npos);
    EXPECT_NE(scanned({"-fs", "8", "20"}).find("fs 8,20 ls 24 "), std::string::npos);
    EXPECT_NE(scanned({"-ls", "15", "-fs", "8", "10"}).find("ls 15! "), std::string::npos);
    EXPECT_NE(scanned({"-fs", "8", "10", "-ls", "15"}).find("ls 15! "), std::string::npos);
}

TEST(Options, CustomPaperSizes)
{
    EXPECT_NE(scanned({"-ps", "210x297"}).find("ps 210x297 "), std::string::npos);
    EXPECT_NE(scanned({"-ps", "100"}).find("ps 100x0 "), std::string::npos);
    EXPECT_NE(scanned({"-ps", "100x50", "-ps", "80"}).find("ps 80x50 "), std::string::npos);
    EXPECT_NE(scanned({"-ps", "100x50", "-ps", "Letter"}).find("ps Letter "), std::string::npos);
}

TEST(Options, UnknownWordsAndCutShortOptionsAreSkipped)
{
    EXPECT_EQ(scanned({"-x", "file.txt", "-pm", "10", "10"}), defaults_text);
    EXPECT_EQ(scanned({"-cp"}), defaults_text);
    // An option word taken as an argument is not an option.
    EXPECT_NE(scanned({"-fk", "-help"}).find("fk -help "), std::string::npos);
}

TEST(Program, DefaultJobFromStandardInput)
{
    ProgramResult r = textlane({}, "\xa4\xa2" "A\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, setup_stream() + "\033n\x24\x22\017A\n" + end_of_job);
}

TEST(Program, CommandLineReachesTheStream)
{
    ProgramResult r = textlane({"-ps", "210x297", "-po", "1", "-pm", "10", "20", "30", "40", "-fc",
                                "1", "-fm", "1", "-cp", "2", "-fs", "8", "10", "junk"},
                               ".h41\n\x88\x9f\n");
    EXPECT_EQ(r.status, 0);
    PageSetup want;
    want.paper = "\033[80;5952;8418p";
    want.top = 1133;
    want.left = 141;
    want.height = 3826;
    want.width = 7568;
    want.copies = 2;
    want.half_width = 40;
    EXPECT_EQ(r.out, setup_stream(want) + "A\033n\x30\x21\017\n" + end_of_job);
}

TEST(Program, Utf8TextAndUnknownInputCodes)
{
    // UTF-8 prints like the same text in EUC; a character the printer lacks
    // prints as the geta mark and is counted.
    ProgramResult r = textlane({"-fc", "3"}, "\xef\xbb\xbf\xe3\x81\x82" "A\xf0\x9f\x98\x80\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, textlane({}, "\xa4\xa2" "A\xa2\xae\n").out);
    EXPECT_EQ(r.err, "textlane: 1 characters outside JIS X 0208 printed as \u3013\n");

    TempDir dir;
    r = textlane({"-fc", "7", "-out", dir.file("job.prn")}, "abc\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "textlane: unknown input code 7 (0 EUC, 1 Shift-JIS, 2 JIS, 3 UTF-8)\n");
    EXPECT_EQ(read_file(dir.file("job.prn")), "");
}

TEST(Program, HelpPrintsUsageBeforeOpeningFiles)
{
    TempDir dir;
    ProgramResult r = textlane({"-out", dir.file("job.prn"), "-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(dir.entries().empty());
    // The program name is the last part of the path it was started by.
    std::string head = "textlane Ver 3.0.0 Mar./24/2006\n\nusage:\n\ttextlane [-options ...]\n\n"
                       "where options include:\n";
    EXPECT_EQ(r.err.compare(0, head.size(), head), 0);
    EXPECT_NE(r.err.find("\n  -cp value                 : copy number \n"), std::string::npos);
    std::string tail = "\n  -help                     : this message\n";
    EXPECT_EQ(r.err.substr(r.err.size() - tail.size()), tail);
    EXPECT_EQ(textlane({"-help"}).err, r.err);
}

TEST(Program, FilesNamedOnTheCommandLine)
{
    TempDir dir;
    write_file(dir.file("in.txt"), "abc");
    ProgramResult r = textlane({"-in", dir.file("in.txt"), "-out", dir.file("job.prn")}, "ignored\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(dir.file("job.prn")), setup_stream() + "abc" + end_of_job);
}

TEST(Program, UnopenableFilesEndWithStatusOne)
{
    TempDir dir;
    ProgramResult r = textlane({"-in", dir.file("missing.txt"), "-out", dir.file("job.prn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "can't open file : " + dir.file("missing.txt") + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(dir.entries().empty());

    r = textlane({"-out", dir.file("no/such/dir.prn")}, "abc\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "can't open file : " + dir.file("no/such/dir.prn") + "\n");
    EXPECT_EQ(r.out, "");
}

TEST(Program, WriteErrorsEndWithTheSystemError)
{
    ProgramResult r = textlane({"-out", "/dev/full"}, "abc\n");
    EXPECT_EQ(r.status, ENOSPC);
    EXPECT_EQ(r.err, "textlane: No space left on device\n");
}

TEST(Program, ReadErrorsEndWithTheSystemError)
{
    TempDir dir;
    ProgramResult r = textlane({"-in", dir.path()});
    EXPECT_EQ(r.status, EISDIR);
    EXPECT_EQ(r.err, "textlane: Is a directory\n");
    EXPECT_EQ(r.out, setup_stream() + end_of_job);
}

TEST(Program, BundledSample)
{
    ProgramResult r = textlane({"-in", SAMPLES_DIR "/sample-euc.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // The first line is ASCII, the second opens with two Kanji.
    std::string head = setup_stream() + "textlane sample (EUC-JP)\n\033n8cGZ";
    EXPECT_EQ(r.out.compare(0, head.size(), head), 0);
    std::string tail = "05\n" + end_of_job;
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
}
