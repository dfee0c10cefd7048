#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_program.h"
#include "temp_dir.h"

namespace {

const char kUsage[] = R"(pixlane Ver 3.0.0 Mar./24/2006

usage:
	pixlane [-options ...]

where options include:
  argument (params)         : contents
  -in  filename             : input filename
  -out filename             : output filename
  -cp copies                : copies number
  -r  dpi                   : printer resolution
  -ps paper_symbol          : paper size
  -pu paper_handring[=bin]  : paper handring
  -po 0/1                   : paper orient(PORTRATE/LANDSCAPE)
  -pm top bottom left right : paper margin
  -mo 0/1                   : request mono color printing
  -di n[=real]              : to bilevel using dithering
                            :  n = 0; Error collection (3x2)
                            :  n = 1; Error collection (5x3)
                            :  n = 2; Orderd dither using Bayer's matrix
                            :  n = 3; Orderd dither using Scroll matrix
                            :  n = 4; Random dither
                            :  n = 5; Threshold using real value
                            :         between 0.0 to 1.0 (default 0.5)
  -gm real[,real,real]      : performs gamma correction
  -va int,int,int           : performs color valance
  -co int                   : performs contrast modify
                            :  between -100 and 100 (default 0)
  -sa int                   : performs saturation modify
                            :  between -100 and 100 (default 0)
  -br int                   : performs brightness modify
                            :  between -100 and 100 (default 0)
  -xs real                  : specify magnification ratios
  -ys real                  : specify magnification ratios
  -fi 0/1/2                 : specify the fit of output data
                            :  0; using lower ratios
                            :  1; using vertical ratios
                            :  2; using horizontal ratios
  -x  real                  : specify x-axis origin ratios
  -y  real                  : specify y-axis origin ratios
  -la 0/1/2/3/4             : specify the layout of output data
                            :  0; left upper
                            :  1; right upper
                            :  2; center
                            :  3; left lower
                            :  4; right lower
  -sp 1                     : compatible mode 1
  -help                     : this message
)";

const char kNotAPicture[] = "this is plain text, not a picture\n";

std::string system_message(int err)
{
    return std::string("pixlane: ") + std::strerror(err) + "\n";
}

}  // namespace

TEST(Program, HelpPrintsUsageAndExits)
{
    TempDir dir;
    ProgramResult r = run_program(PIXLANE_BIN, {"-cp", "2", "-out", dir.file("job.prn"), "-help",
                                                "-in", dir.file("never-opened")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kUsage);
    // Files are opened while the options are read, so the earlier -out exists.
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"job.prn"}));
    EXPECT_EQ(read_file(dir.file("job.prn")), "");
}

TEST(Program, UnreadablePictureFromFile)
{
    TempDir dir;
    write_file(dir.file("text.pgm"), kNotAPicture);
    ProgramResult r = run_program(PIXLANE_BIN, {"-in", dir.file("text.pgm"), "-out", dir.file("job.prn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pixlane: not a picture file this printer knows\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(dir.file("job.prn")), "");  // not even the closing reset
}

TEST(Program, UnreadablePictureFromStandardInputLeavesNoTemporaryFile)
{
    for (const std::string& input : {std::string(kNotAPicture), std::string(),
                                     std::string(5000, '\x7f')}) {
        TempDir tmp;
        ProgramResult r = run_program(PIXLANE_BIN, {}, input, {{"TMPDIR", tmp.path()}});
        EXPECT_EQ(r.status, 1) << input.size();
        EXPECT_EQ(r.err, input.empty() ? "pixlane: the picture file is empty\n"
                                       : "pixlane: not a picture file this printer knows\n");
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(tmp.entries().empty());
    }
}

TEST(Program, UnopenableInput)
{
    TempDir dir;
    ProgramResult r = run_program(PIXLANE_BIN, {"-in", dir.file("missing.pgm")});
    EXPECT_EQ(r.status, ENOENT);
    EXPECT_EQ(r.err, system_message(ENOENT));
    EXPECT_EQ(r.out, "");
}

TEST(Program, UnopenableOutputFailsBeforeReading)
{
    TempDir dir;
    write_file(dir.file("text.pgm"), kNotAPicture);
    ProgramResult r = run_program(PIXLANE_BIN, {"-in", dir.file("text.pgm"), "-out",
                                                dir.file("no-such-dir/job.prn")});
    EXPECT_EQ(r.status, ENOENT);
    EXPECT_EQ(r.err, system_message(ENOENT));
    EXPECT_EQ(r.out, "");
    // Standard input is not copied either: the job ends before the read stage.
    TempDir tmp;
    r = run_program(PIXLANE_BIN, {"-out", dir.path()}, kNotAPicture, {{"TMPDIR", tmp.path()}});
    EXPECT_EQ(r.status, EISDIR);
    EXPECT_EQ(r.err, system_message(EISDIR));
    EXPECT_EQ(r.out, "");
}
