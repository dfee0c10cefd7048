// Reading JPEG files made through libjpeg: pixel kinds, refused colour spaces and
// the JFIF density rules.
#include "xsio.h"
#include "xsregistry.h"
#include "xsiojpeg.h"
#include "jpeg_maker.h"
#include "../test_images.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

Image readBytes(const std::vector<unsigned char>& bytes)
{
    File file = streamOf(bytes);
    return Image(XSReadJpeg(file.get()));
}

// Largest difference between the image's samples and the recipe's.
int worstError(const XSImage* image, const JpegRecipe& recipe)
{
    const int components = image->bytes_per_pixel;
    int worst = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            for (int c = 0; c < components; ++c) {
                int got = image->data[(long(y) * image->width + x) * components + c];
                worst = std::max(worst, std::abs(got - recipe.sample(x, y, c)));
            }
    return worst;
}

TEST(ReadJpeg, GrayBecomesIdentityColormapImage)
{
    JpegRecipe recipe;
    recipe.width = 37;   // not a multiple of the block size
    recipe.height = 21;
    recipe.components = 1;
    recipe.input_space = JCS_GRAYSCALE;
    recipe.sample = [](int x, int y, int) { return (x * 7 + y * 3) & 0xFF; };
    Image image = readBytes(makeJpeg(recipe));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->width, 37);
    EXPECT_EQ(image->height, 21);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(image->planes, 1);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_EQ(image->resolution, 100);
    EXPECT_EQ(image->red_mask, 0u);
    ASSERT_EQ(image->ncolors, 256);
    for (int i = 0; i < 256; ++i) {
        const XSColor& e = image->colormap[i];
        ASSERT_TRUE(e.index == i && e.red == i && e.green == i && e.blue == i) << i;
    }
    EXPECT_LE(worstError(image.get(), recipe), 1);
}

TEST(ReadJpeg, ColourBecomes24BitDirectColour)
{
    JpegRecipe flat;
    flat.sample = [](int, int, int c) { return c == 0 ? 200 : c == 1 ? 40 : 90; };
    Image image = readBytes(makeJpeg(flat));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->depth, 24u);
    EXPECT_EQ(image->planes, 1);
    EXPECT_EQ(image->bytes_per_pixel, 3);
    EXPECT_EQ(image->red_mask, 0xFF0000u);
    EXPECT_EQ(image->green_mask, 0x00FF00u);
    EXPECT_EQ(image->blue_mask, 0x0000FFu);
    EXPECT_EQ(image->ncolors, 0);
    EXPECT_LE(worstError(image.get(), flat), 2);

    // A smooth picture keeps its geometry: rows top-down, R, G, B in order.
    JpegRecipe smooth;
    smooth.width = 40;
    smooth.height = 24;
    smooth.quality = 95;
    smooth.sample = [](int x, int y, int c) { return c == 0 ? x * 6 : c == 1 ? y * 10 : 128; };
    Image picture = readBytes(makeJpeg(smooth));
    ASSERT_TRUE(picture);
    EXPECT_LE(worstError(picture.get(), smooth), 12);

    JpegRecipe adobe = smooth;
    adobe.file_space = JCS_RGB;
    adobe.jfif = false;
    Image rgb = readBytes(makeJpeg(adobe));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->bytes_per_pixel, 3);
    EXPECT_LE(worstError(rgb.get(), adobe), 12);

    JpegRecipe progressive = smooth;
    progressive.progressive = true;
    Image layered = readBytes(makeJpeg(progressive));
    ASSERT_TRUE(layered);
    EXPECT_LE(worstError(layered.get(), progressive), 12);
}

TEST(ReadJpeg, RefusesOtherComponentCountsQuietly)
{
    JpegRecipe cmyk;
    cmyk.components = 4;
    cmyk.input_space = JCS_CMYK;
    JpegRecipe ycck = cmyk;
    ycck.file_space = JCS_YCCK;
    JpegRecipe two;
    two.components = 2;
    two.input_space = JCS_UNKNOWN;
    for (const JpegRecipe& recipe : {cmyk, ycck, two}) {
        xslerrno = 0;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(readBytes(makeJpeg(recipe))) << recipe.components;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(xslerrno, 0);
    }
}

