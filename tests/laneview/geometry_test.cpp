// Whole pixlane jobs seen through the viewer: where the picture lands on the sheet.
#include <gtest/gtest.h>

#include <cmath>

#include "viewed_job.h"

namespace {

const auto all_black = [](int, int) { return true; };

double mm_of(double units)
{
    return units / 720 * 25.4;
}

}  // namespace

TEST(Geometry, CentredPictureHasEqualWhiteOnBothSides)
{
    const ViewedJob job = print_and_view(pbm(100, 50, all_black), {"-la", "2"});
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_EQ(job.problem_text, "");
    const PagePicture& p = job.pages[0].picture;
    const Box box = black_box(p);
    EXPECT_NEAR(box.left - p.frame_left, p.frame_right - box.right, 1);
    EXPECT_NEAR(box.top - p.frame_top, p.frame_bottom - box.bottom, 1);
}

TEST(Geometry, EachFitRuleFillsTheFrameInItsDirection)
{
    const struct {
        const char* rule;
        int width, height;
        bool fills_width, fills_height;
    } cases[] = {
        {"0", 200, 50, true, false},   // lower ratio: the wide picture meets the sides
        {"0", 50, 200, false, true},
        {"1", 50, 100, false, true},   // vertical ratio
        {"2", 100, 50, true, false},   // horizontal ratio
        {"3", 100, 50, true, true},    // no rule: stretched both ways
    };
    for (const auto& c : cases) {
        const ViewedJob job = print_and_view(pbm(c.width, c.height, all_black), {"-fi", c.rule});
        ASSERT_EQ(job.pages.size(), 1u) << c.rule;
        EXPECT_EQ(job.problem_text, "") << c.rule;
        const PagePicture& p = job.pages[0].picture;
        const Box box = black_box(p);
        const long frame_width = p.frame_right - p.frame_left + 1;
        const long frame_height = p.frame_bottom - p.frame_top + 1;
        SCOPED_TRACE(std::string("-fi ") + c.rule + " on " + std::to_string(c.width) + "x" +
                     std::to_string(c.height));
        EXPECT_EQ(std::abs(box.width() - frame_width) <= 2, c.fills_width);
        EXPECT_EQ(std::abs(box.height() - frame_height) <= 2, c.fills_height);
        EXPECT_LE(box.width(), frame_width + 1);
        EXPECT_LE(box.height(), frame_height + 1);
    }
}

TEST(Geometry, LandscapeTurnsThePictureClockwise)
{
    // An outline with a solid block in the upper-left corner.
    const std::string picture = pbm(60, 30, [](int x, int y) {
        return x == 0 || y == 0 || x == 59 || y == 29 || (x < 20 && y < 10);
    });
    const ViewedJob job = print_and_view(picture, {"-po", "1"});
    ASSERT_EQ(job.pages.size(), 1u);
    const PagePicture& p = job.pages[0].picture;
    const Box box = black_box(p);
    EXPECT_NEAR(box.width(), 72, 1);    // 30 pixels at 2.4 dots each
    EXPECT_NEAR(box.height(), 144, 1);
    // The block now lies along the top of the right-hand side.
    EXPECT_TRUE(picture_dot(p, box.right - 12, box.top + 24));
    EXPECT_FALSE(picture_dot(p, box.left + 12, box.top + 24));
    EXPECT_FALSE(picture_dot(p, box.right - 12, box.bottom - 24));
}

TEST(Geometry, MarginsAndPaperSizesLandWhereTheSetUpSays)
{
    const struct {
        std::vector<std::string> options;
        double sheet_width, sheet_height;       // mm
        double top, left, bottom, right;        // frame edges, mm from the sheet's top and left
        bool landscape;
    } cases[] = {
        {{}, 210, 297, 5, 5, 292, 205, false},
        {{"-ps", "100x150", "-pm", "10", "20", "30", "40"}, 100, 150, 10, 30, 130, 60, false},
        {{"-ps", "b5", "-pm", "0", "0", "0", "0"}, 182, 257, 0, 0, 257, 182, false},
        // Landscape: the margins given as top, bottom, left, right turn to left, right, top, bottom.
        {{"-ps", "a5", "-po", "1", "-pm", "10", "20", "30", "40"}, 148, 210, 40, 10, 180, 128, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"-la", "0"});   // upper-left, as the user sees the page
        const ViewedJob job = print_and_view(pbm(20, 10, all_black), options);
        ASSERT_EQ(job.pages.size(), 1u);
        EXPECT_EQ(job.problem_text, "");
        const Page& page = job.pages[0].page;
        SCOPED_TRACE(testing::PrintToString(c.options));
        EXPECT_NEAR(mm_of(page.sheet.width), c.sheet_width, 0.1);
        EXPECT_NEAR(mm_of(page.sheet.height), c.sheet_height, 0.1);
        EXPECT_NEAR(mm_of(page.frame.top), c.top, 0.1);
        EXPECT_NEAR(mm_of(page.frame.left), c.left, 0.1);
        EXPECT_NEAR(mm_of(page.frame.bottom), c.bottom, 0.1);
        EXPECT_NEAR(mm_of(page.frame.right), c.right, 0.1);
        const PagePicture& p = job.pages[0].picture;
        const Box box = black_box(p);
        EXPECT_NEAR(box.top, p.frame_top, 1);
        if (c.landscape)
            EXPECT_NEAR(box.right, p.frame_right, 1);
        else
            EXPECT_NEAR(box.left, p.frame_left, 1);
    }
}

TEST(Geometry, CopiesAboveNinetyNineGiveTwoTransmissions)
{
    const ViewedJob job = print_and_view(pbm(20, 10, all_black), {"-cp", "150"});
    EXPECT_EQ(job.problem_text, "");
    ASSERT_EQ(job.pages.size(), 2u);
    EXPECT_EQ(job.pages[0].page.copies, 99);
    EXPECT_EQ(job.pages[1].page.copies, 51);
    EXPECT_EQ(job.pages[0].picture.bits, job.pages[1].picture.bits);
}

TEST(Geometry, BitmapAtScaleOneRendersItsExactBitsAtItsPosition)
{
    // A 100-dpi bitmap printed at 100 dpi: one dot per pixel.
    const auto bit = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y; };
    const int width = 37, height = 23;
    const ViewedJob job = print_and_view(pbm(width, height, bit), {"-r", "100", "-x", "20", "-y", "30"});
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_EQ(job.problem_text, "");
    const PagePicture& p = job.pages[0].picture;
    ASSERT_EQ(p.resolution, 100);
    const long column = units_of_mm(20) * 100 / 720, row = units_of_mm(30) * 100 / 720;
    long mismatches = 0;
    for (long y = 0; y < p.height; ++y)
        for (long x = 0; x < p.width; ++x) {
            const bool inside = x >= column && x < column + width && y >= row && y < row + height;
            const bool expected = inside && bit(static_cast<int>(x - column), static_cast<int>(y - row));
            mismatches += picture_dot(p, x, y) != expected;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(Geometry, CompatibleModeStepsPrintLikeLines)
{
    const std::string picture = pbm(30, 20, [](int x, int y) { return (x * y) % 7 == 1; });
    const ViewedJob normal = print_and_view(picture, {});
    const ViewedJob compatible = print_and_view(picture, {"-sp", "1"});
    ASSERT_EQ(compatible.pages.size(), 1u);
    EXPECT_EQ(compatible.problem_text, "");
    EXPECT_NE(compatible.stream, normal.stream);
    EXPECT_EQ(compatible.pages[0].picture.bits, normal.pages[0].picture.bits);
}
