// Reading and writing BMP files.
#include <gtest/gtest.h>

#include "../conformance/conformance.h"
#include "bmp_maker.h"
#include "picture_kinds.h"
#include "pixel_rows.h"
#include "xsiobmp.h"
#include "xsreadkit.h"

namespace {
XslImagePtr read_bmp(const std::string& file)
{
    return read_with(XSReadBMP, file);
}

std::string bmp_file(int bits, int compression, int width, int height, const std::string& data, uint32_t info = 40)
{
    BmpRecipe r{.width = width, .height = height, .bits = bits, .compression = compression, .info_size = info};
    if (bits == 1)
        r.palette = {0xFFFFFF, 0x000000};  // set bits black as stored
    else if (bits != 24)
        r.palette = test_palette(1 << bits);
    r.data = data;
    return makeBmp(r);
}
}  // namespace

TEST(BmpRead, EveryDepthWidthAndRowOrder)
{
    // The 12-byte core header has 3-byte palette entries, no top-down rows,
    // and no density (100 dots per inch, as the files here say).
    for (int bits : {1, 4, 8, 24})
        for (int width : {1, 2, 3, 4, 5, 7, 8, 9})
            for (int height : {3, -3, 0}) {
                const uint32_t info = height == 0 ? 12 : 40;
                height = height == 0 ? 3 : height;
                SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " x " + std::to_string(height) +
                             ", info " + std::to_string(info));
                const Rows rows = pattern(width, 3, bits);
                XslImagePtr image = read_bmp(bmp_file(bits, 0, width, height, bmpRows(rows, bits, height < 0), info));
                ASSERT_TRUE(image) << xslerrno;
                EXPECT_EQ(rows_of(image.get()), rows);
                EXPECT_EQ(image->resolution, 100);
                EXPECT_EQ(image->ncolors, bits == 24 ? 0 : 1 << bits);
                if (bits == 4 || bits == 8) {
                    EXPECT_EQ(rgb_of(image->colormap[3]), test_palette(4)[3]);
                }
                int r, g, b;
                XSLGetPixel(image.get(), 0, 0, &r, &g, &b);
                if (bits == 24) {
                    EXPECT_EQ(uint32_t(r << 16 | g << 8 | b), rows[0][0]) << "masks of blue, green, red bytes";
                }
            }
}

