// The reader toolkit: bit packing, ramps, palettes, planes and byte order.
#include <gtest/gtest.h>

#include <vector>

#include "memfile.h"
#include "xsreadkit.h"

TEST(ReadKit, UnpackAndPackBitsOfEveryDepth)
{
    const unsigned char packed[] = {0xB4, 0x5C};
    const struct {
        int bits;
        std::vector<int> samples;
    } cases[] = {
        {1, {1, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0}},
        {2, {2, 3, 1, 0, 1, 1, 3}},
        {4, {11, 4, 5}},
        {8, {0xB4, 0x5C}},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> out(c.samples.size());
        XslUnpackBits(packed, out.data(), long(out.size()), c.bits);
        EXPECT_EQ(std::vector<int>(out.begin(), out.end()), c.samples) << c.bits;
    }
    const unsigned char samples[] = {1, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0};
    unsigned char row[2] = {0xFF, 0xFF};
    XslPackBitmap(samples, row, 11);
    EXPECT_EQ(row[0], 0xB4);
    EXPECT_EQ(row[1], 0x40);  // trailing bits stay clear
}

TEST(ReadKit, RampsPalettesAndConstructors)
{
    XslImagePtr gray = XslNewGrayImage(3, 2, 4, true);
    ASSERT_TRUE(gray);
    ASSERT_EQ(gray->ncolors, 4);
    EXPECT_EQ(gray->colormap[0].red, 255);
    EXPECT_EQ(gray->colormap[1].green, 170);
    EXPECT_EQ(gray->colormap[3].blue, 0);
    EXPECT_EQ(gray->colormap[2].index, 2);

    const unsigned char bgrx[] = {1, 2, 3, 0, 4, 5, 6, 0};
    ASSERT_TRUE(XslSetPalette(gray.get(), bgrx, 2, XS_PALETTE_BGRX));
    EXPECT_EQ(gray->ncolors, 2);
    EXPECT_EQ(gray->colormap[1].red, 6);
    EXPECT_EQ(gray->colormap[1].blue, 4);

    XslImagePtr direct = XslNewDirectImage(2, 2, 4);
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->depth, 32u);
    EXPECT_EQ(direct->red_mask, XS_RED_MASK);
    xslerrno = 0;
    EXPECT_FALSE(XslNewDirectImage(2, 2, 5));
    EXPECT_EQ(xslerrno, XSE_KIND);
    xslerrno = 0;
    EXPECT_FALSE(XslNewRgbImage(1 << 20, 1 << 20));
    EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
    EXPECT_EQ(XslRowBytes(5, 24, 4), 16);
    EXPECT_EQ(XslRowBytes(9, 1, 2), 2);
    EXPECT_EQ(XslRowBytes(1L << 62, 8, 1), -1);
}

TEST(ReadKit, PlanesAndRowsRoundTrip)
{
    const unsigned char row[] = {1, 2, 3, 9, 4, 5, 6, 9};
    unsigned char r[2], g[2], b[2], back[8];
    XslRowToPlanes(row, 4, 2, r, g, b);
    EXPECT_EQ(g[1], 5);
    XslPlanesToRow(r, g, b, 2, 4, back);
    const unsigned char expected[] = {1, 2, 3, 0, 4, 5, 6, 0};
    EXPECT_EQ(0, memcmp(back, expected, 8));
}

TEST(ReadKit, ByteOrderFromBytesAndStreams)
{
    const unsigned char b[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(XslGet16BE(b), 0x1234);
    EXPECT_EQ(XslGet16LE(b), 0x3412);
    EXPECT_EQ(XslGet32BE(b), 0x12345678u);
    EXPECT_EQ(XslGet32LE(b), 0x78563412u);
    FilePtr f = stream_of(std::string("\x12\x34\x56\x78\x9a", 5));
    uint32_t v;
    EXPECT_EQ(XslBytesLeft(f.get()), 5);
    ASSERT_TRUE(XslRead16LE(f.get(), &v));
    EXPECT_EQ(v, 0x3412u);
    ASSERT_TRUE(XslRead16BE(f.get(), &v));
    EXPECT_EQ(v, 0x5678u);
    EXPECT_FALSE(XslRead32BE(f.get(), &v));  // one byte left: a short read
    EXPECT_EQ(v, 0u);
}
