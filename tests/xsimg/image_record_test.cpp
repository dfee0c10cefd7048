// Construction, release, copying, sizes and the size guard of image records.
#include "xsimage.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

TEST(SizeGuard, AcceptsRealPagesRefusesAbsurdSizes)
{
    EXPECT_EQ(XSLSizeOK(7016, 9921, 4), 1);          // A3 at 600 dpi, 32-bit
    EXPECT_EQ(XSLSizeOK(1, XS_MAX_PIXELS, 1), 1);
    EXPECT_EQ(XSLSizeOK(2, XS_MAX_PIXELS / 2 + 1, 1), 0);
    EXPECT_EQ(XSLSizeOK(0, 10, 1), 0);
    EXPECT_EQ(XSLSizeOK(10, -1, 1), 0);
    EXPECT_EQ(XSLSizeOK(10, 10, 0), 0);
    EXPECT_EQ(XSLSizeOK(65536, 65536, 1), 0);        // would wrap a 32-bit count
    EXPECT_EQ(XSLSizeOK(LONG_MAX, LONG_MAX, 1), 0);
    EXPECT_EQ(XSLSizeOK(1000, 1000, LONG_MAX / 2), 0);
}

TEST(Constructors, RefuseAbsurdSizesWithCode7)
{
    const int sizes[][2] = {{0, 1}, {1, 0}, {-5, 10}, {65536, 65536}, {INT_MAX, INT_MAX}, {INT_MAX, 2}};
    for (auto [w, h] : sizes) {
        xslerrno = 0;
        EXPECT_EQ(XSLCrNewBit(w, h), nullptr) << w << "x" << h;
        EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
        xslerrno = 0;
        EXPECT_EQ(XSLCrNewZmap2(w, h, 32), nullptr);
        EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
        xslerrno = 0;
        EXPECT_EQ(XSLCrNewZmap(w, h, 8), nullptr);
        EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
        xslerrno = 0;
        EXPECT_EQ(XSLCrNewZmapHeader(w, h, 8), nullptr);
        EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
    }
    for (int depth : {0, -8, 33, INT_MAX}) {
        xslerrno = 0;
        EXPECT_EQ(XSLCrNewZmap2(10, 10, depth), nullptr) << depth;
        EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
    }
}

TEST(Constructors, BitmapIsWhiteAndUnpadded)
{
    XSImage* image = XSLCrNewBit(9, 3);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->type, 0);
    EXPECT_EQ(image->reserved, 0);
    EXPECT_EQ(image->depth, 1u);
    EXPECT_EQ(image->planes, 1);
    EXPECT_EQ(image->bytes_per_pixel, 0);
    EXPECT_EQ(image->bits_per_sample, 0);
    EXPECT_EQ(image->resolution, 0);
    EXPECT_EQ(image->ncolors, 0);
    EXPECT_EQ(image->colormap, nullptr);
    EXPECT_EQ(image->data_g, nullptr);
    EXPECT_EQ(image->format, 0);
    EXPECT_EQ(XSLBytesPerLine(image), 2);
    EXPECT_EQ(XSLDataSize(image), 6);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(image->data[i], 0);
    XSLFree(image);

    image = XSLCrNewBit(1, 1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XSLBytesPerLine(image), 1);
    XSLFree(image);
}

TEST(Constructors, ZmapKinds)
{
    XSImage* header = XSLCrNewZmapHeader(5, 4, 24);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->type, 1);
    EXPECT_EQ(header->depth, 24u);
    EXPECT_EQ(header->bytes_per_pixel, 3);
    EXPECT_EQ(header->planes, 0);
    EXPECT_EQ(header->bits_per_sample, 8);
    EXPECT_EQ(header->data, nullptr);
    XSLFree(header);

    XSImage* rgb = XSLCrNewZmap(9, 2, 8);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->planes, 3);
    EXPECT_EQ(rgb->bytes_per_pixel, 1);
    ASSERT_TRUE(rgb->data && rgb->data_g && rgb->data_b);
    EXPECT_EQ(XSLDataSize(rgb), 18);
    memset(rgb->data_b, 1, 18);                       // all three planes are full size
    XSLFree(rgb);

    XSImage* direct = XSLCrNewZmap2(9, 2, 24);
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(direct->planes, 1);
    EXPECT_EQ(direct->data_g, nullptr);
    EXPECT_EQ(XSLBytesPerLine(direct), 27);           // no row padding
    EXPECT_EQ(XSLDataSize(direct), 54);
    EXPECT_EQ(XSLLinePerSample(direct), 9);
    XSLFree(direct);

    XSImage* deep = XSLCrNewZmap2(3, 3, 16);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->bytes_per_pixel, 2);
    EXPECT_EQ(XSLDataSize(deep), 18);
    XSLFree(deep);
}

