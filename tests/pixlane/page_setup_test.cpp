#include <gtest/gtest.h>

#include "job.h"
#include "job_fixture.h"
#include "printer_stream.h"

namespace {

struct PageJob {
    MemoryStream out;
    Settings settings = default_settings(out.file());
    PageLayout layout{};
};

// The frame's two moves: down and right to its upper-left corner, then to its lower-right.
std::vector<std::string> frame_moves(const std::string& stream)
{
    const auto c = parse_printer_stream(stream).commands;
    return {c.at(9), c.at(10), c.at(13), c.at(14)};
}

}  // namespace

TEST(PageSetup, DefaultJobStreamScaleAndPlace)
{
    PageJob job;
    Image picture = uniform_picture(100, 50, 0);
    ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
    EXPECT_EQ(job.out.text(), default_setup);
    EXPECT_EQ(job.layout.x_scale, 2.4f);
    EXPECT_EQ(job.layout.y_scale, 2.4f);
    EXPECT_EQ(job.layout.x_origin, 141);
    EXPECT_EQ(job.layout.y_origin, 141);
    EXPECT_EQ(job.layout.frame.top, 141);
    EXPECT_EQ(job.layout.frame.left, 141);
    EXPECT_EQ(job.layout.frame.bottom, 8277);
    EXPECT_EQ(job.layout.frame.right, 5811);
    // The settings stay as parsed.
    EXPECT_EQ(job.settings.fit, -1);
    EXPECT_EQ(job.settings.layout, LAYOUT_X_GIVEN | LAYOUT_Y_GIVEN);
    // The picture leaves as 8-bit gray with its ramp.
    EXPECT_EQ(picture->type, 1);
    EXPECT_EQ(picture->planes, 1);
    EXPECT_EQ(picture->bytes_per_pixel, 1);
    EXPECT_EQ(picture->ncolors, 256);
}

TEST(PageSetup, LandscapeTurnsPictureAndMargins)
{
    PageJob job;
    job.settings.orientation = 1;
    job.settings.margin_top = 10;
    job.settings.margin_bottom = 20;
    job.settings.margin_left = 30;
    job.settings.margin_right = 40;
    job.settings.layout = 1;
    Image picture = rgb_picture(3, 2, [](int x, int y) { return 10 * (y * 3 + x); });
    ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
    // Top 40, right 20, bottom 30, left 10 mm after the turn.
    EXPECT_EQ(frame_moves(job.out.text()),
              (std::vector<std::string>{"ESC[1133e", "ESC[283a", "ESC[6434e", "ESC[5102a"}));
    EXPECT_EQ(job.layout.frame.top, 1133);
    EXPECT_EQ(job.layout.frame.left, 283);
    // Turned clockwise: the picture's first column, read upwards, is the new top row.
    ASSERT_EQ(picture->width, 2);
    ASSERT_EQ(picture->height, 3);
    EXPECT_EQ(picture->data[0], 30);
    EXPECT_EQ(picture->data[1], 0);
    EXPECT_EQ(picture->data[5], 20);

    // The margin that turns from top to left passes through single precision:
    // 5.08 mm is 144 units exactly, but 5.08f is a little less.
    PageJob portrait;
    portrait.settings.margin_left = 5.08;
    Image flat = uniform_picture(2, 2, 0);
    ASSERT_EQ(initialize(&portrait.settings, flat.get(), &portrait.layout), 1);
    EXPECT_EQ(frame_moves(portrait.out.text())[1], "ESC[144a");
    PageJob turned;
    turned.settings.orientation = 1;
    turned.settings.margin_top = 5.08;
    Image upright = uniform_picture(2, 2, 0);
    ASSERT_EQ(initialize(&turned.settings, upright.get(), &turned.layout), 1);
    EXPECT_EQ(frame_moves(turned.out.text())[1], "ESC[143a");
}