TEST(BmpRead, RunLengthEscapes)
{
    struct Case {
        const char* name;
        int bits, width, height;
        std::string data;
        Rows rows;  // top row first; empty when the file must fail with code XSE_DATA_READ
    };
    const Case cases[] = {
        {"run, end of line, end of bitmap", 8, 3, 2, bytes("\x03\x41\x00\x00\x00\x01"), {{0, 0, 0}, {0x41, 0x41, 0x41}}},
        {"odd absolute run and delta", 8, 5, 3,
         bytes("\x00\x03\x01\x02\x03\x00\x02\x09\x00\x00\x00\x02\x02\x01\x02\x07\x00\x01"),
         {{0, 0, 7, 7, 0}, {0, 0, 0, 0, 0}, {1, 2, 3, 9, 9}}},
        {"runs past the row and deltas above the top are dropped", 8, 2, 2,
         bytes("\x05\x04\x00\x00\x00\x04\x01\x02\x03\x04\x00\x02\x01\x05\x03\x08\x00\x01"), {{1, 2}, {4, 4}}},
        {"complete after one end of line per row", 8, 1, 2, bytes("\x01\x05\x00\x00\x01\x06\x00\x00"), {{6}, {5}}},
        {"nibble run", 4, 5, 1, bytes("\x05\x12\x00\x01"), {{1, 2, 1, 2, 1}}},
        {"nibble absolute run of 3 takes no padding", 4, 4, 1, bytes("\x00\x03\x34\x50\x01\x77\x00\x01"), {{3, 4, 5, 7}}},
        {"nibble absolute run of 5 takes one padding byte", 4, 6, 1, bytes("\x00\x05\x12\x34\x50\x00\x01\x99\x00\x01"),
         {{1, 2, 3, 4, 5, 9}}},
        {"data ending inside a run", 8, 3, 2, bytes("\x03\x41\x00"), {}},
        {"data ending inside an absolute run", 4, 4, 1, bytes("\x00\x04\x12"), {}},
        {"data ending inside a delta", 8, 3, 2, bytes("\x00\x02\x01"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XslImagePtr image = read_bmp(bmp_file(c.bits, c.bits == 8 ? 1 : 2, c.width, c.height, c.data));
        EXPECT_EQ(bool(image), !c.rows.empty());
        if (image)
            EXPECT_EQ(rows_of(image.get()), c.rows);
        else
            EXPECT_EQ(xslerrno, XSE_DATA_READ);
    }
}

// Black and white in either order become set bits for black and a colormap
// that says so, so both orders print the same page; any other two colours
// stay a colormap image of those colours.
TEST(BmpRead, OneBitDarkerColourIsBlack)
{
    const Rows dark = {{1, 0, 1, 1, 0, 0, 0, 1, 1}, {0, 1, 1, 0, 0, 1, 0, 1, 0}};
    const uint32_t palettes[][3] = {{0x000000, 0xFFFFFF, 0}, {0xFFFFFF, 0x000000, 1}, {0x000080, 0xFFD700, 2},
                                    {0xFFD700, 0x000080, 2}, {0x808080, 0x808080, 2}};  // colours, black (2: none)
    for (const auto& p : palettes) {
        Rows stored = dark;
        for (auto& row : stored)
            for (auto& v : row)
                v = v ? p[2] & 1 : 1 - (p[2] & 1);
        XslImagePtr image = read_bmp(makeBmp({.width = 9, .height = 2, .bits = 1, .palette = {p[0], p[1]}, .data = bmpRows(stored, 1)}));
        ASSERT_TRUE(image);
        ASSERT_EQ(image->ncolors, 2);
        if (p[2] == 2) {
            EXPECT_EQ(XslKindOf(image.get()), XSK_COLORMAP);
            EXPECT_EQ(rows_of(image.get()), stored) << p[0];
            EXPECT_EQ(rgb_of(image->colormap[0]), p[0]);
            EXPECT_EQ(rgb_of(image->colormap[1]), p[1]);
            continue;
        }
        EXPECT_EQ(rows_of(image.get()), dark) << p[0];
        EXPECT_EQ(image->data[1], 0x80) << "bits beyond the width stay clear";
        EXPECT_EQ(rgb_of(image->colormap[0]), 0xFFFFFFu);
        EXPECT_EQ(rgb_of(image->colormap[1]), 0u);
    }
}

TEST(BmpRead, HeaderFields)
{
    const int32_t densities[][2] = {{2835, 72}, {0, 72}, {3900, 100}, {-3900, 72}, {39 * 600, 600}, {0x7FFFFFFF, 65535}};
    for (const auto& d : densities) {
        BmpRecipe r{.palette = test_palette(256), .data = std::string(4, '\0'), .pels_per_metre = d[0]};
        XslImagePtr image = read_bmp(makeBmp(r));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->resolution, d[1]) << d[0];
    }

    BmpRecipe v5{.width = 2, .bits = 4, .palette = test_palette(16), .data = bmpRows({{3, 12}}, 4), .info_size = 124};
    XslImagePtr image = read_bmp(makeBmp(v5));
    ASSERT_TRUE(image) << "a longer info header is skipped";
    EXPECT_EQ(rows_of(image.get()), Rows({{3, 12}}));
    EXPECT_EQ(rgb_of(image->colormap[12]), test_palette(16)[12]);

    // An 8-bit palette said to hold 16 entries still gives 256: the next ones
    // come from the bytes that follow, those past the end of the file are black.
    const std::string few = makeBmp({.width = 2, .palette = test_palette(16), .data = bmpRows({{15, 3}}, 8)});
    image = read_bmp(few);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->ncolors, 256);
    EXPECT_EQ(rows_of(image.get()), Rows({{15, 3}}));
    EXPECT_EQ(rgb_of(image->colormap[16]), 0x00030Fu);
    EXPECT_EQ(rgb_of(image->colormap[255]), 0u);
    EXPECT_FALSE(read_bmp(few.substr(0, 54 + 4 * 15)));
    EXPECT_EQ(xslerrno, XSE_PALETTE_READ);
}

