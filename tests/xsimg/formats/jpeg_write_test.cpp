// Writing every pixel kind as JPEG and reading it back; the writer's settings.
#include "xsiojpeg.h"
#include "jpeg_maker.h"
#include "../test_images.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Colour of pixel (x, y) in the round-trip pictures: two flat 16 x 16 halves, so
// chroma subsampling and block edges stay away from the pixels compared.
const int kLeft[3] = {220, 30, 60};
const int kRight[3] = {20, 160, 240};
const int* colourAt(int x) { return x < 16 ? kLeft : kRight; }

Image roundTrip(XSImage* image)
{
    File file(tmpfile());
    EXPECT_EQ(XSWriteJpeg(file.get(), image), 1);
    rewind(file.get());
    return Image(XSReadJpeg(file.get()));
}

// Compares the RGB read back with the expected colours away from the seam.
void expectColours(const XSImage* image, std::function<const int*(int x)> expected, int tolerance)
{
    ASSERT_EQ(image->bytes_per_pixel, 3);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            if (x >= 12 && x < 20)
                continue;
            const unsigned char* p = image->data + (long(y) * image->width + x) * 3;
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(p[c], expected(x)[c], tolerance) << x << "," << y << " channel " << c;
        }
}

struct SettingsRestore {
    ~SettingsRestore()
    {
        XSJpegQualitySet(75);
        XSJpegCompressOption(0, 0, 1);
    }
};

TEST(WriteJpeg, RgbPlanesAndColormapKeepTheirColours)
{
    SettingsRestore restore;
    XSJpegQualitySet(100);
    Image rgb(XSLCrNewZmap(32, 16, 8));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            rgb->data[y * 32 + x] = static_cast<unsigned char>(colourAt(x)[0]);
            rgb->data_g[y * 32 + x] = static_cast<unsigned char>(colourAt(x)[1]);
            rgb->data_b[y * 32 + x] = static_cast<unsigned char>(colourAt(x)[2]);
        }
    rgb->resolution = 300;
    Image back = roundTrip(rgb.get());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 32);
    EXPECT_EQ(back->height, 16);
    EXPECT_EQ(back->resolution, 300);
    expectColours(back.get(), colourAt, 3);

    std::vector<int> pixels(32 * 16);
    for (int k = 0; k < 32 * 16; ++k)
        pixels[k] = (k % 32) < 16 ? 0 : 1;
    Image cmap = colormapImage(32, 16, {}, {{kLeft[0], kLeft[1], kLeft[2]}, {kRight[0], kRight[1], kRight[2]}});
    for (int k = 0; k < 32 * 16; ++k)
        cmap->data[k] = static_cast<unsigned char>(pixels[k]);
    back = roundTrip(cmap.get());
    ASSERT_TRUE(back);
    expectColours(back.get(), colourAt, 3);

    // Indices beyond the colormap write black.
    memset(cmap->data, 7, 32 * 16);
    back = roundTrip(cmap.get());
    ASSERT_TRUE(back);
    const int black[3] = {0, 0, 0};
    expectColours(back.get(), [&](int) { return black; }, 3);
}

TEST(WriteJpeg, DirectColourOfEveryWidth)
{
    SettingsRestore restore;
    XSJpegQualitySet(100);
    struct Layout {
        int depth;
        uint32_t masks[3];
    };
    const Layout layouts[] = {{16, {0xF800, 0x07E0, 0x001F}},
                              {24, {0xFF0000, 0x00FF00, 0x0000FF}},
                              {32, {0x000000FF, 0x0000FF00, 0x00FF0000}}};
    for (const Layout& layout : layouts) {
        Image image(XSLCrNewZmap2(32, 16, layout.depth));
        image->red_mask = layout.masks[0];
        image->green_mask = layout.masks[1];
        image->blue_mask = layout.masks[2];
        // Each colour as its mask fields hold it, and as it reads back.
        uint32_t value[2] = {0, 0};
        int expected[2][3];
        for (int side = 0; side < 2; ++side)
            for (int c = 0; c < 3; ++c) {
                const int shift = __builtin_ctz(layout.masks[c]);
                const uint32_t max = layout.masks[c] >> shift;
                const uint32_t field = uint32_t((side ? kRight : kLeft)[c]) * max / 255;
                value[side] |= field << shift;
                expected[side][c] = int(field * 255 / max);
            }
        const int bytes = layout.depth / 8;
        for (int k = 0; k < 32 * 16; ++k) {
            const uint32_t v = value[(k % 32) >= 16];
            unsigned char* p = image->data + k * bytes;
            if (bytes == 3) {
                p[0] = static_cast<unsigned char>(v >> 16);
                p[1] = static_cast<unsigned char>(v >> 8);
                p[2] = static_cast<unsigned char>(v);
            } else if (bytes == 2) {
                const uint16_t half = static_cast<uint16_t>(v);
                memcpy(p, &half, 2);
            } else {
                memcpy(p, &v, 4);
            }
        }
        Image back = roundTrip(image.get());
        ASSERT_TRUE(back) << layout.depth;
        expectColours(back.get(), [&](int x) { return expected[x >= 16]; }, 3);
    }
}

