#include "halftone_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct Method {
    const char* name;
    halftoner print;
};

const Method methods[] = {
    {"floyd", floyd_gray},   {"error", error_gray},   {"bayer", bayer_gray},
    {"scroll", scroll_gray}, {"random", random_gray}, {"threshold", threshold_gray},
};

// A uniform picture of darkness d (gray value 255 - d).
HandPicture uniform(int width, int height, int d)
{
    return HandPicture::gray(width, height, [d](int, int) { return 255 - d; });
}

// One line at scale 1: dot i has darkness dark[i].
HandPicture one_line(std::vector<int> dark)
{
    return HandPicture::gray(dark.size(), 1, [dark](int x, int) { return 255 - dark[x]; });
}

}  // namespace

TEST(Halftoners, WhitePrintsNothingBlackPrintsAllAndPaddingStaysClear)
{
    for (const Method& m : methods) {
        HandPicture white = uniform(11, 5, 0), black = uniform(11, 5, 255);
        EXPECT_EQ(halftone_page(m.print, white, 1.0, 1.0).count_black(), 0) << m.name;
        HalftonedPage page = halftone_page(m.print, black, 1.0, 1.0);
        ASSERT_EQ(page.dots, 11);
        ASSERT_EQ(page.lines.size(), 5u);
        if (m.print != random_gray) {
            EXPECT_EQ(page.count_black(), 55) << m.name;
        }
        for (auto& line : page.lines)
            EXPECT_EQ(line[1] & 0x1F, 0) << m.name << ": bits after dot N";
    }
}

TEST(Halftoners, EveryTransmissionPrintsTheSameDots)
{
    HandPicture ramp = HandPicture::gray(37, 23, [](int x, int y) { return (x * 7 + y * 11) % 256; });
    for (const Method& m : methods) {
        HalftonedPage once = halftone_page(m.print, ramp, 1.7, 2.3);
        EXPECT_EQ(halftone_page(m.print, ramp, 1.7, 2.3).lines, once.lines) << m.name;
        rand();  // someone else moved the generator, another method ran
        halftone_page(floyd_gray, ramp, 0.5, 0.5);
        halftone_page(error_gray, ramp, 0.5, 0.5);
        EXPECT_EQ(halftone_page(m.print, ramp, 1.7, 2.3).lines, once.lines) << m.name;
        EXPECT_GT(once.count_black(), 0) << m.name;
    }
}

TEST(Halftoners, NewTransmissionSeesPixelsChangedInPlace)
{
    for (const Method& m : methods) {
        HandPicture pic = uniform(12, 2, 0);  // two rows: both stay in any row cache
        EXPECT_EQ(halftone_page(m.print, pic, 2.5, 2.5).count_black(), 0) << m.name;
        std::fill(pic.plane.begin(), pic.plane.end(), 0);  // same plane, now black
        HalftonedPage page = halftone_page(m.print, pic, 2.5, 2.5);
        EXPECT_GT(page.count_black(), page.dots * long(page.lines.size()) * 9 / 10) << m.name;
    }
}

TEST(ErrorDiffusion, Uniform128IsACheckerboardStartingBlack)
{
    for (halftoner method : {floyd_gray, error_gray}) {
        HandPicture mid = uniform(16, 8, 128);
        HalftonedPage page = halftone_page(method, mid, 1.0, 1.0);
        for (long row = 0; row < 8; ++row)
            for (long i = 0; i < 16; ++i)
                ASSERT_EQ(page.black(row, i), (row + i) % 2 == 0) << "row " << row << " dot " << i;
    }
}

TEST(ErrorDiffusion, FloydAt64WaitsOneLineThenAlternates)
{
    HandPicture light = uniform(16, 2, 64);
    HalftonedPage page = halftone_page(floyd_gray, light, 1.0, 1.0);
    for (long i = 0; i < 16; ++i) {
        EXPECT_FALSE(page.black(0, i)) << i;
        EXPECT_EQ(page.black(1, i), i % 2 == 1) << i;
    }
}

