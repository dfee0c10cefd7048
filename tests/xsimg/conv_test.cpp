// Conversions between pixel kinds, the gray weights and the channel tables.
#include "xsconv.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void expectGray8(const XSImage* image)
{
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->planes, 1);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_TRUE(!image->data_g && !image->data_b);
    ASSERT_EQ(image->ncolors, 256);
    for (int i = 0; i < 256; i++) {
        const XSColor& e = image->colormap[i];
        ASSERT_TRUE(e.index == i && e.red == i && e.green == i && e.blue == i) << i;
    }
}

// 10 pixels wide with the unused low bits of each row's last byte set, so that
// they would show if a row were read past its width.
Image bitmap10x2(std::initializer_list<std::initializer_list<int>> palette = {})
{
    Image image(XSLCrNewBit(10, 2));
    memcpy(image->data, "\x81\x7f\x40\x3f", 4);   // pixels 0, 7, 9; row 1: pixel 1
    if (palette.size()) {
        Image mapped = colormapImage(1, 1, {}, palette);
        std::swap(image->colormap, mapped->colormap);
        std::swap(image->ncolors, mapped->ncolors);
    }
    return image;
}
// bitmap10x2 expanded, with a clear bit as c and a set bit as s.
std::vector<int> expanded(int c, int s)
{
    return {s, c, c, c, c, c, c, s, c, s, c, s, c, c, c, c, c, c, c, c};
}

TEST(GrayWeights, WorkedValues)
{
    EXPECT_EQ(XslFastGray(255, 255, 255), 255);
    EXPECT_EQ(XslExactGray(255, 255, 255), 255);
    EXPECT_EQ(XslFastGray(255, 0, 0), 76);
    EXPECT_EQ(XslExactGray(255, 0, 0), 76);
    EXPECT_EQ(XslFastGray(0, 0, 255), 28);
    EXPECT_EQ(XslExactGray(0, 0, 255), 29);
    EXPECT_EQ(XslFastGray(0, 255, 0), 149);
    EXPECT_EQ(XslExactGray(0, 255, 0), 150);    // 149.685 rounds up
    EXPECT_EQ(XslExactGray(100, 100, 100), 100);
}

TEST(ConversionTables, ChannelScaling)
{
    unsigned char r[256], g[256], b[256];
    for (int bits = 1; bits <= 8; bits++) {          // floor(255 v / max) for every field width
        const int max = (1 << bits) - 1;
        XSBuildRGBConvertTable(r, g, b, max, max, max);
        for (int v = 0; v <= max; v++)
            ASSERT_EQ(r[v], 255 * v / max) << bits << " " << v;
    }
    uint32_t tr[256], tg[256], tb[256];
    XSBuildDirectConvertTable(tr, tg, tb, 31, 63, 31, 11, 5, 0);
    EXPECT_EQ(tr[255], 31u << 11);
    EXPECT_EQ(tg[255], 63u << 5);
    EXPECT_EQ(tb[128], 15u);
    EXPECT_EQ(tr[0], 0u);
    EXPECT_EQ(XslRgbShiftMask(0xF800), 11);
    EXPECT_EQ(XslRgbShiftMask(0x80000000), 31);
    EXPECT_EQ(XslRgbShiftMask(0), 0);
}

TEST(ToGray, Bitmaps)
{
    Image plain = bitmap10x2();
    ASSERT_EQ(XSLConvGray(plain.get()), 1);
    expectGray8(plain.get());
    EXPECT_EQ(plain->bits_per_sample, 8);
    EXPECT_EQ(bytes(plain->data, 20), expanded(255, 0));

    // Palette grays use the exact weights: red 76 for clear bits, blue 29 (fast: 28) for set.
    Image paletted = bitmap10x2({{255, 0, 0}, {0, 0, 255}});
    ASSERT_EQ(XSLConvGray(paletted.get()), 1);
    expectGray8(paletted.get());
    EXPECT_EQ(bytes(paletted->data, 20), expanded(76, 29));
}

TEST(ToGray, ColourKindsWithBothWeights)
{
    Image mapped = colormapImage(3, 1, {0, 1, 7}, {{255, 0, 0}, {0, 0, 255}});
    ASSERT_EQ(XSLConvGray(mapped.get()), 1);
    expectGray8(mapped.get());
    EXPECT_EQ(bytes(mapped->data, 3), (std::vector<int>{76, 28, 0}));   // no entry 7: 0

    for (int fast : {1, 0}) {
        Image rgb(XSLCrNewZmap(3, 1, 8));
        memcpy(rgb->data, "\xff\x00\xff", 3);
        memcpy(rgb->data_g, "\x00\x00\xff", 3);
        memcpy(rgb->data_b, "\x00\xff\xff", 3);
        ASSERT_EQ(fast ? XSLFastColorToGray(rgb.get()) : XSLColorToGray(rgb.get()), 1);
        expectGray8(rgb.get());
        EXPECT_EQ(bytes(rgb->data, 3), (std::vector<int>{76, fast ? 28 : 29, 255}));
    }

    Image direct = directImage(2, 1, 24, 0xFF0000, 0x00FF00, 0x0000FF);
    memcpy(direct->data, "\x00\x00\xff\xff\xff\xff", 6);
    ASSERT_EQ(XSLColorToGray(direct.get()), 1);
    expectGray8(direct.get());
    EXPECT_EQ(bytes(direct->data, 2), (std::vector<int>{29, 255}));
    EXPECT_EQ(direct->red_mask, 0xFF0000u);          // masks are left as they were
}