TEST(WriteJpeg, BitmapAndGraymapAreWrittenGray)
{
    SettingsRestore restore;
    XSJpegQualitySet(100);
    Image bits(XSLCrNewBit(21, 16));
    for (int y = 8; y < 16; ++y)
        for (int x = 0; x < 21; ++x)
            bits->data[y * 3 + x / 8] |= XslMsbMask[x % 8];
    Image back = roundTrip(bits.get());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bytes_per_pixel, 1);
    EXPECT_EQ(back->ncolors, 256);
    EXPECT_EQ(back->width, 21);
    for (int y : {0, 5, 10, 15})
        for (int x = 0; x < 21; ++x)
            ASSERT_NEAR(back->data[y * 21 + x], y < 8 ? 255 : 0, 3) << x << "," << y;

    // Pixels become the levels of their entries.
    Image gray = colormapImage(16, 16, {}, {{250, 250, 250}, {10, 10, 10}, {128, 128, 128}});
    for (int k = 0; k < 256; ++k)
        gray->data[k] = static_cast<unsigned char>(((k % 16) / 8 + k / 128) % 3);   // flat 8 x 8 blocks
    back = roundTrip(gray.get());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bytes_per_pixel, 1);
    int worst = 0;
    for (int k = 0; k < 256; ++k)
        worst = std::max(worst, std::abs(back->data[k] - gray->colormap[gray->data[k]].red));
    EXPECT_LE(worst, 3);
}

TEST(WriteJpeg, RefusesKindsItCannotConvert)
{
    Image image(XSLCrNewZmap2(4, 4, 8));   // one byte per pixel, no colormap
    File file(tmpfile());
    xslerrno = 0;
    EXPECT_EQ(XSWriteJpeg(file.get(), image.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    image->planes = 2;
    xslerrno = 0;
    EXPECT_EQ(XSWriteJpeg(file.get(), image.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    image->planes = 1;
    image->bytes_per_pixel = 5;
    xslerrno = 0;
    EXPECT_EQ(XSWriteJpeg(file.get(), image.get()), 0);
    EXPECT_EQ(xslerrno, XSE_PROCESS_KIND);
    EXPECT_EQ(contentsOf(file.get()).size(), 0u);
}

// Library failures return 0 and leave the code alone.
TEST(WriteJpeg, LibraryFailuresReturnZeroQuietly)
{
    Image wide(XSLCrNewBit(70000, 1));   // wider than a JPEG can be
    File file(tmpfile());
    xslerrno = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(XSWriteJpeg(file.get(), wide.get()), 0);
    Image small(XSLCrNewBit(8, 8));
    File readonly(fopen("/dev/null", "r"));
    EXPECT_EQ(XSWriteJpeg(readonly.get(), small.get()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(xslerrno, 0);
}

std::vector<unsigned char> written(XSImage* image)
{
    File file(tmpfile());
    EXPECT_EQ(XSWriteJpeg(file.get(), image), 1);
    return contentsOf(file.get());
}

bool isProgressive(const std::vector<unsigned char>& bytes)
{
    // Progressive files start their frame with SOF2.
    for (size_t k = 0; k + 1 < bytes.size(); ++k)
        if (bytes[k] == 0xFF && (bytes[k + 1] == 0xC0 || bytes[k + 1] == 0xC2))
            return bytes[k + 1] == 0xC2;
    return false;
}

TEST(WriteJpeg, QualityIsClampedAndOptionsChecked)
{
    SettingsRestore restore;
    Image image(XSLCrNewZmap(32, 16, 8));
    for (int k = 0; k < 32 * 16; ++k) {
        image->data[k] = static_cast<unsigned char>(k * 7);
        image->data_g[k] = static_cast<unsigned char>(k * 3);
        image->data_b[k] = static_cast<unsigned char>(k);
    }
    EXPECT_EQ(XSJpegQualitySet(1), 1);
    const auto lowest = written(image.get());
    EXPECT_EQ(XSJpegQualitySet(0), 1);
    EXPECT_EQ(written(image.get()), lowest);
    XSJpegQualitySet(-20);
    EXPECT_EQ(written(image.get()), lowest);
    XSJpegQualitySet(100);
    const auto highest = written(image.get());
    EXPECT_GT(highest.size(), lowest.size());
    XSJpegQualitySet(500);
    EXPECT_EQ(written(image.get()), highest);

    EXPECT_FALSE(isProgressive(highest));
    EXPECT_EQ(XSJpegCompressOption(1, 0, 0), 1);
    const auto progressive = written(image.get());
    EXPECT_TRUE(isProgressive(progressive));
    EXPECT_EQ(XSJpegCompressOption(2, 0, 1), 0);
    EXPECT_EQ(XSJpegCompressOption(0, 2, 1), 0);
    EXPECT_EQ(XSJpegCompressOption(0, 0, 3), 0);
    EXPECT_EQ(XSJpegCompressOption(0, 0, -1), 0);
    EXPECT_EQ(written(image.get()), progressive);
    EXPECT_EQ(XSInfoJPEG(), 0);
}

TEST(WriteJpeg, UnknownResolutionReadsBackAs100)
{
    Image image(XSLCrNewBit(8, 8));
    Image back = roundTrip(image.get());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->resolution, 100);
}

} // namespace
