// Octree colour quantisation over every pixel kind it accepts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "test_images.h"
#include "xsquantize.h"

namespace {

struct Kind {
    const char* name;
    int bytes;  // 0: RGB planes
    uint32_t red, green, blue;
};

const Kind kKinds[] = {
    {"rgb planes", 0, 0, 0, 0},
    {"direct 3-3-2", 1, 0xE0, 0x1C, 0x03},
    {"direct 5-6-5", 2, 0xF800, 0x07E0, 0x001F},
    {"direct 24", 3, 0xFF0000, 0x00FF00, 0x0000FF},
    {"direct 32 blue high", 4, 0x000000FF, 0x0000FF00, 0x00FF0000},
};

using Rgb = std::tuple<int, int, int>;

Image blankImage(const Kind& kind, int width, int height)
{
    if (kind.bytes == 0)
        return Image(XSLCrNewZmap(width, height, 8));
    return directImage(width, height, 8 * kind.bytes, kind.red, kind.green, kind.blue);
}

uint32_t field(int value, uint32_t mask)
{
    const int shift = __builtin_ctz(mask);
    return (uint32_t(value) * (mask >> shift) / 255) << shift;
}

// Stores a colour, scaled into the kind's fields.
void put(XSImage* image, const Kind& kind, long i, Rgb c)
{
    auto [r, g, b] = c;
    if (kind.bytes == 0) {
        image->data[i] = uint8_t(r);
        image->data_g[i] = uint8_t(g);
        image->data_b[i] = uint8_t(b);
        return;
    }
    const uint32_t v = field(r, kind.red) | field(g, kind.green) | field(b, kind.blue);
    unsigned char* p = image->data + i * kind.bytes;
    switch (kind.bytes) {
    case 1: p[0] = uint8_t(v); break;
    case 2: { const uint16_t w = uint16_t(v); memcpy(p, &w, 2); break; }
    case 3: p[0] = uint8_t(v >> 16); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v); break;
    default: memcpy(p, &v, 4); break;
    }
}

Rgb colourAt(const XSImage* image, long i)
{
    EXPECT_LT(image->data[i], image->ncolors);
    const XSColor& e = image->colormap[image->data[i]];
    return {e.red, e.green, e.blue};
}

void expectColormapImage(const XSImage* image)
{
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->planes, 1);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(image->bits_per_sample, 8);
    EXPECT_EQ(image->red_mask | image->green_mask | image->blue_mask, 0u);
    EXPECT_EQ(image->data_g, nullptr);
    EXPECT_EQ(image->data_b, nullptr);
    for (int i = 0; i < image->ncolors; ++i)
        EXPECT_EQ(image->colormap[i].index, i);
}

}  // namespace

TEST(Quantize, FewColoursKeepTheirExactValuesInEveryKind)
{
    // The eight corners of the colour cube, and one mid gray where the kind holds it.
    std::vector<Rgb> colours;
    for (int c = 0; c < 8; ++c)
        colours.push_back({c & 1 ? 255 : 0, c & 2 ? 255 : 0, c & 4 ? 255 : 0});
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const int width = 7, height = 5;
        Image image = blankImage(kind, width, height);
        for (long i = 0; i < width * height; ++i)
            put(image.get(), kind, i, colours[(i * 3 + i / width) % 8]);
        ASSERT_EQ(XSLQuantize(image.get(), 256), 1);
        expectColormapImage(image.get());
        EXPECT_EQ(image->ncolors, 8);
        for (long i = 0; i < width * height; ++i)
            EXPECT_EQ(colourAt(image.get(), i), colours[(i * 3 + i / width) % 8]) << i;
    }
}

TEST(Quantize, ManyColoursFitTheRequestInEveryKind)
{
    const int side = 64;
    for (const Kind& kind : kKinds)
        for (int request : {1, 2, 16, 256, 1000}) {
            SCOPED_TRACE(std::string(kind.name) + " request " + std::to_string(request));
            Image image = blankImage(kind, side, side);
            std::vector<Rgb> source;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    put(image.get(), kind, long(y) * side + x, {x * 4, y * 4, (x + y) * 2});
                    int r, g, b;
                    XSLGetPixel(image.get(), x, y, &r, &g, &b);
                    if (kind.bytes == 1) {  // no pixel access for one-byte direct pixels
                        r = int(field(x * 4, kind.red) >> 5) * 255 / 7;
                        g = int(field(y * 4, kind.green) >> 2) * 255 / 7;
                        b = int(field((x + y) * 2, kind.blue)) * 255 / 3;
                    }
                    source.push_back({r, g, b});
                }
            ASSERT_EQ(XSLQuantize(image.get(), request), 1);
            expectColormapImage(image.get());
            const int allowed = request > 256 ? 256 : request;
            EXPECT_GE(image->ncolors, 1);
            EXPECT_LE(image->ncolors, allowed);
            long error = 0;
            for (long i = 0; i < side * side; ++i) {
                auto [r, g, b] = colourAt(image.get(), i);
                auto [r0, g0, b0] = source[i];
                error += std::abs(r - r0) + std::abs(g - g0) + std::abs(b - b0);
            }
            if (allowed == 1) {
                EXPECT_EQ(bytes(image->data, side * side), std::vector<int>(side * side, 0));
            }
            if (allowed == 256) {  // a fine palette: a few levels off per channel on average
                EXPECT_LT(error / (3 * side * side), 12);
            }
        }
}