TEST(ToGray, RefusedKinds)
{
    Image bitmap(XSLCrNewBit(8, 1));
    xslerrno = 0;
    EXPECT_EQ(XSLFastColorToGray(bitmap.get()), 0);
    EXPECT_EQ(xslerrno, XSE_PROCESS_KIND);
    EXPECT_EQ(bitmap->type, 0);

    Image plain(XSLCrNewZmap2(2, 1, 8));
    xslerrno = 0;
    EXPECT_EQ(XSLConvGray(plain.get()), 0);
    EXPECT_EQ(XSLConv24RGB(plain.get()), 0);
    EXPECT_EQ(xslerrno, 0);                          // no colormap: failure without a code
    EXPECT_EQ(plain->ncolors + plain->planes, 1);

    Image odd(XSLCrNewZmap2(2, 1, 8));
    odd->planes = 2;
    EXPECT_EQ(XSLColorToGray(odd.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    xslerrno = 0;
    EXPECT_EQ(XSLConv24RGB(odd.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

TEST(ToRgb, BitmapIgnoresItsColormap)
{
    Image image = bitmap10x2({{10, 20, 30}, {40, 50, 60}});
    ASSERT_EQ(XSLConv24RGB(image.get()), 1);
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->planes, 3);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_TRUE(image->ncolors == 0 && !image->colormap);
    for (const unsigned char* plane : {image->data, image->data_g, image->data_b})
        EXPECT_EQ(bytes(plane, 20), expanded(255, 0));
}

TEST(ToRgb, ColormapAndDirectKinds)
{
    Image mapped = colormapImage(3, 1, {1, 0, 200}, {{1, 2, 3}, {4, 5, 6}});
    ASSERT_EQ(XSLConv24RGB(mapped.get()), 1);
    EXPECT_EQ(mapped->planes, 3);
    EXPECT_EQ(mapped->ncolors, 0);
    EXPECT_EQ(bytes(mapped->data, 3), (std::vector<int>{4, 1, 0}));
    EXPECT_EQ(bytes(mapped->data_g, 3), (std::vector<int>{5, 2, 0}));
    EXPECT_EQ(bytes(mapped->data_b, 3), (std::vector<int>{6, 3, 0}));

    Image d16 = directImage(2, 1, 16, 0xF800, 0x07E0, 0x001F);
    const uint16_t v16[] = {0xFFFF, (15 << 11) | (15 << 5) | 3};
    memcpy(d16->data, v16, 4);
    ASSERT_EQ(XSLConv24RGB(d16.get()), 1);
    EXPECT_EQ(d16->planes, 3);
    EXPECT_EQ(d16->depth, 8u);
    EXPECT_EQ(d16->bytes_per_pixel, 1);
    EXPECT_EQ(d16->red_mask | d16->green_mask | d16->blue_mask, 0u);
    EXPECT_EQ(bytes(d16->data, 2), (std::vector<int>{255, 123}));
    EXPECT_EQ(bytes(d16->data_g, 2), (std::vector<int>{255, 60}));
    EXPECT_EQ(bytes(d16->data_b, 2), (std::vector<int>{255, 24}));

    Image d24 = directImage(2, 1, 24, 0x0000FF, 0x00FF00, 0xFF0000);
    memcpy(d24->data, "\x01\x02\x03\x04\x05\x06", 6);
    ASSERT_EQ(XSLConv24RGB(d24.get()), 1);
    EXPECT_EQ(bytes(d24->data, 2), (std::vector<int>{3, 6}));
    EXPECT_EQ(bytes(d24->data_b, 2), (std::vector<int>{1, 4}));

    Image d32 = directImage(1, 1, 32, 0x3FF00000, 0x000FFC00, 0x000003FF);   // 10-bit fields
    const uint32_t v32 = (0x3FFu << 20) | (0x200u << 10) | 0x003;
    memcpy(d32->data, &v32, 4);
    ASSERT_EQ(XSLConv24RGB(d32.get()), 1);
    EXPECT_EQ((std::vector<int>{d32->data[0], d32->data_g[0], d32->data_b[0]}), (std::vector<int>{255, 128, 0}));

    Image rgb(XSLCrNewZmap(1, 1, 8));
    unsigned char* green = rgb->data_g;
    EXPECT_EQ(XSLConv24RGB(rgb.get()), 1);
    EXPECT_EQ(rgb->data_g, green);
}

TEST(MonoColor, ExpandsToIndicesAndKeepsColormap)
{
    Image bare = bitmap10x2();
    xslerrno = 0;
    EXPECT_EQ(XSLMonoColorToColormap(bare.get()), 0);
    EXPECT_EQ(xslerrno, XSE_NO_CMAP);
    EXPECT_EQ(bare->type, 0);

    Image image = bitmap10x2({{255, 255, 0}, {0, 0, 128}});
    ASSERT_EQ(XSLMonoColorToColormap(image.get()), 1);
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_EQ(image->bits_per_sample, 8);
    EXPECT_EQ(image->ncolors, 2);
    EXPECT_EQ(bytes(image->data, 20), expanded(0, 1));
}

TEST(RoundTrip, ColormapThroughRgbAndBackToGray)
{
    Image image = colormapImage(4, 1, {0, 1, 2, 3}, {{0, 0, 0}, {90, 90, 90}, {255, 0, 0}, {255, 255, 255}});
    ASSERT_EQ(XSLConv24RGB(image.get()), 1);
    ASSERT_EQ(XSLConvGray(image.get()), 1);
    expectGray8(image.get());
    EXPECT_EQ(bytes(image->data, 4), (std::vector<int>{0, 90, 76, 255}));
    ASSERT_EQ(XSLBuildGraymap(image.get()), 1);
    EXPECT_EQ(bytes(image->data, 4), (std::vector<int>{0, 90, 76, 255}));
}

} // namespace
