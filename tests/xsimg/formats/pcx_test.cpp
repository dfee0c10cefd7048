// Reading and writing PCX files.
#include <gtest/gtest.h>

#include "../conformance/conformance.h"
#include "pcx_maker.h"
#include "picture_kinds.h"
#include "pixel_rows.h"
#include "xsiopcx.h"
#include "xsreadkit.h"

namespace {
XslImagePtr read_pcx(const std::string& file)
{
    return read_with(XSReadPCX, file);
}

// A file of the given indices: two colours white and black, up to 16 from
// the header palette, more from the palette at the end; 8 bits in several
// planes are colours.
std::string pcx_file(int bits, int planes, const Rows& rows)
{
    PcxRecipe r{.width = int(rows[0].size()), .height = int(rows.size()), .bits = bits, .planes = planes};
    const int count = bits == 8 && planes > 1 ? 0 : 1 << (bits * planes);
    r.palette = count == 2 ? std::vector<uint32_t>{0xFFFFFF, 0x000000} : test_palette(16);
    if (count > 16)
        r.end_palette = test_palette(count);
    r.data = pcxData(rows, bits, planes, pcxBytesPerLine(r.width, bits));
    return makePcx(r);
}
}  // namespace

TEST(PcxRead, EveryFormAndWidth)
{
    const int forms[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {8, 1}, {2, 1}, {4, 1}, {8, 3}, {8, 4}};
    for (const auto& form : forms)
        for (int width : {1, 2, 3, 4, 5, 7, 8, 9}) {
            const int bits = form[0], planes = form[1];
            const bool colour = bits == 8 && planes > 1;
            const int count = colour ? 0 : 1 << (bits * planes);
            SCOPED_TRACE(std::to_string(bits) + " bits x " + std::to_string(planes) + ", width " + std::to_string(width));
            const Rows rows = pattern(width, 3, colour ? 24 : bits * planes);
            XslImagePtr image = read_pcx(pcx_file(bits, planes, rows));
            ASSERT_TRUE(image) << xslerrno;
            EXPECT_EQ(rows_of(image.get()), rows);
            EXPECT_EQ(image->resolution, 100);
            EXPECT_EQ(image->type, count == 2 ? 0 : 1);
            EXPECT_EQ(XslKindOf(image.get()), colour ? XSK_RGB : count == 2 ? XSK_BITMAP : XSK_COLORMAP);
            ASSERT_EQ(image->ncolors, count == 2 ? 0 : count);
            if (count > 2) {
                EXPECT_EQ(rgb_of(image->colormap[count - 1]), test_palette(count)[count - 1]);
            }
        }
}