TEST(PageSetup, LandscapePlacementFollowsThePicture)
{
    // A 100 x 50 picture turns to 50 x 100: 360 units wide, 720 high on the
    // sheet. Placements as the user sees the turned page land where the
    // clockwise turn takes them: left upper on the frame's upper-right corner
    // of the portrait sheet, right upper lower right, left lower upper left.
    const struct { int layout; double x, y; } cases[] = {
        {1, 5451, 141},    // frame right 5811 less 360
        {2, 5451, 7557},   // frame bottom 8277 less 720
        {3, 2796, 3849},   // (7.874 - 0.5) / 2 and (11.299 - 1) / 2 inches into the frame
        {4, 141, 141},
        {5, 141, 7557},
    };
    for (const auto& c : cases) {
        PageJob job;
        job.settings.orientation = 1;
        job.settings.layout = c.layout;
        Image picture = uniform_picture(100, 50, 0);
        ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
        EXPECT_EQ(job.layout.x_origin, c.x) << c.layout;
        EXPECT_EQ(job.layout.y_origin, c.y) << c.layout;
    }

    // An origin given in mm on the turned page: x counts from the sheet's
    // right edge, without margins.
    PageJob origin;
    origin.settings.orientation = 1;
    origin.settings.x_origin = 20;
    origin.settings.y_origin = 30;
    Image third = uniform_picture(100, 50, 0);
    ASSERT_EQ(initialize(&origin.settings, third.get(), &origin.layout), 1);
    EXPECT_EQ(origin.layout.x_origin, 4742);
    EXPECT_EQ(origin.layout.y_origin, 566);

    // W - ow - t is worked out in double and rounded to single once: 210 mm
    // less 0.15 inch less 83 mm is 4.85 inches, which lands just below as a
    // single (two single steps would land just above, at 3492).
    PageJob rounding;
    rounding.settings.orientation = 1;
    rounding.settings.y_origin = 83;
    Image narrow = uniform_picture(100, 15, 0);
    ASSERT_EQ(initialize(&rounding.settings, narrow.get(), &rounding.layout), 1);
    EXPECT_EQ(rounding.layout.x_origin, 3491);
}

TEST(PageSetup, PlacementsInTheFrame)
{
    // A 1-inch square picture (100 pixels at 100 dpi) is 720 units wide.
    const struct { int layout; double x, y; } cases[] = {
        {1, 141, 141},
        {2, 5811 - 720, 141},
        {3, 2616, 3849},   // (7.874 - 1) / 2 + 0.197 and (11.299 - 1) / 2 + 0.197 inches
        {4, 141, 8277 - 720},
        {5, 5811 - 720, 8277 - 720},
    };
    for (const auto& c : cases) {
        PageJob job;
        job.settings.layout = c.layout;
        Image picture = uniform_picture(100, 100, 0);
        ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
        EXPECT_EQ(job.layout.x_origin, c.x) << c.layout;
        EXPECT_EQ(job.layout.y_origin, c.y) << c.layout;
    }
}

TEST(PageSetup, CentreOfAPictureLargerThanTheFrame)
{
    PageJob job;
    job.settings.layout = 3;
    Image picture = uniform_picture(2000, 3000, 0);
    ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
    EXPECT_EQ(job.layout.x_origin, -4223);
    EXPECT_EQ(job.layout.y_origin, -6590);
}

TEST(PageSetup, FitRules)
{
    // A4 frame: 7.874 x 11.299 inches, 1889 x 2711 dots at 240 dpi.
    const struct { int fit; long dots, lines; } cases[] = {
        {1, 1889, 944},    // lower ratio: the horizontal one for a 2:1 picture
        {2, 5423, 2711},   // vertical ratio
        {3, 1889, 944},    // horizontal ratio
        {7, 1889, 2711},   // unknown rule: stretched both ways
    };
    for (const auto& c : cases) {
        PageJob job;
        job.settings.fit = c.fit;
        Image picture = uniform_picture(200, 100, 0);
        ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
        EXPECT_EQ(static_cast<long>(200 * job.layout.x_scale), c.dots) << c.fit;
        EXPECT_EQ(static_cast<long>(100 * job.layout.y_scale), c.lines) << c.fit;
        EXPECT_EQ(job.settings.fit, c.fit);
        EXPECT_EQ(job.layout.y_origin, 141);   // at the frame's top
    }

    PageJob ratios;
    ratios.settings.fit = 0;
    ratios.settings.x_scale = 0.5;
    Image picture = uniform_picture(200, 100, 0);
    picture->resolution = 300;
    ASSERT_EQ(initialize(&ratios.settings, picture.get(), &ratios.layout), 1);
    EXPECT_EQ(ratios.layout.x_scale, 0.4f);
    EXPECT_EQ(ratios.layout.y_scale, 0.8f);
}

TEST(PageSetup, BitmapBecomesGray)
{
    PageJob job;
    Image picture(XSLCrNewBit(9, 2));
    picture->data[0] = 0x80;   // pixel (0, 0) black
    ASSERT_EQ(initialize(&job.settings, picture.get(), &job.layout), 1);
    EXPECT_EQ(picture->type, 1);
    EXPECT_EQ(picture->data[0], 0);
    EXPECT_EQ(picture->data[1], 255);
}
