// Reading and writing BMP files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../conformance/conformance.h"
#include "../memfile.h"
#include "bmp_maker.h"
#include "xsconv.h"
#include "xsiobmp.h"
#include "xsown.h"
#include "xsreadkit.h"

namespace {
using Rows = std::vector<std::vector<uint32_t>>;

XslImagePtr read_bmp(const std::string& file)
{
    auto f = stream_of(file);
    xslerrno = 0;
    return XslImagePtr(XSReadBMP(f.get()));
}

// Pixel (x, y) as the file meant it: a bitmap's bit, an index, or 0xRRGGBB.
uint32_t value_at(const XSImage* image, int x, int y)
{
    if (image->type == 0)
        return (image->data[y * XSLBytesPerLine(image) + x / 8] >> (7 - x % 8)) & 1;
    const unsigned char* p = image->data + (long(y) * image->width + x) * image->bytes_per_pixel;
    if (image->bytes_per_pixel == 3)
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    return p[0];
}

Rows rows_of(const XSImage* image)
{
    Rows rows(image->height, std::vector<uint32_t>(image->width));
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            rows[y][x] = value_at(image, x, y);
    return rows;
}

Rows pattern(int width, int height, int bits)
{
    const uint32_t mask = bits == 24 ? 0xFFFFFF : (1u << bits) - 1;
    Rows rows(height, std::vector<uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = (uint32_t(x * 0x3F1D27 + y * 0x1B0577 + 5) ^ uint32_t(x * y)) & mask;
    return rows;
}

std::vector<uint32_t> ramp(int count)
{
    std::vector<uint32_t> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(uint32_t(i * 0x010203 + 0x102030) & 0xFFFFFF);
    return palette;
}

std::vector<uint32_t> palette_for(int bits)
{
    if (bits == 1)
        return {0xFFFFFF, 0x000000};  // set bits black as stored
    return bits == 24 ? std::vector<uint32_t>{} : ramp(1 << bits);
}

std::string bmp_file(int bits, int compression, int width, int height, const std::string& data)
{
    BmpRecipe r;
    r.width = width;
    r.height = height;
    r.bits = bits;
    r.compression = compression;
    r.palette = palette_for(bits);
    r.data = data;
    return makeBmp(r);
}
}  // namespace

TEST(BmpRead, EveryDepthWidthAndRowOrder)
{
    for (int bits : {1, 4, 8, 24})
        for (int width : {1, 2, 3, 4, 5, 7, 8, 9})
            for (bool top_down : {false, true}) {
                SCOPED_TRACE(std::to_string(bits) + " bits, width " + std::to_string(width) + (top_down ? " top-down" : ""));
                const Rows rows = pattern(width, 3, bits);
                XslImagePtr image = read_bmp(bmp_file(bits, 0, width, top_down ? -3 : 3, bmpRows(rows, bits, top_down)));
                ASSERT_TRUE(image) << xslerrno;
                EXPECT_EQ(rows_of(image.get()), rows);
                EXPECT_EQ(image->resolution, 100);
                const std::vector<uint32_t> palette = palette_for(bits);
                if (bits == 4 || bits == 8) {
                    ASSERT_EQ(image->ncolors, palette.size());
                    const XSColor& last = image->colormap[palette.size() - 1];
                    EXPECT_EQ(uint32_t(last.red << 16 | last.green << 8 | last.blue), palette.back());
                }
                if (bits == 24) {
                    int r, g, b;
                    XSLGetPixel(image.get(), 0, 0, &r, &g, &b);
                    EXPECT_EQ(uint32_t(r << 16 | g << 8 | b), rows[0][0]);
                }
            }
}

TEST(BmpRead, RunLengthEscapes)
{
    struct Case {
        const char* name;
        int bits, width, height;
        std::string data;
        Rows rows;  // top row first; empty when the file must fail with code 2
    };
    const Case cases[] = {
        {"run, end of line, end of bitmap", 8, 3, 2, bytes("\x03\x41\x00\x00\x00\x01"), {{0, 0, 0}, {0x41, 0x41, 0x41}}},
        {"odd absolute run and delta", 8, 5, 3,
         bytes("\x00\x03\x01\x02\x03\x00\x02\x09\x00\x00\x00\x02\x02\x01\x02\x07\x00\x01"),
         {{0, 0, 7, 7, 0}, {0, 0, 0, 0, 0}, {1, 2, 3, 9, 9}}},
        {"runs past the row and deltas above the top are dropped", 8, 2, 2,
         bytes("\x05\x04\x00\x00\x00\x04\x01\x02\x03\x04\x00\x02\x01\x05\x03\x08\x00\x01"),
         {{1, 2}, {4, 4}}},
        {"complete after one end of line per row", 8, 1, 2, bytes("\x01\x05\x00\x00\x01\x06\x00\x00"), {{6}, {5}}},
        {"nibble run", 4, 5, 1, bytes("\x05\x12\x00\x01"), {{1, 2, 1, 2, 1}}},
        {"nibble absolute run of 3 takes no padding", 4, 4, 1, bytes("\x00\x03\x34\x50\x01\x77\x00\x01"),
         {{3, 4, 5, 7}}},
        {"nibble absolute run of 5 takes one padding byte", 4, 6, 1,
         bytes("\x00\x05\x12\x34\x50\x00\x01\x99\x00\x01"), {{1, 2, 3, 4, 5, 9}}},
        {"data ending inside a run", 8, 3, 2, bytes("\x03\x41\x00"), {}},
        {"data ending inside an absolute run", 4, 4, 1, bytes("\x00\x04\x12"), {}},
        {"data ending inside a delta", 8, 3, 2, bytes("\x00\x02\x01"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XslImagePtr image = read_bmp(bmp_file(c.bits, c.bits == 8 ? 1 : 2, c.width, c.height, c.data));
        if (c.rows.empty()) {
            EXPECT_FALSE(image);
            EXPECT_EQ(xslerrno, XSE_DATA_READ);
            continue;
        }
        ASSERT_TRUE(image) << xslerrno;
        EXPECT_EQ(rows_of(image.get()), c.rows);
        EXPECT_EQ(image->ncolors, 1 << c.bits);
    }
}

// Whatever the palette order, the darker colour becomes set bits and the
// colormap says so, so every order prints the same page.
TEST(BmpRead, OneBitDarkerColourIsBlack)
{
    const Rows dark = {{1, 0, 1, 1, 0, 0, 0, 1, 1}, {0, 1, 1, 0, 0, 1, 0, 1, 0}};
    const uint32_t black = 0x000000, white = 0xFFFFFF, navy = 0x000080, gold = 0xFFD700, gray = 0x808080;
    const struct {
        uint32_t first, second;
    } palettes[] = {{black, white}, {white, black}, {navy, gold}, {gold, navy}, {gray, gray}};
    for (const auto& p : palettes) {
        SCOPED_TRACE(std::to_string(p.first) + "/" + std::to_string(p.second));
        const int darker = p.first == gold || p.first == white ? 1 : 0;
        Rows stored = dark;
        for (auto& row : stored)
            for (auto& v : row)
                v = v ? darker : 1 - darker;
        BmpRecipe r;
        r.width = 9;
        r.height = 2;
        r.bits = 1;
        r.palette = {p.first, p.second};
        r.data = bmpRows(stored, 1);
        XslImagePtr image = read_bmp(makeBmp(r));
        ASSERT_TRUE(image);
        EXPECT_EQ(rows_of(image.get()), dark);
        EXPECT_EQ(image->data[1], 0x80) << "bits beyond the width stay clear";
        ASSERT_EQ(image->ncolors, 2);
        EXPECT_EQ(image->colormap[0].red + image->colormap[0].green + image->colormap[0].blue, 3 * 255);
        EXPECT_EQ(image->colormap[1].red + image->colormap[1].green + image->colormap[1].blue, 0);
    }
}

TEST(BmpRead, HeaderFields)
{
    const struct {
        int32_t pels;
        int resolution;
    } densities[] = {{2835, 72}, {0, 72}, {3900, 100}, {-3900, 72}, {39 * 600, 600}, {0x7FFFFFFF, 65535}};
    for (const auto& d : densities) {
        BmpRecipe r;
        r.data = std::string(4, '\0');
        r.palette = ramp(256);
        r.pels_per_metre = d.pels;
        XslImagePtr image = read_bmp(makeBmp(r));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->resolution, d.resolution) << d.pels;
    }

    // A longer info header is skipped before the palette.
    BmpRecipe v5;
    v5.width = 2;
    v5.bits = 4;
    v5.info_size = 124;
    v5.palette = ramp(16);
    v5.data = bmpRows({{3, 12}}, 4);
    XslImagePtr image = read_bmp(makeBmp(v5));
    ASSERT_TRUE(image);
    EXPECT_EQ(rows_of(image.get()), Rows({{3, 12}}));
    EXPECT_EQ(image->colormap[12].blue, ramp(16)[12] & 0xFF);
}

TEST(BmpRead, RefusedHeaders)
{
    const std::string good = bmp_file(8, 0, 2, 2, bmpRows({{1, 2}, {3, 4}}, 8));
    auto with = [&](size_t at, std::string bytes) { return good.substr(0, at) + bytes + good.substr(at + bytes.size()); };
    const struct {
        const char* name;
        std::string file;
        int code;
    } cases[] = {
        {"not BM", with(0, "BA"), XSE_BAD_MAGIC},
        {"core header of 12 bytes", with(14, bytes("\x0c\0\0\0")), XSE_VARIANT},
        {"two planes", with(26, bytes("\x02\0")), XSE_VARIANT},
        {"2 bits", with(28, bytes("\x02\0")), XSE_VARIANT},
        {"RLE4 on 8 bits", with(30, bytes("\x02\0\0\0")), XSE_VARIANT},
        {"compression 7", with(30, bytes("\x07\0\0\0")), XSE_VARIANT},
        {"width 0", with(18, bytes("\0\0\0\0")), XSE_BAD_MAGIC},
        {"negative width", with(18, bytes("\xfe\xff\xff\xff")), XSE_BAD_MAGIC},
        {"height 0", with(22, bytes("\0\0\0\0")), XSE_BAD_MAGIC},
        {"header cut short", good.substr(0, 40), XSE_HEADER_READ},
        {"palette cut short", good.substr(0, 54 + 1000), XSE_PALETTE_READ},
        {"info header past the end", with(14, bytes("\0\0\0\x7f")), XSE_PALETTE_READ},
        {"data offset past the end", with(10, bytes("\0\0\0\x10")), XSE_DATA_READ},
        {"rows missing", good.substr(0, good.size() - 1), XSE_DATA_READ},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_bmp(c.file)) << c.name;
        EXPECT_EQ(xslerrno, c.code) << c.name;
    }
}

TEST(BmpWrite, RoundTripsEveryKind)
{
    std::vector<XslImagePtr> images;
    for (int width = 1; width <= 9; ++width) {
        images.push_back(XslNewBitmap(width, 3));
        for (long i = 0; i < XSLDataSize(images.back().get()); ++i)
            images.back()->data[i] = static_cast<unsigned char>(i * 0x5B + width);
    }
    XslImagePtr indexed = XslNewColormapImage(5, 3);
    const unsigned char palette[] = {10, 20, 30, 200, 100, 0, 7, 7, 7};
    XslSetPalette(indexed.get(), palette, 3);
    for (int i = 0; i < 15; ++i)
        indexed->data[i] = static_cast<unsigned char>(i % 3);
    images.push_back(std::move(indexed));
    XslImagePtr rgb = XslNewRgbImage(3, 2);
    for (int i = 0; i < 6; ++i) {
        rgb->data[i] = static_cast<unsigned char>(40 * i);
        rgb->data_g[i] = static_cast<unsigned char>(255 - 30 * i);
        rgb->data_b[i] = static_cast<unsigned char>(i * i);
    }
    images.push_back(std::move(rgb));
    XslImagePtr direct = XslNewDirectImage(2, 2, 2, 0xF800, 0x07E0, 0x001F);
    const uint16_t values[] = {0xFFFF, 0x0000, 0xF800, 0x07E5};
    memcpy(direct->data, values, sizeof values);
    images.push_back(std::move(direct));

    for (const XslImagePtr& image : images) {
        SCOPED_TRACE(std::to_string(image->width) + " wide, kind " + std::to_string(XslKindOf(image.get())));
        image->resolution = 150;
        FilePtr out(std::tmpfile(), &std::fclose);
        ASSERT_EQ(XSWriteBMP(out.get(), image.get()), 1);
        const std::string file = contents_of(out.get());
        const int bits = image->type == 0 ? 1 : XslKindOf(image.get()) == XSK_COLORMAP ? 8 : 24;
        const size_t palette_bytes = bits == 1 ? 8 : bits == 8 ? 1024 : 0;
        EXPECT_EQ(file.size(), 54 + palette_bytes + XslRowBytes(image->width, bits, 4) * image->height);
        EXPECT_EQ(uint8_t(file[28]), bits);
        XslImagePtr back = read_bmp(file);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->resolution, 150);
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                unsigned char a[3], b[3];
                XSLGetPixel2(image.get(), x, y, a);
                XSLGetPixel2(back.get(), x, y, b);
                EXPECT_EQ(std::vector<int>(a, a + 3), std::vector<int>(b, b + 3)) << x << "," << y;
            }
    }
}