// Dot 0 at darkness 128 prints black and leaves error -127, so dot 1 sees the
// sum 7 x -127 = -889: Floyd-Steinberg shifts it to -56 (toward minus
// infinity), the five-by-three method divides it to -18 (toward zero).
TEST(ErrorDiffusion, NegativeSumsRoundTheirOwnWay)
{
    HandPicture floyd_edge = one_line({128, 183});  // 183 - 56 = 127: white; -55 would print
    HalftonedPage page = halftone_page(floyd_gray, floyd_edge, 1.0, 1.0);
    EXPECT_TRUE(page.black(0, 0));
    EXPECT_FALSE(page.black(0, 1));
    HandPicture floyd_over = one_line({128, 184});
    EXPECT_TRUE(halftone_page(floyd_gray, floyd_over, 1.0, 1.0).black(0, 1));

    HandPicture jarvis_edge = one_line({128, 146});  // 146 - 18 = 128: black; -19 would not
    page = halftone_page(error_gray, jarvis_edge, 1.0, 1.0);
    EXPECT_TRUE(page.black(0, 0));
    EXPECT_TRUE(page.black(0, 1));
    HandPicture jarvis_under = one_line({128, 145});
    EXPECT_FALSE(halftone_page(error_gray, jarvis_under, 1.0, 1.0).black(0, 1));
}

namespace {

// Error diffusion written out dot by dot over whole rows of int errors with
// zero borders: weights[r][k] is the share of the line r + 1 above at column
// x - border + k; the current line contributes its last `border` columns.
std::vector<std::vector<bool>> diffuse_by_hand(const std::vector<std::vector<int>>& dark,
                                               const std::vector<std::vector<int>>& weights,
                                               const std::vector<int>& current, bool shift)
{
    int border = static_cast<int>(current.size());
    size_t n = dark[0].size();
    std::vector<std::vector<int>> errors(weights.size() + 1, std::vector<int>(n + 2 * border, 0));
    std::vector<std::vector<bool>> black;
    for (const auto& line : dark) {
        std::rotate(errors.rbegin(), errors.rbegin() + 1, errors.rend());  // oldest becomes current
        std::fill(errors[0].begin(), errors[0].end(), 0);
        black.emplace_back();
        for (size_t x = 0; x < n; ++x) {
            int s = 0;
            for (size_t r = 0; r < weights.size(); ++r)
                for (size_t k = 0; k < weights[r].size(); ++k)
                    s += weights[r][k] * errors[r + 1][x + k];
            for (int k = 0; k < border; ++k)
                s += current[k] * errors[0][x + k];
            int c = std::clamp(line[x] + (shift ? s >> 4 : s / 48), 0, 255);
            black.back().push_back(c > 127);
            errors[0][x + border] = c > 127 ? c - 255 : c;
        }
    }
    return black;
}

}  // namespace

// Every weight sits at its own column: a mirrored or shifted kernel, or rows
// rotated the wrong way, changes some dot of a random picture.
TEST(ErrorDiffusion, WeightsAndRowsOnARandomPicture)
{
    srand(5);
    std::vector<std::vector<int>> dark(13, std::vector<int>(29));
    for (auto& line : dark)
        for (int& d : line)
            d = rand() & 255;
    HandPicture pic = HandPicture::gray(29, 13, [&](int x, int y) { return 255 - dark[y][x]; });
    struct Case {
        halftoner method;
        std::vector<std::vector<int>> weights;
        std::vector<int> current;
        bool shift;
    };
    const Case cases[] = {
        {floyd_gray, {{1, 5, 3}}, {7}, true},
        {error_gray, {{3, 5, 7, 5, 3}, {1, 3, 5, 3, 1}}, {5, 7}, false},
    };
    for (const Case& c : cases) {
        auto expected = diffuse_by_hand(dark, c.weights, c.current, c.shift);
        HalftonedPage page = halftone_page(c.method, pic, 1.0, 1.0);
        for (long row = 0; row < 13; ++row)
            for (long i = 0; i < 29; ++i)
                ASSERT_EQ(page.black(row, i), expected[row][i]) << "row " << row << " dot " << i;
    }
}

