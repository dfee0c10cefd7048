#include "halftone_support.h"
#include "reference_halftone.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {


const double awkward_scales[] = {2.4, 0.37, 1.0 / 3, 7.0, 1.0, 2.48, 0.992, 23.0 / 7};

}  // namespace

// The column table and the row blends give the rule's value bit for bit, on
// every dot of every line, while width and scale change from page to page.
TEST(GrayResampling, TablesMatchTheRuleOnAwkwardScales)
{
    srand(7);
    RasterJobPtr job(make_raster_job());
    const int sizes[][2] = {{13, 9}, {1, 1}, {1, 6}, {7, 1}, {40, 3}};
    for (auto [w, h] : sizes) {
        HandPicture pic = HandPicture::gray(w, h, [](int, int) { return rand() & 255; });
        for (double xs : awkward_scales)
            for (double ys : awkward_scales) {
                long lines = resample_count(h, ys);
                for (int row = 0; row < lines; ++row) {
                    long n = -1;
                    const unsigned char* dark = gray_darkness(job.get(), &pic.image, xs, ys, row, row == 0, &n);
                    ASSERT_NE(dark, nullptr);
                    ASSERT_EQ(n, resample_count(w, xs));
                    for (long i = 0; i < n; ++i)
                        ASSERT_EQ(dark[i], 255 - rule_value(pic.image, w, xs, ys, row, i, reference_gray_pixel))
                            << w << "x" << h << " scales " << xs << "," << ys << " row " << row
                            << " dot " << i;
                }
            }
    }
}

TEST(GrayResampling, LastColumnAndRowTakeNoNeighbour)
{
    // 2 x 2 at scale 2: dots 2 and 3 sit on the last column, lines 2 and 3
    // on the last row; they repeat the edge pixel instead of fading to black.
    HandPicture pic = HandPicture::gray(2, 2, [](int x, int y) { return x == 0 && y == 0 ? 0 : 200; });
    RasterJobPtr job(make_raster_job());
    long n;
    const unsigned char* dark = gray_darkness(job.get(), &pic.image, 2.0, 2.0, 0, 1, &n);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(std::vector<int>(dark, dark + n), (std::vector<int>{255, 155, 55, 55}));
    dark = gray_darkness(job.get(), &pic.image, 2.0, 2.0, 3, 0, &n);
    EXPECT_EQ(std::vector<int>(dark, dark + n), (std::vector<int>{55, 55, 55, 55}));
    // Rows beyond the last line (or before the first) stay inside the picture.
    dark = gray_darkness(job.get(), &pic.image, 2.0, 2.0, 1000, 0, &n);
    EXPECT_EQ(dark[0], 55);
    dark = gray_darkness(job.get(), &pic.image, 2.0, 2.0, -5, 0, &n);
    EXPECT_EQ(dark[0], 255);
}

TEST(GrayResampling, UnusableScalesGiveNoDotsOrFailure)
{
    HandPicture pic = HandPicture::gray(4, 4, [](int, int) { return 0; });
    RasterJobPtr job(make_raster_job());
    long n = -1;
    EXPECT_NE(gray_darkness(job.get(), &pic.image, 0.0, 1.0, 0, 1, &n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_NE(gray_darkness(job.get(), &pic.image, -3.0, 1.0, 0, 1, &n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(gray_darkness(job.get(), &pic.image, 1e300, 1.0, 0, 1, &n), nullptr);
    EXPECT_EQ(gray_darkness(job.get(), &pic.image, 0.0 / 0.0, 1.0, 0, 1, &n), nullptr);
    EXPECT_EQ(resample_count(2000, 2.48), 4960);
}

TEST(NullFunc, BitmapFollowsTheRuleWithHalfwayThreshold)
{
    srand(11);
    HandPicture pic = HandPicture::bitmap(19, 7, [](int, int) { return rand() & 1; });
    long stride = (19 + 7) / 8;
    for (double xs : awkward_scales)
        for (double ys : {2.4, 0.37, 1.0}) {
            HalftonedPage page = halftone_page(null_func, pic, xs, ys);
            ASSERT_EQ(page.dots, resample_count(19, xs));
            for (size_t row = 0; row < page.lines.size(); ++row) {
                for (long i = 0; i < page.dots; ++i)
                    ASSERT_EQ(page.black(row, i),
                              rule_value(pic.image, stride, xs, ys, row, i, reference_bit_pixel) >= 128)
                        << "scales " << xs << "," << ys << " row " << row << " dot " << i;
                if (page.dots % 8) {
                    ASSERT_EQ(page.lines[row].back() & (0xFF >> (page.dots % 8)), 0);
                }
            }
        }
}