TEST(BmpWrite, RefusesARecordOfNoKind)
{
    XslImagePtr bare(XSLCrNewZmap2(2, 2, 8));
    FilePtr out(std::tmpfile(), &std::fclose);
    EXPECT_EQ(XSWriteBMP(out.get(), bare.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

namespace {
std::vector<std::string> bmp_samples()
{
    BmpRecipe mono;
    mono.width = 9;
    mono.height = 3;
    mono.bits = 1;
    mono.palette = {0x000000, 0xFFFFFF};
    mono.data = bmpRows(pattern(9, 3, 1), 1);
    BmpRecipe top_down;
    top_down.width = 5;
    top_down.height = -2;
    top_down.palette = ramp(256);
    top_down.data = bmpRows(pattern(5, 2, 8), 8, true);
    return {makeBmp(mono), makeBmp(top_down), bmp_file(24, 0, 5, 3, bmpRows(pattern(5, 3, 24), 24)),
            bmp_file(8, 1, 5, 3, bytes("\x00\x03\x01\x02\x03\x00\x02\x09\x00\x00\x00\x02\x02\x01\x02\x07\x00\x01")),
            bmp_file(4, 2, 6, 2, bytes("\x00\x05\x12\x34\x50\x00\x01\x99\x00\x00\x03\x78\x00\x01"))};
}

std::string bmp_of_size(long width, long height)
{
    return bmp_file(24, 0, int(width), int(height), std::string(64, '\x40'));
}
}  // namespace

XS_CONFORMANCE(Bmp, {.reader = XSReadBMP, .writer = XSWriteBMP, .samples = bmp_samples, .sized = bmp_of_size});