TEST(PcxRead, RunsAndLines)
{
    struct Case {
        const char* name;
        int bits, width, height, bytes_per_line;
        std::string data;
        Rows rows;  // empty when the file must fail with code XSE_DATA_READ
    };
    const Case cases[] = {
        {"a count byte repeats the next", 8, 3, 1, 4, bytes("\xc3\x55\x01"), {{0x55, 0x55, 0x55}}},
        {"runs cross lines and rows", 8, 3, 2, 4, bytes("\xc8\x07"), {{7, 7, 7}, {7, 7, 7}}},
        {"bytes beyond the width are dropped", 8, 2, 2, 6, bytes("\x01\x02\xc4\x09\x03\x04\xc4\x09"), {{1, 2}, {3, 4}}},
        {"bits beyond the width are dropped", 1, 3, 2, 2, bytes("\xc1\xff\xc1\xff\xa0\x00"), {{1, 1, 1}, {1, 0, 1}}},
        {"lines shorter than the width leave 0", 1, 10, 1, 1, bytes("\xc1\xff"), {{1, 1, 1, 1, 1, 1, 1, 1, 0, 0}}},
        {"data ending between runs leave 0", 1, 9, 3, 2, bytes("\xc3\x0f"),
         {{0, 0, 0, 0, 1, 1, 1, 1, 0}, {0, 0, 0, 0, 1, 1, 1, 1, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}}},
        {"a count without its byte", 1, 2, 2, 2, bytes("\x05\xc3"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PcxRecipe r{.width = c.width, .height = c.height, .bits = c.bits, .bytes_per_line = c.bytes_per_line,
                    .palette = {0xFFFFFF, 0x000000}, .data = c.data};
        if (c.bits == 8)
            r.end_palette = test_palette(256);
        XslImagePtr image = read_pcx(makePcx(r));
        EXPECT_EQ(bool(image), !c.rows.empty());
        if (image)
            EXPECT_EQ(rows_of(image.get()), c.rows);
        else
            EXPECT_EQ(xslerrno, XSE_DATA_READ);
    }
}

TEST(PcxRead, MonochromeBlackIsTheDarkerEntry)
{
    // Black and white, or a palette left zero, make a bitmap; two other
    // colours a colormap image of them.
    const Rows stored = {{0, 1, 1, 0, 1, 0, 0, 0, 1}};
    const uint32_t palettes[][3] = {{0x000000, 0xFFFFFF, 0}, {0xFFFFFF, 0x000000, 1}, {0x000000, 0x000000, 0},
                                    {0x000080, 0xFFD700, 2}, {0xFFD700, 0x000080, 2}};  // colours, darker (2: none)
    for (const auto& p : palettes) {
        XslImagePtr image =
            read_pcx(makePcx({.width = 9, .bits = 1, .palette = {p[0], p[1]}, .data = pcxData(stored, 1, 1, 2)}));
        ASSERT_TRUE(image);
        if (p[2] == 2) {
            EXPECT_EQ(XslKindOf(image.get()), XSK_COLORMAP);
            EXPECT_EQ(rows_of(image.get()), stored);
            ASSERT_EQ(image->ncolors, 2);
            EXPECT_EQ(rgb_of(image->colormap[0]), p[0]);
            EXPECT_EQ(rgb_of(image->colormap[1]), p[1]);
            continue;
        }
        Rows black = stored;
        for (auto& v : black[0])
            v = v == p[2];
        EXPECT_EQ(rows_of(image.get()), black) << p[0] << "/" << p[1];
    }
}

TEST(PcxRead, PaletteAtTheEnd)
{
    PcxRecipe r{.width = 3, .data = pcxData({{0, 200, 255}}, 8, 1, 4) + "\x0b\x0b"};  // skipped up to the marker
    r.end_palette = test_palette(256);
    XslImagePtr image = read_pcx(makePcx(r));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb_of(image->colormap[200]), test_palette(256)[200]);

    const std::string file = makePcx(r);
    EXPECT_FALSE(read_pcx(file.substr(0, file.size() - 1)));
    EXPECT_EQ(xslerrno, XSE_PALETTE_READ);

    r.end_palette.clear();
    image = read_pcx(makePcx(r));
    ASSERT_TRUE(image) << "no palette at all: a gray ramp";
    ASSERT_EQ(image->ncolors, 256);
    EXPECT_EQ(rgb_of(image->colormap[200]), 200u * 0x010101);
}

TEST(PcxRead, RefusedHeaders)
{
    const std::string good = pcx_file(8, 1, {{1, 2}, {3, 4}});
    const struct {
        const char* name;
        std::string file;
        int code;
    } cases[] = {
        {"header cut short", good.substr(0, 127), XSE_HEADER_READ},
        {"manufacturer 11", patched(good, 0, "\x0b"), XSE_BAD_MAGIC},
        {"version 6", patched(good, 1, "\x06"), XSE_BAD_MAGIC},
        {"encoding 0", patched(good, 2, bytes("\0")), XSE_VARIANT},
        {"3 bits", patched(good, 3, "\x03"), XSE_LAYOUT},
        {"8 bits in two planes", patched(good, 65, "\x02"), XSE_LAYOUT},
        {"8 bits in five planes", patched(good, 65, "\x05"), XSE_LAYOUT},
        {"4 bits in two planes", patched(patched(good, 65, "\x02"), 3, "\x04"), XSE_LAYOUT},
        {"no planes", patched(good, 65, bytes("\0")), XSE_LAYOUT},
        {"xmin beyond xmax", patched(good, 4, "\x05"), XSE_BAD_MAGIC},
        {"ymin beyond ymax", patched(good, 6, "\x05"), XSE_BAD_MAGIC},
        {"no bytes per line", patched(good, 66, bytes("\0\0")), XSE_BAD_MAGIC},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_pcx(c.file)) << c.name;
        EXPECT_EQ(xslerrno, c.code) << c.name;
    }
}

