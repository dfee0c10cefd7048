// Construction, release, copying, sizes and the size guard of image records.
#include "test_images.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(SizeGuard, AcceptsRealPagesRefusesAbsurdSizes)
{
    EXPECT_EQ(XSLSizeOK(7016, 9921, 4), 1);          // A3 at 600 dpi, 32-bit
    EXPECT_EQ(XSLSizeOK(1, XS_MAX_PIXELS, 1), 1);
    EXPECT_EQ(XSLSizeOK(2, XS_MAX_PIXELS / 2 + 1, 1), 0);
    EXPECT_EQ(XSLSizeOK(0, 10, 1) + XSLSizeOK(10, -1, 1) + XSLSizeOK(10, 10, 0), 0);
    EXPECT_EQ(XSLSizeOK(65536, 65536, 1), 0);        // would wrap a 32-bit count
    EXPECT_EQ(XSLSizeOK(LONG_MAX, LONG_MAX, 1), 0);
    EXPECT_EQ(XSLSizeOK(1000, 1000, LONG_MAX / 2), 0);
}

TEST(Constructors, RefuseAbsurdSizesWithCode7)
{
    const int sizes[][3] = {{0, 1, 8}, {1, 0, 8}, {-5, 10, 8}, {65536, 65536, 8}, {INT_MAX, INT_MAX, 8},
                            {INT_MAX, 2, 8}, {10, 10, 0}, {10, 10, -8}, {10, 10, 33}, {10, 10, INT_MAX}};
    for (auto [w, h, depth] : sizes) {
        for (auto make : {XSLCrNewZmapHeader, XSLCrNewZmap, XSLCrNewZmap2}) {
            xslerrno = 0;
            EXPECT_EQ(make(w, h, depth), nullptr) << w << "x" << h << "x" << depth;
            EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
        }
        xslerrno = 0;
        if (depth == 8) {
            EXPECT_EQ(XSLCrNewBit(w, h), nullptr);
            EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
        }
    }
}

TEST(Constructors, FieldsAndUnpaddedSizes)
{
    Image bitmap(XSLCrNewBit(9, 3));
    EXPECT_EQ(bitmap->type, 0);
    EXPECT_EQ(bitmap->depth, 1u);
    EXPECT_EQ(bitmap->planes, 1);
    EXPECT_EQ(bitmap->bytes_per_pixel + bitmap->bits_per_sample + bitmap->resolution + bitmap->ncolors, 0);
    EXPECT_EQ(XSLBytesPerLine(bitmap.get()), 2);
    EXPECT_EQ(XSLDataSize(bitmap.get()), 6);
    EXPECT_EQ(bytes(bitmap->data, 6), std::vector<int>(6, 0));   // all white
    EXPECT_EQ(XSLBytesPerLine(Image(XSLCrNewBit(1, 1)).get()), 1);

    Image header(XSLCrNewZmapHeader(5, 4, 24));
    EXPECT_EQ(header->type, 1);
    EXPECT_EQ(header->bytes_per_pixel, 3);
    EXPECT_EQ(header->planes, 0);
    EXPECT_EQ(header->bits_per_sample, 8);
    EXPECT_EQ(header->data, nullptr);

    Image rgb(XSLCrNewZmap(9, 2, 8));
    EXPECT_EQ(rgb->planes, 3);
    ASSERT_TRUE(rgb->data && rgb->data_g && rgb->data_b);
    EXPECT_EQ(XSLDataSize(rgb.get()), 18);
    memset(rgb->data_b, 1, 18);                       // the sanitized build checks each plane's size

    Image direct(XSLCrNewZmap2(9, 2, 24));
    EXPECT_EQ(direct->planes, 1);
    EXPECT_EQ(direct->data_g, nullptr);
    EXPECT_EQ(XSLBytesPerLine(direct.get()), 27);
    EXPECT_EQ(XSLDataSize(direct.get()), 54);
    EXPECT_EQ(XSLLinePerSample(direct.get()), 9);
}

TEST(Release, FreeDataKeepsRecordAndPrivateBlock)
{
    Image image(XSLCrNewZmap(4, 4, 8));
    image->colormap = XslNewGrayRamp();
    image->ncolors = 256;
    image->private_data = static_cast<unsigned char*>(malloc(4));
    image->private_size = 4;
    XSLFreeData(image.get());
    EXPECT_EQ(image->ncolors, 0);
    EXPECT_TRUE(!image->colormap && !image->data && !image->data_g && !image->data_b);
    EXPECT_NE(image->private_data, nullptr);          // freed with the record: no leak under asan
}