TEST(BmpRead, RefusedHeaders)
{
    const std::string good = bmp_file(8, 0, 2, 2, bmpRows({{1, 2}, {3, 4}}, 8));
    const struct {
        const char* name;
        std::string file;
        int code;
    } cases[] = {
        {"not BM", patched(good, 0, "BA"), XSE_BAD_MAGIC},
        {"info header of 16 bytes", patched(good, 14, bytes("\x10\0\0\0")), XSE_VARIANT},
        {"core header of 2 bits", patched(patched(good, 14, bytes("\x0c\0\0\0")), 24, bytes("\x02\0")), XSE_VARIANT},
        {"two planes", patched(good, 26, bytes("\x02\0")), XSE_VARIANT},
        {"2 bits", patched(good, 28, bytes("\x02\0")), XSE_VARIANT},
        {"RLE4 on 8 bits", patched(good, 30, bytes("\x02\0\0\0")), XSE_VARIANT},
        {"compression 7", patched(good, 30, bytes("\x07\0\0\0")), XSE_VARIANT},
        {"width 0", patched(good, 18, bytes("\0\0\0\0")), XSE_BAD_MAGIC},
        {"negative width", patched(good, 18, bytes("\xfe\xff\xff\xff")), XSE_BAD_MAGIC},
        {"height 0", patched(good, 22, bytes("\0\0\0\0")), XSE_BAD_MAGIC},
        {"header cut short", good.substr(0, 40), XSE_HEADER_READ},
        {"palette cut short", good.substr(0, 54 + 1000), XSE_PALETTE_READ},
        {"info header past the end", patched(good, 14, bytes("\0\0\0\x7f")), XSE_PALETTE_READ},
        {"data offset past the end", patched(good, 10, bytes("\0\0\0\x10")), XSE_DATA_READ},
        {"rows missing", good.substr(0, good.size() - 1), XSE_DATA_READ},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_bmp(c.file)) << c.name;
        EXPECT_EQ(xslerrno, c.code) << c.name;
    }
}

TEST(BmpWrite, RoundTripsEveryKind)
{
    for (int width : {1, 2, 3, 4, 5, 7, 8, 9})
        for (const PictureKind& kind : allPictureKinds(width, 3)) {
            SCOPED_TRACE(kind.name + ", width " + std::to_string(width));
            XSImage* image = kind.image.get();
            const std::string file = written_with(XSWriteBMP, image);
            const int bits = image->type == 0 ? 1 : XslKindOf(image) == XSK_COLORMAP ? 8 : 24;
            const size_t palette_bytes = bits == 1 ? 8 : bits == 8 ? 1024 : 0;
            EXPECT_EQ(file.size(), 54 + palette_bytes + XslRowBytes(width, bits, 4) * 3);
            EXPECT_EQ(uint8_t(file[28]), bits);
            XslImagePtr back = read_bmp(file);
            ASSERT_TRUE(back);
            EXPECT_EQ(back->resolution, image->resolution ? image->resolution : 72);
            EXPECT_EQ(colours_of(back.get()), colours_of(image));
        }

    XslImagePtr bare(XSLCrNewZmap2(2, 2, 8));
    FilePtr out(std::tmpfile(), &std::fclose);
    EXPECT_EQ(XSWriteBMP(out.get(), bare.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND) << "one byte per pixel without a colormap is no kind";
}

namespace {
std::vector<std::string> bmp_samples()
{
    return {makeBmp({.width = 9, .height = 3, .bits = 1, .palette = {0x000000, 0xFFFFFF}, .data = bmpRows(pattern(9, 3, 1), 1)}),
            bmp_file(8, 0, 5, -2, bmpRows(pattern(5, 2, 8), 8, true)),
            bmp_file(24, 0, 5, 3, bmpRows(pattern(5, 3, 24), 24)),
            bmp_file(8, 1, 5, 3, bytes("\x00\x03\x01\x02\x03\x00\x02\x09\x00\x00\x00\x02\x02\x01\x02\x07\x00\x01")),
            bmp_file(4, 2, 6, 2, bytes("\x00\x05\x12\x34\x50\x00\x01\x99\x00\x00\x03\x78\x00\x01")),
            bmp_file(8, 0, 5, 2, bmpRows(pattern(5, 2, 8), 8), 12)};
}

std::string bmp_of_size(long width, long height)
{
    return bmp_file(24, 0, int(width), int(height), std::string(64, '\x40'));
}
}  // namespace

XS_CONFORMANCE(Bmp, {.reader = XSReadBMP, .writer = XSWriteBMP, .samples = bmp_samples, .sized = bmp_of_size});
