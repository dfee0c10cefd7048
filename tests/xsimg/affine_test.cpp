// Matrices, and scaling and rotation of every pixel kind at hand-derived positions.
#include "xsaffine.h"
#include "xsmatrix.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const XSColor kBlack{0, 0, 0, 0};

Image grayImage(int width, int height, std::vector<int> pixels)
{
    Image image(XSLCrNewZmap2(width, height, 8));
    for (size_t k = 0; k < pixels.size(); ++k)
        image->data[k] = static_cast<unsigned char>(pixels[k]);
    return image;
}

std::vector<int> pixelsOf(const XSImage* image, const unsigned char* plane)
{
    return std::vector<int>(plane, plane + long(image->width) * image->height);
}

void expectMatrix(const double* m, std::vector<double> want)
{
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(m[k], want[k], 1e-12) << "element " << k;
}

TEST(Matrix, ScaleRotateTranslate)
{
    double m[6];
    EXPECT_EQ(XSInitMatrix(m), 0);
    expectMatrix(XSScaleMatrix(m, 2.0, 3.0), {2, 0, 0, 3, 0, 0});
    XSInitMatrix(m);
    XSRotateMatrix(m, 90.0);
    EXPECT_EQ(m[XS_MA], 0.0);   // exact, not cos(pi / 2)
    EXPECT_EQ(m[XS_MB], 1.0);
    EXPECT_EQ(m[XS_MC], -1.0);
    EXPECT_EQ(m[XS_MD], 0.0);
    XSInitMatrix(m);
    XSRotateMatrix(m, 30.0);
    expectMatrix(m, {std::sqrt(3.0) / 2, 0.5, -0.5, std::sqrt(3.0) / 2, 0, 0});

    double t[6] = {2, 0, 0, 3, 5, 7};
    expectMatrix(XSTranslateMatrix(t, 1, 1), {2, 0, 0, 3, 7, 10});
    double x, y;
    XSTransForm(1, 2, t, &x, &y);
    EXPECT_EQ(x, 9.0);
    EXPECT_EQ(y, 16.0);
    XSDTransForm(1, 2, t, &x, &y);
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 6.0);
}

TEST(Matrix, InvertAndConcat)
{
    const double m[6] = {2, 0, 0, 4, 6, 8};
    double inv[6];
    ASSERT_EQ(XSInvertMatrix(m, inv), 1);
    expectMatrix(inv, {0.5, 0, 0, 0.25, -3, -2});
    double x, y;
    XSTransForm(1, 1, m, &x, &y);
    XSTransForm(x, y, inv, &x, &y);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 1.0);

    const double singular[6] = {1, 2, 2, 4, 0, 0};
    double untouched[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(XSInvertMatrix(singular, untouched), 0);
    expectMatrix(untouched, {9, 9, 9, 9, 9, 9});

    double c[6] = {1, 2, 3, 4, 5, 6};
    double id[6];
    XSInitMatrix(id);
    expectMatrix(XSConcatMatrix(c, id), {1, 2, 3, 4, 5, 6});
    double s[6] = {2, 0, 0, 2, 0, 0};
    const double move[6] = {1, 0, 0, 1, 5, 6};
    expectMatrix(XSConcatMatrix(s, move), {2, 0, 0, 2, 5, 6});
    const double scale[6] = {2, 0, 0, 3, 0, 0};
    double shifted[6] = {1, 0, 0, 1, 5, 6};
    expectMatrix(XSConcatMatrix(shifted, scale), {2, 0, 0, 3, 10, 18});
}

TEST(Scale, NewSizeRoundsSpansUp)
{
    Image odd = grayImage(101, 60, {});
    ASSERT_EQ(XSScale(odd.get(), 0.5, 0.5), 1);
    EXPECT_EQ(odd->width, 51);
    EXPECT_EQ(odd->height, 30);
    Image even = grayImage(100, 60, {});
    ASSERT_EQ(XSScale(even.get(), 0.5, 0.5), 1);
    EXPECT_EQ(even->width, 50);
    EXPECT_EQ(even->height, 30);
}

// Offsets from the rounded source position run from -0.5 to 0.5, so half-way rows
// lean on the row below with weights 1.5 and -0.5; beyond the last row counts 0.
TEST(Scale, GrayBilinearAtHandDerivedPositions)
{
    Image column = grayImage(1, 3, {0, 100, 200});
    ASSERT_EQ(XSScale(column.get(), 1.0, 2.0), 1);
    ASSERT_EQ(column->height, 6);
    EXPECT_EQ(pixelsOf(column.get(), column->data), (std::vector<int>{0, 50, 100, 255, 200, 255}));

    Image row = grayImage(2, 1, {0, 100});
    ASSERT_EQ(XSScale(row.get(), 1.5, 1.0), 1);
    EXPECT_EQ(pixelsOf(row.get(), row->data), (std::vector<int>{0, 133, 66}));

    Image halve = grayImage(4, 1, {10, 20, 30, 40});
    ASSERT_EQ(XSScale(halve.get(), 0.5, 1.0), 1);
    EXPECT_EQ(pixelsOf(halve.get(), halve->data), (std::vector<int>{10, 30}));
}