TEST(Copy, DeepCopyIsIndependentIncludingPrivateBlock)
{
    Image source = colormapImage(3, 2, {0, 1, 2, 3, 4, 5}, {{1, 2, 3}, {4, 5, 6}});
    source->resolution = 300;
    source->reserved = 42;
    source->private_size = 5;
    source->private_data = static_cast<unsigned char*>(malloc(5));
    memcpy(source->private_data, "ABCDE", 5);

    XSImage* copy = XSLAllocAndCopy(source.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->resolution, 300);
    EXPECT_EQ(copy->reserved, 42);
    EXPECT_NE(copy->data, source->data);
    EXPECT_EQ(bytes(copy->data, 6), bytes(source->data, 6));
    EXPECT_NE(copy->colormap, source->colormap);
    EXPECT_EQ(copy->colormap[1].blue, 6);
    ASSERT_NE(copy->private_data, source->private_data);
    EXPECT_EQ(memcmp(copy->private_data, "ABCDE", 5), 0);
    copy->data[0] = 99;
    copy->private_data[0] = 'Z';
    XSLFree(copy);
    EXPECT_EQ(source->data[0], 0);
    EXPECT_EQ(memcmp(source->private_data, "ABCDE", 5), 0);

    Image rgb(XSLCrNewZmap(2, 1, 8));
    Image rgb_copy(XSLAllocAndCopy(rgb.get()));
    EXPECT_TRUE(rgb_copy->data_g != rgb->data_g && rgb_copy->data_b != rgb->data_b);
}

TEST(Copy, CopyCmap)
{
    Image source(XSLCrNewZmap2(2, 2, 8));
    Image target = colormapImage(2, 2, {}, {{9, 9, 9}});
    xslerrno = 0;
    EXPECT_EQ(XSLCopyCmap(source.get(), target.get()), 0);
    EXPECT_EQ(xslerrno, XSE_NO_CMAP);
    EXPECT_EQ(target->ncolors, 1);
    source->colormap = XslNewGrayRamp();
    source->ncolors = 256;
    EXPECT_EQ(XSLCopyCmap(source.get(), target.get()), 1);
    EXPECT_EQ(target->ncolors, 256);
    EXPECT_NE(target->colormap, source->colormap);
    EXPECT_EQ(target->colormap[200].green, 200);
    EXPECT_EQ(XSLCopyCmap(target.get(), target.get()), 1);   // onto itself: no use after free
    EXPECT_EQ(target->colormap[201].blue, 201);
}

TEST(Sizes, PointSizeTakesUnknownResolutionAs100)
{
    Image image(XSLCrNewBit(720, 360));
    EXPECT_DOUBLE_EQ(XSLPointWidth(image.get()), 518.4);
    EXPECT_EQ(image->resolution, 100);
    image->resolution = 720;
    EXPECT_DOUBLE_EQ(XSLPointHeight(image.get()), 36.0);
}

TEST(Tables, FlipTableAndVersion)
{
    EXPECT_EQ(XSByteFlipTable[0x01], 0x80);
    EXPECT_EQ(XSByteFlipTable[0xC4], 0x23);
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(XSByteFlipTable[XSByteFlipTable[i]], i);
    EXPECT_EQ(XslMsbMask[3], 0x10);
    EXPECT_EQ(XslLsbMask[3], 0x08);
    EXPECT_STREQ(XSLVersion(), XSLImageLibVersion);
    EXPECT_NE(strstr(XSLVersion(), "2.56.6 (19 May 2006)"), nullptr);
}

TEST(Panic, WritesTextAndExitsWith1)
{
    EXPECT_EXIT(xs_panic("bad plane", 12), testing::ExitedWithCode(1),
                "^XSImage : Panic : bad plane in 12 Sorry\\.\\.\\. Exit\\.\n$");
    EXPECT_EXIT(xs_panic(nullptr, 3), testing::ExitedWithCode(1), "^XSImage : Panic : Sorry\\.\\.\\. Exit\\.\n$");
}

} // namespace
