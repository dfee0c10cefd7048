// The viewer as a user runs it on what the filters wrote.
#include <gtest/gtest.h>

#include "run_program.h"
#include "temp_dir.h"

namespace {

ProgramResult filter(const char* program, const std::string& input, std::vector<std::string> options)
{
    options.insert(options.end(), {"-in", input});
    return run_program(program, options);
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Program, PictureSampleIsListedDrawnAndWellFormed)
{
    TempDir dir;
    write_file(dir.file("job.prn"), filter(PIXLANE_BIN, SAMPLES_DIR "/sample.pgm", {}).out);
    const ProgramResult list = run_program(LANEVIEW_BIN, {"--list", dir.file("job.prn")});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_TRUE(has(list.out, "ESC[14p                   paper A4 (code 14): 210.0 x 297.0 mm"));
    EXPECT_TRUE(has(list.out, "raster line 1: 29 bytes at 240 dpi"));
    EXPECT_TRUE(has(list.out, "form feed: end of page 1"));
    EXPECT_TRUE(has(list.out, "picture stream: 1 page, 153 raster lines: well-formed"));

    const ProgramResult png = run_program(LANEVIEW_BIN, {"--png", dir.file("png"), "--scale", "4"},
                                          read_file(dir.file("job.prn")));
    EXPECT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(read_file(dir.file("png/page-1.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
    const ProgramResult pbm = run_program(LANEVIEW_BIN, {"--pbm", dir.path(), dir.file("job.prn")});
    EXPECT_EQ(read_file(dir.file("page-1.pbm")).substr(0, 13), "P4\n1984 2806\n");
}

TEST(Program, CopiesAreNamedNotDrawnAgain)
{
    TempDir dir;
    write_file(dir.file("job.prn"), filter(PIXLANE_BIN, SAMPLES_DIR "/sample.pgm", {"-cp", "150"}).out);
    const ProgramResult r = run_program(LANEVIEW_BIN, {"--pbm", dir.file("pages"), "--scale", "8", dir.file("job.prn")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("pages/page-1-copies-99.pbm")).substr(0, 10), "P4\n248 351");
    EXPECT_EQ(read_file(dir.file("pages/page-2-copies-51.pbm")), read_file(dir.file("pages/page-1-copies-99.pbm")));
}

TEST(Program, TextSampleIsDecoded)
{
    const std::string stream = filter(TEXTLANE_BIN, SAMPLES_DIR "/sample-euc.txt", {}).out;
    const ProgramResult r = run_program(LANEVIEW_BIN, {"--list"}, stream);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Kanji mode"));
    EXPECT_TRUE(has(r.out, "Kanji text \"吾輩は猫である。名前はまだ無い。\""));
    EXPECT_TRUE(has(r.out, "text \"[katakana]ｶﾀｶﾅ\""));
    EXPECT_TRUE(has(r.out, "text stream: 1 page: well-formed"));
}

TEST(Program, ProblemsEndWithStatusOne)
{
    const std::string stream = filter(PIXLANE_BIN, SAMPLES_DIR "/sample.pgm", {}).out;
    const ProgramResult r = run_program(LANEVIEW_BIN, {}, stream.substr(0, stream.size() - 100));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "page 1 has no form feed at the end of the stream")) << r.err;
    EXPECT_TRUE(has(r.err, "does not end with the closing reset")) << r.err;
    EXPECT_EQ(run_program(LANEVIEW_BIN, {"--scale", "0"}).status, 2);
}
