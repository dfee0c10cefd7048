// The colour-box reducer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "formats/picture_kinds.h"
#include "xscube.h"

namespace {

// A w x h picture of RGB planes with colour(x, y) -> {r, g, b}.
template <class Colour>
Image rgbPicture(int width, int height, Colour colour)
{
    Image image(XSLCrNewZmap(width, height, 8));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto c = colour(x, y);
            const long at = long(y) * width + x;
            image->data[at] = uint8_t(c[0]);
            image->data_g[at] = uint8_t(c[1]);
            image->data_b[at] = uint8_t(c[2]);
        }
    return image;
}

void expectColormapImage(const XSImage* image, int most)
{
    ASSERT_EQ(image->planes, 1);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(image->red_mask | image->green_mask | image->blue_mask, 0u);
    ASSERT_GE(image->ncolors, 1);
    EXPECT_LE(image->ncolors, most);
    EXPECT_EQ(image->data_g, nullptr);
    for (int i = 0; i < image->ncolors; ++i)
        EXPECT_EQ(image->colormap[i].index, i);
    const long size = XSLDataSize(image);
    for (long i = 0; i < size; ++i)
        ASSERT_LT(image->data[i], image->ncolors) << i;
}

const int kCorners[][3] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}, {40, 200, 90}};

}  // namespace

TEST(ColourCube, FewColoursAreKeptExactlyInEveryInputKind)
{
    auto corner = [](int x, int y) { return kCorners[(x * 3 + y) % 5]; };
    std::vector<Image> sources;
    sources.push_back(rgbPicture(9, 7, corner));
    for (auto [bytes, r, g, b] : {std::tuple{2, 0xF800u, 0x07E0u, 0x001Fu},
                                  {3, 0xFF0000u, 0xFF00u, 0xFFu},
                                  {4, 0xFFu, 0xFF00u, 0xFF0000u}}) {
        Image direct = directImage(9, 7, bytes * 8, r, g, b);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x)
                XSLPutPixel(direct.get(), x, y, corner(x, y)[0], corner(x, y)[1], corner(x, y)[2]);
        sources.push_back(std::move(direct));
    }
    for (Image& image : sources) {
        SCOPED_TRACE(image->bytes_per_pixel);
        const std::vector<int> before = coloursOf(image.get());
        ASSERT_EQ(XSLOctreeQuantize(image.get(), 16), 1);
        expectColormapImage(image.get(), 16);
        EXPECT_EQ(coloursOf(image.get()), before);
        EXPECT_EQ(image->ncolors, 5);
    }
}

TEST(ColourCube, OneColourIsTheTruncatedAverage)
{
    Image image = rgbPicture(3, 1, [](int x, int) { return std::array<int, 3>{x * 100, 7, 255 - x}; });
    ASSERT_EQ(XSLOctreeQuantize(image.get(), 1), 1);
    expectColormapImage(image.get(), 1);
    EXPECT_EQ(image->colormap[0].red, 100);
    EXPECT_EQ(image->colormap[0].green, 7);
    EXPECT_EQ(image->colormap[0].blue, 254);
    EXPECT_EQ(Plane(image->data, 3), Bytes({0, 0, 0}));

    Image two = RgbRow({0, 1}, {0, 1}, {0, 1});
    ASSERT_EQ(XSLOctreeQuantize(two.get(), 1), 1);
    ASSERT_EQ(two->ncolors, 1);
    EXPECT_EQ(coloursOf(two.get()), std::vector<int>(6, 0));
}

TEST(ColourCube, PhotoLikePictureReducesToEveryRequestedCount)
{
    // Smooth gradients with grain, as in a photograph.
    auto photo = [](int x, int y) {
        const int grain = std::rand() % 23;
        return std::array<int, 3>{(x + grain) % 256, (y * 2 + grain) % 256, (x * y / 97 + 3 * grain) % 256};
    };
    const struct {
        int colors;
        double mean_error;
    } cases[] = {{256, 12}, {16, 40}, {2, 90}, {1000, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colors);
        std::srand(7);
        Image image = rgbPicture(400, 300, photo);
        const std::vector<int> before = coloursOf(image.get());
        ASSERT_EQ(XSLOctreeQuantize(image.get(), c.colors), 1);
        expectColormapImage(image.get(), std::min(c.colors, 256));
        EXPECT_GT(image->ncolors, std::min(c.colors, 256) / 2);
        const std::vector<int> after = coloursOf(image.get());
        double error = 0;
        for (size_t i = 0; i < before.size(); ++i)
            error += std::abs(before[i] - after[i]);
        EXPECT_LT(error / double(before.size()), c.mean_error);
    }
}

TEST(ColourCube, RefusalsLeaveTheImageAsItWas)
{
    Image rgb = RgbRow({1, 2}, {3, 4}, {5, 6});
    Image no_blue = DirectRow(3, 0xFF0000, 0xFF00, 0, {0x123456});
    Image plain = IndexedRow({1, 2});  // one byte per pixel without colormap
    for (auto [image, colors] :
         {std::pair{rgb.get(), 0}, {rgb.get(), -5}, {no_blue.get(), 4}, {plain.get(), 4}}) {
        const std::vector<int> before = image->planes == 3 ? coloursOf(image) : std::vector<int>{};
        xslerrno = 0;
        EXPECT_EQ(XSLOctreeQuantize(image, colors), 0);
        EXPECT_EQ(xslerrno, XSE_KIND);
        EXPECT_EQ(image->ncolors, 0);
        if (image->planes == 3) {
            EXPECT_EQ(coloursOf(image), before);
        }
    }
    EXPECT_EQ(Plane(no_blue->data, 3), Bytes({0x12, 0x34, 0x56}));

    // Bitmaps and colormap images are already reduced.
    Image bitmap(XSLCrNewBit(9, 2));
    Image mapped = IndexedRow({0, 1}, {Entry(0, 1, 2, 3), Entry(1, 4, 5, 6)});
    EXPECT_EQ(XSLOctreeQuantize(bitmap.get(), 2), 1);
    EXPECT_EQ(XSLOctreeQuantize(mapped.get(), 1), 1);
    EXPECT_EQ(mapped->ncolors, 2);
    EXPECT_EQ(bitmap->type, 0);

    XSColor entry[1];
    EXPECT_EQ(alcols(entry, 0, entry, 1), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

TEST(ColourCube, ColormapPixelsBecomeRecords)
{
    Image image = IndexedRow({1, 0, 7}, {Entry(0, 1, 2, 3), Entry(1, 4, 5, 6)});
    std::vector<XSColor> records(3);
    EXPECT_EQ(XSLQuantizeSubMAPColor(image.get(), records.data(), 2), 0);
    ASSERT_EQ(XSLQuantizeSubMAPColor(image.get(), records.data(), 3), 1);
    EXPECT_EQ(image->data, nullptr);
    EXPECT_EQ(image->ncolors, 0);
    const std::vector<int> got = {records[0].red, records[0].blue, records[1].green, records[2].red};
    EXPECT_EQ(got, (std::vector<int>{4, 6, 2, 0}));
}
