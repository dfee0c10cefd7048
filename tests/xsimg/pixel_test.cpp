// Pixel layouts of every kind, single-pixel access and horizontal runs.
#include "test_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

uint16_t value16(const XSImage* image, long pixel)
{
    uint16_t v;
    memcpy(&v, image->data + pixel * 2, 2);
    return v;
}

// The colour at (x, y) through both getters, which must agree.
std::vector<int> get(XSImage* image, int x, int y)
{
    int r = -1, g = -1, b = -1;
    XSLGetPixel(image, x, y, &r, &g, &b);
    unsigned char rgb[3] = {1, 2, 3};
    XSLGetPixel2(image, x, y, rgb);
    const std::vector<int> seen = r < 0 ? std::vector<int>{-1, -1, -1} : bytes(rgb, 3);   // both left alone
    EXPECT_EQ(seen, (std::vector<int>{r, g, b})) << "getters disagree at " << x << "," << y;
    if (r < 0) {
        EXPECT_EQ(bytes(rgb, 3), (std::vector<int>{1, 2, 3}));
    }
    return {r, g, b};
}
const std::vector<int> kBlack{0, 0, 0}, kWhite{255, 255, 255};

TEST(Layout, BitmapIsMsbFirstSetBitBlackRowsUnpadded)
{
    Image image(XSLCrNewBit(9, 2));
    XSLPutPixel(image.get(), 1, 0, 0, 0, 0);
    XSLPutPixel(image.get(), 8, 0, 0, 255, 255);    // only red decides
    XSLPutPixel(image.get(), 0, 1, 256, 0, 0);      // low 8 bits of 256 are 0: black
    EXPECT_EQ(bytes(image->data, 4), (std::vector<int>{0x40, 0x80, 0x80, 0x00}));
    EXPECT_EQ(get(image.get(), 1, 0), kBlack);
    EXPECT_EQ(get(image.get(), 2, 0), kWhite);
    XSLPutPixel(image.get(), 1, 0, 1, 0, 0);
    EXPECT_EQ(image->data[0], 0x00);
}