TEST(PcxWrite, FormFollowsTheColourCount)
{
    const int forms[][3] = {{1, 1, 1}, {2, 1, 1}, {3, 1, 2}, {4, 1, 2}, {5, 1, 3}, {16, 1, 4}, {17, 8, 1}, {256, 8, 1}};
    for (const auto& f : forms)
        for (int width : {1, 8, 9}) {
            const int count = f[0];
            SCOPED_TRACE(std::to_string(count) + " colours, width " + std::to_string(width));
            XslImagePtr image = XslNewColormapImage(width, 2);
            std::vector<unsigned char> palette;
            for (uint32_t rgb : test_palette(count))
                palette.insert(palette.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
            XslSetPalette(image.get(), palette.data(), count);
            for (int i = 0; i < 2 * width; ++i)
                image->data[i] = static_cast<unsigned char>(i * 7 % count);
            const std::string file = written_with(XSWritePCX, image.get());
            EXPECT_EQ(file[3], f[1]);
            EXPECT_EQ(file[65], f[2]);
            EXPECT_EQ(uint8_t(file[66]), pcxBytesPerLine(width, f[1]));
            EXPECT_EQ(file.substr(file.size() - 769, 4), "\x0c" + file.substr(16, 3)) << "palette at the end";
            XslImagePtr back = read_pcx(file);
            ASSERT_TRUE(back) << xslerrno;
            // Two colours other than black and white stay colours.
            EXPECT_EQ(colours_of(back.get()), colours_of(image.get()));
        }
}

TEST(PcxWrite, RunsAndOtherKinds)
{
    // Runs stop at 63 bytes; a lone byte of 0xC0 or above is counted.
    XslImagePtr row = XslNewGrayImage(70, 1, 256);
    row->data[64] = 0xC0;
    memset(row->data + 65, 0x05, 5);
    EXPECT_EQ(written_with(XSWritePCX, row.get()).substr(128, 8), bytes("\xff\x00\x00\xc1\xc0\xc5\x05\x0c"));

    // Other kinds are reduced to a colormap first, which may merge close colours.
    for (const PictureKind& kind : allPictureKinds()) {
        XslImagePtr back = read_pcx(written_with(XSWritePCX, kind.image.get()));
        ASSERT_TRUE(back) << kind.name;
        const std::vector<Rgb> want = colours_of(kind.image.get()), got = colours_of(back.get());
        const int tolerance = XslKindOf(kind.image.get()) == XSK_DIRECT || kind.image->planes == 3 ? 2 : 0;
        for (size_t i = 0; i < want.size(); ++i)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(got[i][c], want[i][c], tolerance) << kind.name << " pixel " << i;
    }

    XslImagePtr bare(XSLCrNewZmap2(2, 2, 8));
    FilePtr out(std::tmpfile(), &std::fclose);
    EXPECT_EQ(XSWritePCX(out.get(), bare.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

namespace {
std::vector<std::string> pcx_samples()
{
    return {pcx_file(1, 1, pattern(9, 3, 1)), pcx_file(1, 4, pattern(7, 2, 4)), pcx_file(8, 1, pattern(5, 3, 8)),
            pcx_file(4, 1, pattern(7, 2, 4)), pcx_file(8, 3, pattern(5, 3, 24))};
}

// PCX sizes hold 16 bits; larger ones are declared as the largest there is.
std::string pcx_of_size(long width, long height)
{
    const bool fits = width <= 0x10000 && height <= 0x10000;
    return makePcx({.width = fits ? int(width) : 0x10000, .height = fits ? int(height) : 0x10000, .xmin = 1,
                    .ymin = 1, .bytes_per_line = 2, .data = std::string(64, '\x11')});
}
}  // namespace

// Data that end early read as 0, so a cut file may still read.
XS_CONFORMANCE(Pcx, {.reader = XSReadPCX, .writer = XSWritePCX, .samples = pcx_samples, .sized = pcx_of_size,
                     .fills_truncated = true});
