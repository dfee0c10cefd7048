// Whole output streams of jobs without text: the set-up and the end of job.
#include "job_runner.h"
#include "page.h"

#include <gtest/gtest.h>

TEST(Setup, DefaultsGiveA4PortraitWithFiveMillimetreMargins)
{
    EXPECT_EQ(run_job(defaults(), ""), setup_stream() + end_of_job);
}

TEST(Setup, CustomPaperInLandscapeSendsUnturnedSizesThenTurnsTheMargins)
{
    TextSettings s = defaults();
    s.paper_mode = 1;
    s.paper_width = 210;
    s.paper_height = 297;
    s.orientation = 1;
    s.margin_top = 10;
    s.margin_bottom = 20;
    s.margin_left = 30;
    s.margin_right = 40;
    PageSetup want;
    want.paper = "\033[80;5952;8418p";
    // The right margin becomes the top, the top the left, the left the bottom.
    want.top = 1133;
    want.left = 141;
    want.height = 3826;
    want.width = 7568;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);

    s.orientation = 0;
    want = PageSetup{};
    want.paper = "\033[0;5952;8418p";
    want.top = 283;
    want.left = 708;
    want.height = 7426;
    want.width = 3968;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);
}

TEST(Setup, TablePaperLandscapeAddsTheOrientationToTheCode)
{
    TextSettings s = defaults();
    s.orientation = 1;
    PageSetup want;
    want.paper = "\033[15p";
    want.height = 5527;
    want.width = 8135;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);

    // Any non-zero number turns the page; absurd ones wrap, never overflow.
    s.orientation = INT32_MAX;
    want.paper = "\033[-2147483635p";
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);
    s.orientation = 100000000;
    s.paper_mode = 1;
    s.paper_width = 297;
    s.paper_height = 210;
    want.paper = "\033[-589934592;8418;5952p";
    want.height = 7993;  // the turned sheet is A4 upright
    want.width = 5669;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);
}

TEST(Setup, PaperNamesAreLookedUpIgnoringCase)
{
    TextSettings s = defaults();
    s.paper_name = "ltr";
    PageSetup want;
    want.paper = "\033[31p";
    want.height = 5694;
    want.width = 7636;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);

    s.paper_name = "a4";
    EXPECT_EQ(run_job(s, ""), setup_stream() + end_of_job);
}

TEST(Setup, UnknownPaperNameFallsBackToA3R)
{
    TextSettings s = defaults();
    s.paper_name = "Letter";
    PageSetup want;
    want.paper = "\033[13p";
    want.width = 11622;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);

    float width = 0;
    float height = 0;
    EXPECT_EQ(getpapersize(&s, &width, &height), 13);
    EXPECT_FLOAT_EQ(width, 16.535433f);
    EXPECT_FLOAT_EQ(height, 11.692913f);
}

TEST(Setup, UnitCopiesGridAndVerticalWriting)
{
    TextSettings s = defaults();
    s.paper_unit = 2;
    s.copies = 3;
    s.form_orientation = 1;
    s.font_width = 8;
    s.line_space = 15.5;
    PageSetup want;
    want.unit = 2;
    want.vertical = true;
    want.copies = 3;
    want.pitch = 155;
    want.half_width = 40;
    EXPECT_EQ(run_job(s, ""), setup_stream(want) + end_of_job);
}