TEST(Quantize, ColoursSharingTheDeepestCubeShareTheirRoundedMean)
{
    // 1 and 2 fall into one deepest cube (0..3); 200 into another.
    Image image = RgbRow({1, 2, 2, 200}, {1, 2, 2, 200}, {1, 2, 2, 200});
    ASSERT_EQ(XSLQuantize(image.get(), 256), 1);
    ASSERT_EQ(image->ncolors, 2);
    EXPECT_EQ(bytes(image->data, 4), (std::vector<int>{0, 0, 0, 1}));
    // (1 + 2 + 2 + 3/2 - 1) / 3 rounds 5/3 down to 1.
    EXPECT_EQ(colourAt(image.get(), 0), Rgb(1, 1, 1));
    EXPECT_EQ(colourAt(image.get(), 3), Rgb(200, 200, 200));
}

TEST(Quantize, SingleColourGivesOneEntry)
{
    Image image = RgbRow({9, 9, 9}, {80, 80, 80}, {255, 255, 255});
    ASSERT_EQ(XSLQuantize(image.get(), 256), 1);
    ASSERT_EQ(image->ncolors, 1);
    EXPECT_EQ(colourAt(image.get(), 2), Rgb(9, 80, 255));
    EXPECT_EQ(bytes(image->data, 3), (std::vector<int>{0, 0, 0}));
}

TEST(Quantize, BitmapsAndColormapImagesStayAsTheyAre)
{
    Image bitmap(XSLCrNewBit(9, 2));
    bitmap->data[0] = 0xA5;
    Image indexed = IndexedRow({0, 1, 1}, {Entry(0, 1, 2, 3), Entry(1, 4, 5, 6)});
    for (XSImage* image : {bitmap.get(), indexed.get()}) {
        Image before(XSLAllocAndCopy(image));
        ASSERT_EQ(XSLQuantize(image, 256), 1);
        EXPECT_EQ(image->type, before->type);
        EXPECT_EQ(image->ncolors, before->ncolors);
        EXPECT_EQ(Plane(image->data, XSLDataSize(image)), Plane(before->data, XSLDataSize(image)));
    }
}

TEST(Quantize, UnsupportedKindsAreRefusedAndKeepTheirPixels)
{
    // An empty channel mask, a gray byte image without masks, and two planes.
    Image no_green = DirectRow(2, 0xF800, 0, 0x001F, {0xFFFF, 0x1234});
    Image gray_bytes = IndexedRow({10, 20, 30});
    Image two_planes = RgbRow({1, 2}, {3, 4}, {5, 6});
    two_planes->planes = 2;
    for (XSImage* image : {no_green.get(), gray_bytes.get(), two_planes.get()}) {
        const Bytes before = Plane(image->data, XSLDataSize(image));
        const uint16_t planes = image->planes;
        xslerrno = 0;
        EXPECT_EQ(XSLQuantize(image, 256), 0);
        EXPECT_EQ(xslerrno, XSE_KIND);
        EXPECT_EQ(image->planes, planes);
        EXPECT_EQ(image->ncolors, 0);
        EXPECT_EQ(Plane(image->data, XSLDataSize(image)), before);
    }
}

TEST(Quantize, RecordsCarryTheScaledColoursAndLeaveThePixels)
{
    Image direct = DirectRow(2, 0xF800, 0x07E0, 0x001F, {0xFFFF, 0x0000, 0xF800, 0x0400});
    Image planes = RgbRow({1, 2}, {3, 4}, {5, 6});
    std::vector<XSColor> records(4);
    ASSERT_EQ(XSLQuantizeSubDirectColor(direct.get(), records.data(), 4), 1);
    const std::vector<std::vector<int>> expected = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 129, 0}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((std::vector<int>{records[i].red, records[i].green, records[i].blue}), expected[i]) << i;
    EXPECT_EQ(DirectAt(direct.get(), 0), 0xFFFFu);
    ASSERT_EQ(XSLQuantizeSubRGBColor(planes.get(), records.data(), 2), 1);
    EXPECT_EQ((std::vector<int>{records[1].index, records[1].red, records[1].green, records[1].blue}),
              (std::vector<int>{0, 2, 4, 6}));
    EXPECT_EQ(XSLQuantizeSubRGBColor(direct.get(), records.data(), 4), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}
