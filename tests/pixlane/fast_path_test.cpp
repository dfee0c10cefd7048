// The halftoners' fast paths against the plain rules: every method, random
// pictures, awkward scales, whole pages compared byte for byte, line by line
// and as a transmission made on two threads.
#include "halftone_support.h"
#include "kernels.h"
#include "reference_halftone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

namespace {

const halftoner methods[] = {floyd_gray, error_gray, bayer_gray, scroll_gray, random_gray, threshold_gray};

// Noise, a smooth ramp with noise on it, hard stripes, white paper with gray
// patches and white bands (whose errors run out into the white), and black
// and white only, as text is drawn, with a gray-free corner of dots.
int pixel(int kind, int x, int y)
{
    switch (kind) {
    case 0: return rand() & 255;
    case 1: return std::clamp((x * 255) / 40 + (y * 3) % 17 + (rand() % 21) - 10, 0, 255);
    case 2: return (x / 3 + y) % 2 ? 250 : 3;
    case 3: return (y / 9) % 3 != 1 && (x / 90 + y / 7) % 4 == 0 ? (x * 37 + y * 11) % 256 : 255;
    default: return (x / 5 + y / 3) % 7 == 0 || (x > 500 && y % 13 == 0 && x % 3 == 0) ? 0 : 255;
    }
}

}  // namespace

// Every path the processor can run, then back to the one it chose; each
// line by line and on two threads.
class FastPaths : public ::testing::TestWithParam<std::tuple<VectorPath, bool>> {
protected:
    void SetUp() override
    {
        if (!use_vector_path(std::get<0>(GetParam())))
            GTEST_SKIP() << "the processor lacks this path";
    }
    void TearDown() override { use_vector_path(chosen); }
    VectorPath chosen = vector_path();
};

TEST_P(FastPaths, EveryMethodMatchesThePlainRules)
{
    srand(11);
    const bool two_threads = std::get<1>(GetParam());
    // The last is wide and tall enough for error diffusion's two threads to
    // follow each other within lines.
    const int sizes[][3] = {{37, 23, 0}, {1, 1, 1},   {2, 9, 2},     {83, 5, 0},   {130, 3, 1},
                            {9, 40, 2},  {211, 31, 0}, {700, 60, 1}, {900, 40, 3}, {700, 30, 4}};
    const double scales[][2] = {{1.0, 1.0},  {2.48, 2.339}, {0.37, 0.8}, {7.0, 1.0 / 3},
                                {23.0 / 7, 0.992}, {1.5, 4.0}, {0.5, 0.5}, {1.0001, 2.0}};
    const double thresholds[] = {0.5, 0.3};
    for (auto [w, h, kind] : sizes) {
        HandPicture pic = HandPicture::gray(w, h, [k = kind](int x, int y) { return pixel(k, x, y); });
        for (auto [xs, ys] : scales)
            for (int m = 0; m < 6; ++m)
                for (double threshold : thresholds) {
                    if (m != 5 && threshold != 0.5)
                        continue;
                    Settings settings{};
                    settings.threshold = threshold;
                    auto expected = reference_page(m, pic.image, xs, ys, threshold);
                    HalftonedPage page = two_threads
                                             ? halftone_page_lines(methods[m], pic, xs, ys, &settings, true)
                                             : halftone_page(methods[m], pic, xs, ys, &settings);
                    ASSERT_EQ(page.lines, expected) << "path " << int(std::get<0>(GetParam()))
                        << (two_threads ? " two threads " : " ")
                        << "method " << m << " picture " << w << "x" << h << " scales " << xs << ","
                        << ys << " threshold " << threshold;
                }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, FastPaths,
                         ::testing::Combine(::testing::Values(VectorPath::plain, VectorPath::avx2),
                                            ::testing::Bool()));