TEST(ErrorDiffusion, LineWithoutAFittingStartFails)
{
    for (halftoner method : {floyd_gray, error_gray}) {
        HandPicture narrow = uniform(8, 2, 100), wide = uniform(64, 2, 100);
        RasterJobPtr job(make_raster_job());
        halftone_page(method, narrow, 1.0, 1.0, nullptr, job.get());
        // Rows were made for 8 dots; a 64-dot line without a restart must
        // not run off their end.
        std::vector<unsigned char> line(8);
        EXPECT_EQ(method(job.get(), nullptr, &wide.image, line.data(), 1.0, 1.0, 1, 0), 0);
        EXPECT_EQ(method(job.get(), nullptr, &wide.image, line.data(), 1.0, 1.0, 0, 1), 1);
    }
}

namespace {

// Which cells of each 8 x 8 tile a uniform darkness prints, checked over two
// tiles each way and over a picture three dots wide.
void expect_tile(halftoner method, int d, const std::function<bool(int, int)>& cell)
{
    for (int width : {16, 3}) {
        HandPicture pic = uniform(width, 16, d);
        HalftonedPage page = halftone_page(method, pic, 1.0, 1.0);
        for (int row = 0; row < 16; ++row)
            for (int i = 0; i < width; ++i)
                ASSERT_EQ(page.black(row, i), cell(row % 8, i % 8))
                    << "d " << d << " width " << width << " row " << row << " dot " << i;
    }
}

}  // namespace

TEST(OrderedDither, BayerCells)
{
    expect_tile(bayer_gray, 0, [](int, int) { return false; });
    expect_tile(bayer_gray, 4, [](int r, int c) { return r == 0 && c == 0; });
    expect_tile(bayer_gray, 128, [](int r, int c) { return (r + c) % 2 == 0; });
    expect_tile(bayer_gray, 255, [](int, int) { return true; });
}

TEST(OrderedDither, ScrollCellsGrowFromTheCentre)
{
    expect_tile(scroll_gray, 4, [](int r, int c) { return r == 3 && c == 3; });
    expect_tile(scroll_gray, 128, [](int r, int c) {
        return (r >= 1 && r <= 5 && c >= 1 && c <= 6) || (r == 6 && (c == 5 || c == 6));
    });
    expect_tile(scroll_gray, 255, [](int, int) { return true; });
}

TEST(Threshold, LevelFromTheSettings)
{
    struct Case {
        double threshold;
        int lightest_black;  // the smallest darkness that prints; 256: none
    };
    const Case cases[] = {{0.5, 128}, {0.25, 64}, {0.0, 0}, {1.0, 256}, {-3.0, 0},
                          {0.3, 77}, {1e30, 256}, {-1e30, 0}, {std::nan(""), 256}};
    HandPicture ramp = HandPicture::gray(256, 1, [](int x, int) { return 255 - x; });
    for (const Case& c : cases) {
        Settings settings{};
        settings.threshold = c.threshold;
        HalftonedPage page = halftone_page(threshold_gray, ramp, 1.0, 1.0, &settings);
        for (int d = 0; d < 256; ++d)
            ASSERT_EQ(page.black(0, d), d >= c.lightest_black) << "threshold " << c.threshold << " d " << d;
    }
}

TEST(RandomDither, OneDrawPerDotFromSeed255)
{
    HandPicture white = uniform(9, 3, 0), black = uniform(9, 3, 255);
    EXPECT_EQ(halftone_page(random_gray, white, 1.0, 1.0).count_black(), 0);
    HalftonedPage page = halftone_page(random_gray, black, 1.0, 1.0);
    // The white page drew 27 numbers too; the black page restarted the sequence.
    srand(255);
    for (long row = 0; row < 3; ++row)
        for (long i = 0; i < 9; ++i)
            EXPECT_EQ(page.black(row, i), (rand() & 255) != 255) << row << "," << i;
}
