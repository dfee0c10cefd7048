// Sun raster: every depth, plain and run-length, at widths that need padding.
#include <gtest/gtest.h>

#include "../conformance/conformance.h"
#include "format_bytes.h"
#include "xsiosun.h"
#include "xsregistry.h"

namespace {
std::string be32(uint32_t v)
{
    return be_bytes(v);
}

// Byte-level run-length coding of the whole row stream, so that runs go on
// across row ends; a lone 0x80 is escaped.
std::string encode(const std::string& plain)
{
    std::string out;
    for (size_t i = 0; i < plain.size();) {
        size_t n = 1;
        while (i + n < plain.size() && n < 256 && plain[i + n] == plain[i])
            ++n;
        if (n >= 3 || (plain[i] == '\x80' && n == 2))
            out += std::string("\x80") + char(n - 1) + plain[i];
        else if (plain[i] == '\x80')
            out += std::string("\x80\0", 2);
        else
            out += std::string(n, plain[i]);
        i += n;
    }
    return out;
}

std::string sun_file(int width, int height, int depth, int type, const std::string& map,
                     const std::vector<std::string>& rows)
{
    std::string stream;
    for (const std::string& row : rows)
        stream += row + std::string(row.size() % 2, '\x55');  // pad bytes are never read as pixels
    if (type == 2)
        stream = encode(stream);
    return be32(0x59A66A95) + be32(width) + be32(height) + be32(depth) + be32(uint32_t(stream.size()))
           + be32(type) + be32(map.empty() ? 0 : 1) + be32(uint32_t(map.size())) + map + stream;
}

// Levels in runs of three, 0x80 among them, so that encoded files hold runs,
// escapes and literals.
int level_at(int x, int y, int width)
{
    static const int levels[] = {0x80, 0x41, 0x00, 0xFF, 0x80, 0x13, 0xC4};
    return levels[(y * width + x) / 3 % 7];
}

struct Case {
    int depth;
    int colours;  // colormap entries in the file (8-bit only)
};

Rgb entry_colour(int i)
{
    return {i, i ^ 0x55, 255 - i};
}

// The file of a case and the colour every pixel must read as.
std::string case_file(const Case& c, int width, int height, int type, std::vector<Rgb>& expected)
{
    std::string map;
    for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < c.colours; ++i)
            map += char(entry_colour(i)[channel]);
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row(c.depth == 1 ? (width + 7) / 8 : 0, '\0');
        for (int x = 0; x < width; ++x) {
            const int v = level_at(x, y, width);
            const Rgb colour = (y * width + x) / 3 % 2 ? Rgb{v, 255 - v, v / 2} : Rgb{v, v, v};
            switch (c.depth) {
            case 1:
                if (v & 0x80)
                    row[x / 8] = char(row[x / 8] | (0x80 >> x % 8));
                expected.push_back(v & 0x80 ? Rgb{0, 0, 0} : Rgb{255, 255, 255});
                break;
            case 8:
                row += char(c.colours ? v % c.colours : v);
                expected.push_back(c.colours ? entry_colour(v % c.colours) : Rgb{v, v, v});
                break;
            default:
                // Type 3 stores red first, the others blue first.
                row += std::string(c.depth == 32 ? "\x7f" : "") + char(colour[type == 3 ? 0 : 2]) + char(colour[1])
                       + char(colour[type == 3 ? 2 : 0]);
                expected.push_back(colour);
            }
        }
        rows.push_back(row);
    }
    return sun_file(width, height, c.depth, type, map, rows);
}

const Case kCases[] = {{1, 0}, {1, 2}, {8, 0}, {8, 5}, {8, 256}, {24, 0}, {32, 0}};
const int kWidths[] = {1, 2, 3, 4, 5, 7, 8, 9};
}  // namespace

TEST(SunRaster, EveryDepthTypeAndWidthReadsItsPixels)
{
    for (const Case& c : kCases)
        for (int width : kWidths)
            for (int type : {0, 1, 2, 3}) {
                SCOPED_TRACE("depth " + std::to_string(c.depth) + " colours " + std::to_string(c.colours) + " width "
                             + std::to_string(width) + " type " + std::to_string(type));
                std::vector<Rgb> expected;
                XslImagePtr image = read_with(XSReadMagic, case_file(c, width, 3, type, expected));
                ASSERT_TRUE(image) << "code " << xslerrno;
                EXPECT_EQ(image->format, XSF_SUN);
                EXPECT_EQ(image->resolution, 100);
                EXPECT_EQ(XslKindOf(image.get()), c.depth == 1 ? XSK_BITMAP : c.depth == 8 ? XSK_COLORMAP : XSK_DIRECT);
                if (c.depth == 8) {
                    EXPECT_EQ(image->ncolors, c.colours ? c.colours : 256);
                    EXPECT_EQ(XSLCheckGraymap(image.get()), c.colours == 0);  // no colormap reads as gray
                }
                EXPECT_EQ(colours_of(image.get()), expected);
            }
}

