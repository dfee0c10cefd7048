// Pictures that are more than one page, or less than one picture: every page
// of a TIFF prints; a JPEG cut short prints what it holds, with a warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture_maker.h"
#include "spooler_fixture.h"
#include "temp_dir.h"
#include "viewed_job.h"

TEST(ImageToLane, EveryPageOfATiffPrints)
{
    TempDir dir;
    const std::string file = dir.file("pages.tiff");
    write_file(file, gray_tiff_pages({{40, 30}, {30, 60}, {50, 50}}));
    const FilterRun run = run_filter(IMAGETOLANE_BIN, "2", "", file);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.lines("PAGE:"), (std::vector<std::string>{"PAGE: 1 2", "PAGE: 2 2", "PAGE: 3 2"}));
    const ViewedJob job = view(run.result.out);
    EXPECT_EQ(job.problem_text, "");
    ASSERT_EQ(job.pages.size(), 3u);
    // Each page at its own size: 100 dpi pictures at 240 dpi.
    const long widths[] = {96, 72, 120};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(black_box(job.pages[i].picture).width(), widths[i]) << i;
}

TEST(ImageToLane, AJpegCutShortPrintsWithAWarning)
{
    TempDir dir;
    const std::string whole = picture_bytes("JPEG", 200, 150);
    const std::string file = dir.file("cut.jpg");
    write_file(file, whole.substr(0, whole.size() * 2 / 3));
    const FilterRun run = run_filter(IMAGETOLANE_BIN, "1", "", file);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.lines("WARNING:").size(), 1u) << run.result.err;
    EXPECT_EQ(run.lines("PAGE:"), std::vector<std::string>{"PAGE: 1 1"});

    write_file(file, whole);
    EXPECT_TRUE(run_filter(IMAGETOLANE_BIN, "1", "", file).lines("WARNING:").empty());
}