TEST(Release, FreeDataKeepsRecordAndPrivateBlock)
{
    XSImage* image = XSLCrNewZmap(4, 4, 8);
    ASSERT_NE(image, nullptr);
    image->colormap = XslNewGrayRamp();
    image->ncolors = 256;
    image->private_data = static_cast<unsigned char*>(malloc(4));
    image->private_size = 4;
    XSLFreeData(image);
    EXPECT_EQ(image->ncolors, 0);
    EXPECT_EQ(image->colormap, nullptr);
    EXPECT_EQ(image->data, nullptr);
    EXPECT_EQ(image->data_g, nullptr);
    EXPECT_EQ(image->data_b, nullptr);
    EXPECT_NE(image->private_data, nullptr);
    XSLFree(image);       // the sanitized build reports a leaked or twice-freed block
    XSLFree(nullptr);
}

TEST(Copy, DeepCopyIsIndependentIncludingPrivateBlock)
{
    XSImage* source = XSLCrNewZmap(3, 2, 8);
    ASSERT_NE(source, nullptr);
    for (int i = 0; i < 6; i++) {
        source->data[i] = i;
        source->data_g[i] = 10 + i;
        source->data_b[i] = 20 + i;
    }
    source->resolution = 300;
    source->format = 8;
    source->reserved = 42;
    source->colormap = static_cast<XSColor*>(malloc(2 * sizeof(XSColor)));
    source->colormap[0] = {0, 1, 2, 3};
    source->colormap[1] = {1, 4, 5, 6};
    source->ncolors = 2;
    source->private_size = 5;
    source->private_data = static_cast<unsigned char*>(malloc(5));
    memcpy(source->private_data, "ABCDE", 5);

    XSImage* copy = XSLAllocAndCopy(source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->resolution, 300);
    EXPECT_EQ(copy->format, 8);
    EXPECT_EQ(copy->reserved, 42);
    EXPECT_EQ(copy->ncolors, 2);
    for (unsigned char* XSImage::*plane : {&XSImage::data, &XSImage::data_g, &XSImage::data_b}) {
        EXPECT_NE(copy->*plane, source->*plane);
        EXPECT_EQ(memcmp(copy->*plane, source->*plane, 6), 0);
    }
    EXPECT_NE(copy->colormap, source->colormap);
    EXPECT_EQ(copy->colormap[1].blue, 6);
    ASSERT_NE(copy->private_data, source->private_data);
    EXPECT_EQ(copy->private_size, 5);
    EXPECT_EQ(memcmp(copy->private_data, "ABCDE", 5), 0);

    copy->data[0] = 99;
    copy->private_data[0] = 'Z';
    XSLFree(copy);
    EXPECT_EQ(source->data[0], 0);
    EXPECT_EQ(memcmp(source->private_data, "ABCDE", 5), 0);
    XSLFree(source);
}

TEST(Copy, CopyCmap)
{
    XSImage* source = XSLCrNewZmap2(2, 2, 8);
    XSImage* target = XSLCrNewZmap2(2, 2, 8);
    ASSERT_TRUE(source && target);
    xslerrno = 0;
    EXPECT_EQ(XSLCopyCmap(source, target), 0);
    EXPECT_EQ(xslerrno, XSE_NO_CMAP);

    target->colormap = static_cast<XSColor*>(malloc(sizeof(XSColor)));
    target->colormap[0] = {0, 9, 9, 9};
    target->ncolors = 1;
    source->colormap = XslNewGrayRamp();
    source->ncolors = 256;
    EXPECT_EQ(XSLCopyCmap(source, target), 1);
    EXPECT_EQ(target->ncolors, 256);
    EXPECT_NE(target->colormap, source->colormap);
    EXPECT_EQ(target->colormap[200].green, 200);
    XSLFree(source);
    XSLFree(target);
}

TEST(Sizes, PointSizeTakesUnknownResolutionAs100)
{
    XSImage* image = XSLCrNewBit(720, 360);
    ASSERT_NE(image, nullptr);
    EXPECT_DOUBLE_EQ(XSLPointWidth(image), 518.4);
    EXPECT_EQ(image->resolution, 100);
    image->resolution = 720;
    EXPECT_DOUBLE_EQ(XSLPointHeight(image), 36.0);
    XSLFree(image);
}

TEST(Tables, MasksFlipAndVersion)
{
    for (int x = 0; x < 8; x++) {
        EXPECT_EQ(XslMsbMask[x], 0x80 >> x);
        EXPECT_EQ(XslLsbMask[x], 1 << x);
    }
    EXPECT_EQ(XSByteFlipTable[0x01], 0x80);
    EXPECT_EQ(XSByteFlipTable[0xC4], 0x23);
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(XSByteFlipTable[XSByteFlipTable[i]], i);
    EXPECT_STREQ(XSLVersion(), XSLImageLibVersion);
    EXPECT_NE(strstr(XSLVersion(), "2.56.6"), nullptr);
    EXPECT_NE(strstr(XSLVersion(), "19 May 2006"), nullptr);
}

TEST(Panic, WritesTextAndExitsWith1)
{
    EXPECT_EXIT(xs_panic("bad plane", 12), testing::ExitedWithCode(1),
                "^XSImage : Panic : bad plane in 12 Sorry\\.\\.\\. Exit\\.\n$");
    EXPECT_EXIT(xs_panic(nullptr, 3), testing::ExitedWithCode(1), "^XSImage : Panic : Sorry\\.\\.\\. Exit\\.\n$");
}

} // namespace