TEST(Layout, DirectPixelBytes)
{
    Image image = directImage(9, 2, 24, 0xFF0000, 0x00FF00, 0x0000FF);
    XSLPutPixel(image.get(), 0, 1, 0x12, 0x34, 0x56);
    EXPECT_EQ(bytes(image->data + 27, 3), (std::vector<int>{0x12, 0x34, 0x56}));   // most significant first
    EXPECT_EQ(get(image.get(), 0, 1), (std::vector<int>{0x12, 0x34, 0x56}));

    Image image32 = directImage(2, 1, 32, 0x00FF0000, 0x0000FF00, 0x000000FF);
    XSLPutPixel(image32.get(), 1, 0, 1, 2, 3);
    uint32_t v;
    memcpy(&v, image32->data + 4, 4);
    EXPECT_EQ(v, 0x00010203u);                       // host order
    EXPECT_EQ(get(image32.get(), 1, 0), (std::vector<int>{1, 2, 3}));

    Image rgb(XSLCrNewZmap(3, 2, 8));
    XSLPutPixel2(rgb.get(), 2, 1, XSColor{0, 10, 20, 30});
    EXPECT_EQ((std::vector<int>{rgb->data[5], rgb->data_g[5], rgb->data_b[5]}), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(get(rgb.get(), 2, 1), (std::vector<int>{10, 20, 30}));
}

TEST(Direct, FiveSixFiveRoundTrip)
{
    Image image = directImage(3, 1, 16, 0xF800, 0x07E0, 0x001F);
    XSLPutPixel(image.get(), 0, 0, 255, 255, 255);
    XSLPutPixel(image.get(), 1, 0, 255, 0, 0);
    XSLPutPixel(image.get(), 2, 0, 128, 64, 32);
    EXPECT_EQ(value16(image.get(), 0), 0xFFFF);
    EXPECT_EQ(value16(image.get(), 1), 0xF800);
    // trunc(128/255*31) = 15, trunc(64/255*63) = 15, trunc(32/255*31) = 3
    EXPECT_EQ(value16(image.get(), 2), (15 << 11) | (15 << 5) | 3);
    EXPECT_EQ(get(image.get(), 0, 0), kWhite);
    EXPECT_EQ(get(image.get(), 2, 0), (std::vector<int>{15 * 255 / 31, 15 * 255 / 63, 3 * 255 / 31}));
    memset(image->data, 0, 6);
    EXPECT_EQ(get(image.get(), 0, 0), kBlack);

    Image no_blue = directImage(1, 1, 16, 0xFF00, 0x00FF, 0);
    memset(no_blue->data, 0xFF, 2);
    EXPECT_EQ(get(no_blue.get(), 0, 0), (std::vector<int>{255, 255, 0}));   // empty mask reads 0
}

TEST(Direct, CachesFollowMaskChanges)
{
    Image a = directImage(1, 1, 16, 0xF800, 0x07E0, 0x001F);
    Image b = directImage(1, 1, 16, 0x7C00, 0x03E0, 0x001F);   // 5-5-5
    const XSColor green{0, 0, 255, 0};
    for (int round = 0; round < 2; round++) {
        XSLPutPixel2(a.get(), 0, 0, green);
        XSLPutPixel2(b.get(), 0, 0, green);
        EXPECT_EQ(value16(a.get(), 0), 0x07E0);
        EXPECT_EQ(value16(b.get(), 0), 0x03E0);
        EXPECT_EQ(get(a.get(), 0, 0), (std::vector<int>{0, 255, 0}));
        EXPECT_EQ(get(b.get(), 0, 0), (std::vector<int>{0, 255, 0}));
        XSLPutPixel(a.get(), 0, 0, 255, 0, 0);
        XSLPutPixel(b.get(), 0, 0, 255, 0, 0);
        EXPECT_EQ(value16(a.get(), 0), 0xF800);
        EXPECT_EQ(value16(b.get(), 0), 0x7C00);
    }
}

TEST(Colormap, PutPixelGrowsTo256ThenFails)
{
    Image image = colormapImage(16, 16, {}, {{0, 0, 0}});
    for (int i = 1; i < 255; i++)
        XSLPutPixel(image.get(), i % 16, i / 16, i, 0, 0);
    ASSERT_EQ(image->ncolors, 255);
    XSLPutPixel(image.get(), 15, 15, 1, 2, 3);       // 255 entries: appends entry 255
    ASSERT_EQ(image->ncolors, 256);
    EXPECT_EQ(image->colormap[255].index, 255);
    EXPECT_EQ(image->data[255], 255);
    EXPECT_EQ(get(image.get(), 15, 15), (std::vector<int>{1, 2, 3}));

    image->data[0] = 17;
    xslerrno = 0;
    XSLPutPixel(image.get(), 0, 0, 9, 9, 9);         // full and new: nothing written
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(image->data[0], 17);
    XSLPutPixel(image.get(), 0, 0, 100, 0, 0);       // full but known: written
    EXPECT_EQ(image->data[0], 100);
    image->ncolors = 100;                            // byte 100 now lies beyond the colormap
    EXPECT_EQ(get(image.get(), 0, 0), kBlack);
}

TEST(Kinds, UnsupportedAndOutsideCalls)
{
    Image plain(XSLCrNewZmap2(2, 2, 8));             // one byte per pixel, no colormap
    plain->data[0] = 5;
    xslerrno = 0;
    XSLPutPixel(plain.get(), 0, 0, 1, 1, 1);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(plain->data[0], 5);
    xslerrno = 0;
    EXPECT_EQ(get(plain.get(), 0, 0), (std::vector<int>{-1, -1, -1}));
    EXPECT_EQ(xslerrno, XSE_KIND);

    Image bitmap(XSLCrNewBit(8, 1));
    xslerrno = 0;
    for (auto [x, y] : {std::pair{-1, 0}, {8, 0}, {0, -1}, {0, 1}}) {
        XSLPutPixel(bitmap.get(), x, y, 0, 0, 0);
        EXPECT_EQ(get(bitmap.get(), x, y), (std::vector<int>{-1, -1, -1}));
    }
    EXPECT_EQ(xslerrno, 0);
    EXPECT_EQ(bitmap->data[0], 0);
}

TEST(PutLine, ClampsLikeTheRunRule)
{
    Image image(XSLCrNewZmap(10, 2, 8));
    auto run = [&](int x1, int x2, int y) {
        memset(image->data, 0, 20);
        XSLPutLine(image.get(), x1, x2, y, 9, 8, 7);
        std::string marks;
        for (int i = 0; i < 20; i++)
            marks += image->data[i] ? '#' : '.';
        return marks;
    };
    EXPECT_EQ(run(2, 5, 0), "..###...............");
    EXPECT_EQ(run(-5, 100, 1), "..........#########.");    // x2 clamps to 9 and is excluded
    EXPECT_EQ(run(4, 4, 0), "....#...............");       // equal ends give one pixel
    EXPECT_EQ(run(10, 20, 0), ".........#..........");     // x1 = width clamps to 9
    EXPECT_EQ(run(-3, 0, 0), "#...................");
    for (auto [x1, x2, y] : {std::tuple{11, 20, 0}, {-3, -1, 0}, {6, 2, 0}, {0, 5, 2}, {0, 5, -1}})
        EXPECT_EQ(run(x1, x2, y), std::string(20, '.')) << x1 << " " << x2 << " " << y;
    XSLPutLine(image.get(), 1, 3, 0, 9, 8, 7);
    EXPECT_EQ(image->data_g[1], 8);
    EXPECT_EQ(image->data_b[2], 7);
}

TEST(PutLine, BitmapTakesOnlyBlackOrWhite)
{
    Image image(XSLCrNewBit(20, 2));
    XSLPutLine(image.get(), 3, 18, 1, 0, 0, 0);
    EXPECT_EQ(bytes(image->data, 6), (std::vector<int>{0, 0, 0, 0x1F, 0xFF, 0xC0}));
    XSLPutLine(image.get(), 5, 17, 1, 255, 255, 255);
    // A field wider than 8 bits reads by its top 8 bits, as every converter does.
    Image wide = directImage(1, 1, 32, 0x3FF00000, 0x000FFC00, 0x000003FF);
    const uint32_t tenBits = 1022u << 20 | 514u << 10 | 3u;
    memcpy(wide->data, &tenBits, 4);
    EXPECT_EQ(get(wide.get(), 0, 0), (std::vector<int>{255, 128, 0}));

    EXPECT_EQ(bytes(image->data + 3, 3), (std::vector<int>{0x18, 0x00, 0x40}));
    xslerrno = 0;
    XSLPutLine(image.get(), 0, 19, 0, 255, 0, 0);
    EXPECT_EQ(xslerrno, XSE_BITMAP_COLOR);
    EXPECT_EQ(bytes(image->data, 3), (std::vector<int>{0, 0, 0}));
}

TEST(PutLine, DirectAndColormap)
{
    Image direct = directImage(4, 1, 16, 0xF800, 0x07E0, 0x001F);
    XSLPutLine(direct.get(), 1, 3, 0, 128, 64, 32);
    const int mid = (15 << 11) | (15 << 5) | 3;
    EXPECT_EQ((std::vector<int>{value16(direct.get(), 0), value16(direct.get(), 1), value16(direct.get(), 2),
                                value16(direct.get(), 3)}),
              (std::vector<int>{0, mid, mid, 0}));

    Image mapped = colormapImage(4, 1, {0, 0, 0, 0}, {{0, 0, 0}});
    XSLPutLine(mapped.get(), 0, 3, 0, 50, 60, 70);
    EXPECT_EQ(mapped->ncolors, 2);
    EXPECT_EQ(bytes(mapped->data, 4), (std::vector<int>{1, 1, 1, 0}));
}

} // namespace