TEST(SunRaster, RunsEscapesAndRunsAcrossRows)
{
    // Width 2, three rows: 41 41 | 41 80 | 09 09; the first run ends in row 1.
    const std::string file = be32(0x59A66A95) + be32(2) + be32(3) + be32(8) + be32(0) + be32(2) + be32(0) + be32(0)
                             + std::string("\x80\x02\x41\x80\x00\x80\x01\x09", 8);
    XslImagePtr image = read_with(RsReader, file);
    ASSERT_TRUE(image) << "code " << xslerrno;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(image->data), 6), std::string("\x41\x41\x41\x80\x09\x09", 6));
}

TEST(SunRaster, RefusalsCarryTheirCodes)
{
    const std::string header = be32(0x59A66A95) + be32(4) + be32(2) + be32(8) + be32(8);
    const std::string rows(8, '\x01');
    const struct {
        std::string file;
        int code;
    } cases[] = {
        {header.substr(0, 20), XSE_HEADER_READ},
        {be32(0x59A66A96) + header.substr(4) + be32(1) + be32(0) + be32(0) + rows, XSE_BAD_MAGIC},
        {header + be32(4) + be32(0) + be32(0) + rows, XSE_VARIANT},                         // type 4
        {be32(0x59A66A95) + be32(4) + be32(2) + be32(4) + be32(4) + be32(1) + be32(0) + be32(0) + rows,
         XSE_VARIANT},                                                                       // depth 4
        {header + be32(1) + be32(1) + be32(768) + std::string(600, '\0') + rows, XSE_DATA_READ},  // short colormap
        {header + be32(1) + be32(0) + be32(0) + rows.substr(1), XSE_DATA_READ},
        {header + be32(2) + be32(0) + be32(0) + "\x80\x06", XSE_DATA_READ},                 // run cut short
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_with(RsReader, c.file));
        EXPECT_EQ(xslerrno, c.code);
    }
}

TEST(SunRaster, WriterLaysOutHeaderColormapAndPaddedRows)
{
    XslImagePtr image = XslNewColormapImage(3, 2);
    const unsigned char map[] = {10, 11, 12, 20, 21, 22};
    ASSERT_TRUE(XslSetPalette(image.get(), map, 2));
    for (int i = 0; i < 6; ++i)
        image->data[i] = uint8_t(i % 2);
    const std::string expected = be32(0x59A66A95) + be32(3) + be32(2) + be32(8) + be32(6) + be32(1) + be32(1) + be32(6)
                                 + "\x0a\x14\x0b\x15\x0c\x16" + std::string("\0\1\0\0\1\0\1\0", 8);
    EXPECT_EQ(written_with(RsWriter, image.get()), expected);
}

TEST(SunRaster, HeaderQueryGivesTheSize)
{
    FilePtr f = stream_of(be32(0x59A66A95) + be32(640) + be32(480) + std::string(20, '\0'));
    std::fseek(f.get(), 8, SEEK_SET);
    XSInfo info{};
    EXPECT_TRUE(RsIndent(0x59A66A95));
    ASSERT_EQ(RsInformation(f.get(), 0x59A66A95, 640, &info), 1);
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 480);
    EXPECT_EQ(info.resolution, 100);
    EXPECT_EQ(RsInformation(f.get(), 0x59A66A95, 640, &info), 0);  // nothing left
}

namespace {
std::vector<std::string> sun_samples()
{
    std::vector<std::string> files;
    std::vector<Rgb> ignored;
    for (const Case& c : kCases)
        files.push_back(case_file(c, 5, 3, c.depth == 8 ? 2 : 1, ignored));
    files.push_back(case_file({24, 0}, 5, 3, 3, ignored));
    return files;
}

std::string sun_of_size(long width, long height)
{
    return be32(0x59A66A95) + be32(uint32_t(width)) + be32(uint32_t(height)) + be32(8) + be32(0) + be32(1) + be32(0)
           + be32(0) + std::string(64, '\x20');
}
}  // namespace

XS_CONFORMANCE(Sun, {.reader = RsReader, .writer = RsWriter, .samples = sun_samples, .sized = sun_of_size});