TEST(ReadJpeg, DispatchRecognisesJpegFromTheStreamPosition)
{
    JpegRecipe recipe;
    std::vector<unsigned char> bytes(5, 'x');
    auto jpeg = makeJpeg(recipe);
    bytes.insert(bytes.end(), jpeg.begin(), jpeg.end());
    File file = streamOf(bytes);
    fseek(file.get(), 5, SEEK_SET);
    Image image(XSReadMagic(file.get()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format, 3);

    // "JFIF" at offset 6 alone reaches the reader, which refuses the rest.
    std::vector<unsigned char> fake = {'a', 'b', 'c', 'd', 'e', 'f', 'J', 'F', 'I', 'F', 0, 1, 2, 3, 4, 5};
    File other = streamOf(fake);
    xslerrno = 0;
    EXPECT_FALSE(Image(XSReadMagic(other.get())));
    EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
}

struct DensityCase {
    int unit, x, y;
    int resolution, width, height;
};

TEST(ReadJpeg, JfifDensityGivesResolutionAndSquarePixels)
{
    const DensityCase cases[] = {
        {0, 1, 2, 100, 64, 40},       // aspect ratio only: never scaled
        {0, 300, 150, 100, 64, 40},
        {1, 200, 200, 200, 64, 40},
        {1, 300, 150, 300, 64, 80},   // pixels twice as tall as wide
        {1, 150, 300, 150, 64, 20},
        {2, 100, 100, 254, 64, 40},   // per centimetre
        {2, 100, 50, 254, 64, 80},
        {3, 300, 150, 100, 64, 40},   // unknown unit
        {1, 300, 0, 300, 64, 40},     // a zero density leaves the picture as read
        {1, 0, 300, 0, 64, 40},
        {1, 65535, 1, 65535, 64, 40}, // 167 million pixels: beyond the size limit
        {1, 1600, 100, 1600, 64, 640}, // 16 times: still made square
        {1, 100, 1700, 100, 64, 40},  // beyond 16 times: damage, read as it is
    };
    for (const DensityCase& c : cases) {
        JpegRecipe recipe;
        recipe.width = 64;
        recipe.height = 40;
        recipe.density_unit = c.unit;
        recipe.x_density = c.x;
        recipe.y_density = c.y;
        xslerrno = 0;
        Image image = readBytes(makeJpeg(recipe));
        ASSERT_TRUE(image) << c.unit << " " << c.x << " " << c.y;
        EXPECT_EQ(image->resolution, c.resolution) << c.unit << " " << c.x << " " << c.y;
        EXPECT_EQ(image->width, c.width) << c.unit << " " << c.x << " " << c.y;
        EXPECT_EQ(image->height, c.height) << c.unit << " " << c.x << " " << c.y;
        EXPECT_EQ(image->bytes_per_pixel, 3);
        EXPECT_EQ(xslerrno, 0);
    }

    // Without a JFIF marker there is no density.
    JpegRecipe bare;
    bare.jfif = false;
    bare.density_unit = 1;
    bare.x_density = 300;
    bare.y_density = 150;
    Image image = readBytes(makeJpeg(bare));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->resolution, 100);
    EXPECT_EQ(image->height, 16);
}

TEST(ReadJpeg, UnequalDensityStretchesTheRows)
{
    JpegRecipe recipe;
    recipe.width = 8;
    recipe.height = 8;
    recipe.components = 1;
    recipe.input_space = JCS_GRAYSCALE;
    recipe.density_unit = 1;
    recipe.x_density = 200;
    recipe.y_density = 100;
    recipe.sample = [](int, int y, int) { return y < 4 ? 0 : 255; };
    Image image = readBytes(makeJpeg(recipe));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->height, 16);
    EXPECT_EQ(image->ncolors, 256);
    // Output row i samples source row i / 2.
    EXPECT_LE(image->data[0 * 8 + 3], 2);
    EXPECT_LE(image->data[6 * 8 + 3], 2);
    EXPECT_GE(image->data[8 * 8 + 3], 253);
    EXPECT_GE(image->data[14 * 8 + 3], 253);
}

} // namespace