TEST(Scale, FactorOneKeepsEveryKind)
{
    Image gray = grayImage(3, 2, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(XSScale(gray.get(), 1.0, 1.0), 1);
    EXPECT_EQ(pixelsOf(gray.get(), gray->data), (std::vector<int>{1, 2, 3, 4, 5, 6}));

    Image rgb(XSLCrNewZmap(2, 2, 8));
    for (int k = 0; k < 4; ++k) {
        rgb->data[k] = static_cast<unsigned char>(10 + k);
        rgb->data_g[k] = static_cast<unsigned char>(100 + k);
        rgb->data_b[k] = static_cast<unsigned char>(200 + k);
    }
    ASSERT_EQ(XSScale(rgb.get(), 1.0, 1.0), 1);
    EXPECT_EQ(pixelsOf(rgb.get(), rgb->data), (std::vector<int>{10, 11, 12, 13}));
    EXPECT_EQ(pixelsOf(rgb.get(), rgb->data_g), (std::vector<int>{100, 101, 102, 103}));
    EXPECT_EQ(pixelsOf(rgb.get(), rgb->data_b), (std::vector<int>{200, 201, 202, 203}));

    for (int depth : {24, 32}) {
        Image direct(XSLCrNewZmap2(2, 2, depth));
        direct->red_mask = 0xFF0000;
        direct->green_mask = 0x00FF00;
        direct->blue_mask = 0x0000FF;
        const long size = XSLDataSize(direct.get());
        for (long k = 0; k < size; ++k)
            direct->data[k] = static_cast<unsigned char>(k * 37 + 5);
        if (depth == 32)   // the byte above the masks is not kept
            for (long k = 0; k < 4; ++k)
                direct->data[k * 4 + (bswap_test() ? 3 : 0)] = 0;
        std::vector<unsigned char> before(direct->data, direct->data + size);
        ASSERT_EQ(XSScale(direct.get(), 1.0, 1.0), 1);
        EXPECT_EQ(std::vector<unsigned char>(direct->data, direct->data + size), before) << depth;
    }

    // 5-6-5: full and empty channels survive the trip through 8 bits.
    Image d16(XSLCrNewZmap2(2, 1, 16));
    d16->red_mask = 0xF800;
    d16->green_mask = 0x07E0;
    d16->blue_mask = 0x001F;
    const uint16_t pixels[2] = {0xFFFF, 0xF800};
    memcpy(d16->data, pixels, 4);
    ASSERT_EQ(XSScale(d16.get(), 1.0, 1.0), 1);
    uint16_t after[2];
    memcpy(after, d16->data, 4);
    EXPECT_EQ(after[0], 0xFFFF);
    EXPECT_EQ(after[1], 0xF800);
}

TEST(Scale, BitmapOnBlackKeepsItsPixels)
{
    Image bits(XSLCrNewBit(10, 2));
    bits->data[0] = 0xA5;
    bits->data[1] = 0x40;   // pixel 9 of row 0
    bits->data[2] = 0x3C;
    ASSERT_EQ(XSAffine2(bits.get(), 0.0, 1.0, 1.0, kBlack), 1);
    EXPECT_EQ(bits->data[0], 0xA5);
    EXPECT_EQ(bits->data[1] & 0xC0, 0x40);
    EXPECT_EQ(bits->data[2], 0x3C);
    EXPECT_EQ(bits->data[3] & 0xC0, 0x00);
}

// Nearest neighbour: indices are copied, never mixed.
TEST(Scale, ColormapDoublesByReplication)
{
    Image image = colormapImage(2, 2, {0, 1, 2, 0}, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
    ASSERT_EQ(XSScale(image.get(), 2.0, 2.0), 1);
    ASSERT_EQ(image->width, 4);
    EXPECT_EQ(pixelsOf(image.get(), image->data),
              (std::vector<int>{0, 0, 1, 1, 0, 0, 1, 1, 2, 2, 0, 0, 2, 2, 0, 0}));
    // The white background was missing and the colormap had room.
    ASSERT_EQ(image->ncolors, 4);
    EXPECT_EQ(image->colormap[3].red, 255);
    EXPECT_EQ(image->colormap[3].blue, 255);
}

TEST(Scale, GrayColormapIsBroughtToLevelsFirst)
{
    Image image = colormapImage(2, 1, {0, 1}, {{200, 200, 200}, {10, 10, 10}});
    ASSERT_EQ(XSScale(image.get(), 1.0, 1.0), 1);
    EXPECT_EQ(pixelsOf(image.get(), image->data), (std::vector<int>{200, 10}));
    ASSERT_EQ(image->ncolors, 256);
    EXPECT_EQ(image->colormap[77].red, 77);

    // A full gray colormap that repeats levels (a two-colour palette padded with
    // white): once pixels hold levels, every level must read back as itself.
    Image full = colormapImage(2, 1, {0, 1}, {{200, 200, 200}, {10, 10, 10}});
    full->colormap = static_cast<XSColor*>(realloc(full->colormap, 256 * sizeof(XSColor)));
    for (int k = 2; k < 256; ++k)
        full->colormap[k] = XSColor{uint16_t(k), 255, 255, 255};
    full->ncolors = 256;
    ASSERT_EQ(XSScale(full.get(), 1.5, 1.0), 1);
    ASSERT_EQ(full->ncolors, 256);
    for (int k = 0; k < full->width; ++k) {
        const XSColor& entry = full->colormap[full->data[k]];
        EXPECT_EQ(entry.red, full->data[k]) << k;
    }
    EXPECT_EQ(full->colormap[full->data[0]].red, 200);
}

// A quarter turn maps output (j, i) to source (i, H - j): column 0 of the result
// lies just below the picture and takes the background.
TEST(Rotate, QuarterTurnSwapsTheSides)
{
    Image image = grayImage(3, 2, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(XSRotate(image.get(), 90.0, XSColor{0, 9, 9, 9}), 1);
    ASSERT_EQ(image->width, 2);
    ASSERT_EQ(image->height, 3);
    EXPECT_EQ(pixelsOf(image.get(), image->data), (std::vector<int>{9, 4, 9, 5, 9, 6}));
}

TEST(Rotate, CornersTakeTheBackground)
{
    Image gray = grayImage(20, 20, std::vector<int>(400, 50));
    ASSERT_EQ(XSAffine(gray.get(), 45.0, 1.0, 1.0), 1);
    ASSERT_EQ(gray->width, 29);
    ASSERT_EQ(gray->height, 29);
    const int w = gray->width;
    EXPECT_EQ(gray->data[0], 255);
    EXPECT_EQ(gray->data[w - 1], 255);
    EXPECT_EQ(gray->data[(w - 1) * w], 255);
    EXPECT_EQ(gray->data[(w / 2) * w + w / 2], 50);

    Image rgb(XSLCrNewZmap(20, 20, 8));
    memset(rgb->data, 10, 400);
    memset(rgb->data_g, 20, 400);
    memset(rgb->data_b, 30, 400);
    ASSERT_EQ(XSRotate(rgb.get(), -45.0, XSColor{0, 1, 2, 3}), 1);
    EXPECT_EQ(rgb->data[0], 1);
    EXPECT_EQ(rgb->data_g[0], 2);
    EXPECT_EQ(rgb->data_b[0], 3);
    EXPECT_EQ(rgb->data_g[(rgb->height / 2) * rgb->width + rgb->width / 2], 20);

    // White surroundings are clear bits even around an all-black bitmap, and a
    // dark background sets them around an all-white one.
    Image black(XSLCrNewBit(20, 20));
    memset(black->data, 0xFF, XSLDataSize(black.get()));
    ASSERT_EQ(XSAffine(black.get(), 45.0, 1.0, 1.0), 1);
    const long line = XSLBytesPerLine(black.get());
    EXPECT_EQ(black->data[0] & 0x80, 0);
    EXPECT_NE(black->data[(black->height / 2) * line + black->width / 16] & 0xFF, 0);
    Image white(XSLCrNewBit(20, 20));
    ASSERT_EQ(XSRotate(white.get(), 45.0, XSColor{0, 60, 60, 60}), 1);
    EXPECT_EQ(white->data[0] & 0x80, 0x80);
    EXPECT_EQ(white->data[(white->height / 2) * line + white->width / 16], 0);

    Image d16(XSLCrNewZmap2(20, 20, 16));
    d16->red_mask = 0xF800;
    d16->green_mask = 0x07E0;
    d16->blue_mask = 0x001F;
    memset(d16->data, 0, XSLDataSize(d16.get()));
    ASSERT_EQ(XSAffine(d16.get(), 45.0, 1.0, 1.0), 1);
    uint16_t corner;
    memcpy(&corner, d16->data, 2);
    EXPECT_EQ(corner, 0xFFFF);
}

TEST(Affine, RefusesUnusableTransformsAndKinds)
{
    Image image = grayImage(100, 100, std::vector<int>(10000, 7));
    for (auto [sx, sy] : {std::pair{0.0, 1.0}, {1.0, 0.0}, {NAN, 1.0}, {1.0, INFINITY}, {1e6, 1e6}, {1.0, 1e300}}) {
        xslerrno = 0;
        EXPECT_EQ(XSScale(image.get(), sx, sy), 0) << sx << " " << sy;
        EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
        EXPECT_EQ(image->width, 100);
        EXPECT_EQ(image->data[9999], 7);
    }
    image->bytes_per_pixel = 5;
    xslerrno = 0;
    EXPECT_EQ(XSScale(image.get(), 0.5, 0.5), 0);
    EXPECT_EQ(xslerrno, XSE_PROCESS_KIND);
    image->bytes_per_pixel = 1;
    image->planes = 2;
    xslerrno = 0;
    EXPECT_EQ(XSScale(image.get(), 0.5, 0.5), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(image->width, 100);
}

} // namespace
