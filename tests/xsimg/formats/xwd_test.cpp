// Reading and writing window dumps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../conformance/conformance.h"
#include "../memfile.h"
#include "native_read.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsiotv.h"
#include "xsioxwd.h"
#include "xsown.h"
#include "xwd_maker.h"

namespace {
XslImagePtr read_xwd(const std::string& bytes, XSReader reader = XwdReader)
{
    FilePtr f = stream_of(bytes);
    xslerrno = 0;
    return XslImagePtr(reader(f.get()));
}

// The TV11 member reads every dump the XWD reader reads, alike.
const XSReader kBothReaders[] = {XwdReader, read_as_member<TV11Reader>};

XslImagePtr read_magic(const std::string& bytes)
{
    FilePtr f = stream_of(bytes);
    xslerrno = 0;
    return XslImagePtr(XSReadMagic(f.get()));
}

bool black(int x, int y)
{
    return (x * 3 + y * 5) % 7 < 3;
}

bool bit_of(const XSImage* image, int x, int y)
{
    return image->data[y * XSLBytesPerLine(image) + x / 8] & (0x80 >> (x % 8));
}

uint32_t raw_pixel(const XSImage* image, long i)
{
    const unsigned char* p = image->data + i * image->bytes_per_pixel;
    if (image->bytes_per_pixel == 3)
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    uint32_t v32 = 0;
    uint16_t v16 = 0;
    if (image->bytes_per_pixel == 2)
        return memcpy(&v16, p, 2), v16;
    return memcpy(&v32, p, 4), v32;
}

// A colour entry per pixel value 0 ... n-1, listed from the last.
std::vector<XwdColour> palette(int n)
{
    std::vector<XwdColour> colours;
    for (int p = n - 1; p >= 0; --p)
        colours.push_back({uint32_t(p), uint16_t(p * 37 % 256 * 257), uint16_t(p * 11 % 256 * 257),
                           uint16_t((255 - p) * 257)});
    return colours;
}
}  // namespace

namespace {
const char* name_of(XSReader reader)
{
    return reader == XwdReader ? "XWD" : "TV11";
}

void expect_bitmap(XSReader reader, int unit, int byte_order, int bit_order, int width, bool inverted)
{
    SCOPED_TRACE(::testing::Message() << name_of(reader) << " unit " << unit << " byte order " << byte_order
                                      << " bit order " << bit_order << " width " << width
                                      << (inverted ? " inverted" : ""));
    const int line = (width + unit - 1) / unit * unit / 8;
    XwdDump d = xwd_dump(width, 3, 1, 1, line, 0);
    d.field[XwdFormat] = 0;
    d.field[XwdUnit] = d.field[XwdPad] = unit;
    d.field[XwdByteOrder] = byte_order;
    d.field[XwdBitOrder] = bit_order;
    // A black pixel 0 says that set bits are white.
    if (inverted)
        d.colours = {{1, 65535, 65535, 65535}, {0, 0, 0, 0}};
    d.pixels = xwd_bitmap_lines(width, 3, unit, byte_order, bit_order, line,
                                [&](int x, int y) { return black(x, y) != inverted; });
    XslImagePtr image = read_xwd(d.bytes(), reader);
    ASSERT_TRUE(image) << "code " << xslerrno;
    EXPECT_EQ(image->type, 0);
    EXPECT_EQ(image->resolution, 100);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < (width + 7) / 8 * 8; ++x)
            ASSERT_EQ(bit_of(image.get(), x, y), x < width && black(x, y)) << x << "," << y;
}

void expect_gray_or_pseudo(XSReader reader, int bits, int byte_order, int visual)
{
    SCOPED_TRACE(::testing::Message() << name_of(reader) << " " << bits << " bits, byte order " << byte_order
                                      << " visual " << visual);
    const int width = 13, height = 2, levels = 1 << bits;
    auto sample = [&](int x, int y) { return uint32_t((x * 7 + y * 3) % levels); };
    const int per_byte = bits < 8 ? 8 / bits : 1;
    const int line = (width + per_byte - 1) / per_byte + 3;
    XwdDump d = xwd_dump(width, height, bits, bits, line, visual);
    d.field[XwdByteOrder] = byte_order;
    d.name = "window";
    if (visual == 3)
        d.colours = palette(levels);
    d.pixels = xwd_sample_lines(width, height, bits, byte_order, line, sample);
    XslImagePtr image = read_xwd(d.bytes(), reader);
    ASSERT_TRUE(image) << "code " << xslerrno;
    ASSERT_EQ(image->bytes_per_pixel, 1);
    ASSERT_EQ(image->ncolors, levels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(image->data[y * width + x], sample(x, y)) << x << "," << y;
    for (int i = 0; i < levels; ++i) {
        const XSColor& c = image->colormap[i];
        EXPECT_EQ(c.index, i);
        const int gray = (i * 255 * 2 + levels - 1) / (2 * (levels - 1));  // rounded
        EXPECT_EQ(c.red, visual == 3 ? i * 37 % 256 : gray);
        EXPECT_EQ(c.green, visual == 3 ? i * 11 % 256 : gray);
        EXPECT_EQ(c.blue, visual == 3 ? 255 - i : gray);
    }
}

struct DirectCase {
    int bits;
    uint32_t red, green, blue;
};

void expect_direct(XSReader reader, const DirectCase& c, int byte_order, int visual)
{
    SCOPED_TRACE(::testing::Message() << name_of(reader) << " " << c.bits << " bits, byte order " << byte_order);
    auto sample = [&](int x, int y) { return uint32_t(x * 0x10203 + y * 0x50607) & (c.red | c.green | c.blue); };
    const int line = 5 * c.bits / 8 + 2;
    XwdDump d = xwd_dump(5, 3, c.bits, c.bits, line, visual);
    d.field[XwdByteOrder] = byte_order;
    d.field[XwdRedMask] = c.red;
    d.field[XwdGreenMask] = c.green;
    d.field[XwdBlueMask] = c.blue;
    // Gray entries leave the pixel values alone.
    d.colours = {{0, 0, 0, 0}, {1, 300, 300, 300}, {0x10203, 9, 9, 9}};
    d.pixels = xwd_sample_lines(5, 3, c.bits, byte_order, line, sample);
    XslImagePtr image = read_xwd(d.bytes(), reader);
    ASSERT_TRUE(image) << "code " << xslerrno;
    EXPECT_EQ(image->depth, uint32_t(c.bits));
    EXPECT_EQ(image->ncolors, 0);
    EXPECT_EQ(image->red_mask, c.red);
    for (int i = 0; i < 15; ++i)
        ASSERT_EQ(raw_pixel(image.get(), i), sample(i % 5, i / 5)) << i;
}
}  // namespace

TEST(XwdRead, BitmapsInEveryUnitAndOrder)
{
    for (XSReader reader : kBothReaders)
        for (int unit : {8, 16, 32})
            for (int byte_order : {0, 1})
                for (int bit_order : {0, 1})
                    for (int width : {13, 16, 33})
                        for (bool inverted : {false, true})
                            expect_bitmap(reader, unit, byte_order, bit_order, width, inverted);
}

TEST(XwdRead, GrayAndPseudoColourOfTwoToEightBits)
{
    for (XSReader reader : kBothReaders)
        for (int bits = 2; bits <= 8; ++bits)
            for (int byte_order : {0, 1})
                for (int visual : {1, 3})
                    expect_gray_or_pseudo(reader, bits, byte_order, visual);
}

TEST(XwdRead, TrueAndDirectColourInBothByteOrders)
{
    const DirectCase cases[] = {
        {16, 0xF800, 0x07E0, 0x001F}, {24, 0xFF0000, 0xFF00, 0xFF}, {32, 0xFF, 0xFF00, 0xFF0000}};
    for (XSReader reader : kBothReaders)
        for (const DirectCase& c : cases)
            for (int byte_order : {0, 1})
                for (int visual : {4, 5})
                    expect_direct(reader, c, byte_order, visual);
}

TEST(XwdRead, DirectColourGoesThroughItsEntries)
{
    XwdDump d = xwd_dump(4, 1, 24, 24, 12, 5);
    d.field[XwdRedMask] = 0xFF0000;
    d.field[XwdGreenMask] = 0xFF00;
    d.field[XwdBlueMask] = 0xFF;
    d.colours = {{0, 65535, 0, 0}, {0x010101, 0, 65535, 0}, {0x777777, 0x8080, 0x4040, 0x2020}};
    // Whole matches, per-field look-ups, and a field beyond the entries kept as it is.
    d.pixels = xwd_sample_lines(4, 1, 24, 1, 12, [](int x, int) {
        const uint32_t values[] = {0x000000, 0x010101, 0x020100, 0xC80002};
        return values[x];
    });
    XslImagePtr image = read_xwd(d.bytes());
    ASSERT_TRUE(image) << "code " << xslerrno;
    const uint32_t expected[] = {0xFF0000, 0x00FF00, 0x80FF00, 0xC80020};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(raw_pixel(image.get(), i), expected[i]) << i;
}

TEST(XwdRead, EntriesBeyondTheColormapArePassedOver)
{
    XwdDump d = xwd_dump(2, 1, 8, 8, 2, 3);
    d.colours = {{1, 65535, 0, 0}, {7, 0, 65535, 0}, {0x10000, 1, 1, 1}};
    d.pixels = "\x01\x05";
    XslImagePtr image = read_xwd(d.bytes());
    ASSERT_TRUE(image) << "code " << xslerrno;
    ASSERT_EQ(image->ncolors, 3);
    EXPECT_EQ(image->colormap[1].red, 255);
    EXPECT_EQ(image->colormap[0].red + image->colormap[2].green, 0);
}

TEST(XwdBadInput, EachFaultGivesItsCode)
{
    auto gray = [] {
        XwdDump d = xwd_dump(3, 2, 8, 8, 4, 1);
        d.pixels = std::string(8, '\x10');
        return d;
    };
    struct Change {
        const char* what;
        int field;
        uint32_t value;
        int code;
    };
    const Change changes[] = {
        {"version 6", XwdVersion, 6, XSE_BAD_MAGIC},
        {"header below 100", XwdHeaderSize, 99, XSE_HEADER_READ},
        {"name beyond the file", XwdHeaderSize, 5000, XSE_HEADER_READ},
        {"colours beyond the file", XwdColours, 0x40000000, XSE_CMAP_READ},
        {"lines shorter than a row", XwdBytesPerLine, 2, XSE_DATA_READ},
        {"StaticGray", XwdVisual, 0, XSE_LAYOUT},
        {"StaticColor", XwdVisual, 2, XSE_LAYOUT},
        {"XY-pixmap of depth 8", XwdFormat, 1, XSE_VARIANT},
        {"16-bit PseudoColor", XwdBitsPerPixel, 16, XSE_VARIANT},
        {"rows beyond the file", XwdHeight, 100000, XSE_DATA_READ},
        {"huge width", XwdWidth, 0x7FFFFFFF, XSE_NO_MEMORY},
        {"8-bit TrueColor", XwdVisual, 4, XSE_VARIANT},
        {"bitmap of 8 bits per pixel", XwdDepth, 1, XSE_VARIANT},
        {"bitmap lines of no bytes", XwdBytesPerLine, 0, XSE_DATA_READ},
    };
    for (const Change& c : changes) {
        XwdDump d = gray();
        d.field[c.field] = c.value;
        if (c.field == XwdBytesPerLine && c.value == 0)
            d.field[XwdDepth] = d.field[XwdBitsPerPixel] = 1;
        EXPECT_FALSE(read_xwd(d.bytes())) << c.what;
        EXPECT_EQ(xslerrno, c.code) << c.what;
    }
    xslerrno = 0;
    EXPECT_FALSE(read_xwd(gray().bytes().substr(0, 99)));
    EXPECT_EQ(xslerrno, XSE_HEADER_READ);
    EXPECT_FALSE(read_xwd(gray().bytes().substr(0, 107)));
    EXPECT_EQ(xslerrno, XSE_DATA_READ);
}

namespace {
std::string write_xwd(XSImage* image)
{
    FilePtr f = empty_stream();
    EXPECT_EQ(XWDWriter(f.get(), image), 1) << "code " << xslerrno;
    return contents_of(f.get());
}

void fill(unsigned char* plane, long size, int seed)
{
    for (long i = 0; i < size; ++i)
        plane[i] = static_cast<unsigned char>(i * 29 + seed * 13 + (i >> 2));
}
}  // namespace

TEST(XwdWrite, EveryKindReadsBackWithItsPixels)
{
    std::vector<XslImagePtr> images;
    images.emplace_back(XSLCrNewBit(13, 3));
    images.emplace_back(XSLCrNewZmap2(7, 4, 8));
    images.back()->colormap = static_cast<XSColor*>(calloc(256, sizeof(XSColor)));
    images.back()->ncolors = 256;
    for (int i = 0; i < 256; ++i)
        images.back()->colormap[i] = {uint16_t(i), uint16_t(i), uint16_t(255 - i), uint16_t(i / 2)};
    for (int bytes : {2, 3, 4}) {
        images.emplace_back(XSLCrNewZmap2(5, 3, 8 * bytes));
        images.back()->red_mask = bytes == 2 ? 0xF800 : 0xFF0000;
        images.back()->green_mask = bytes == 2 ? 0x07E0 : 0xFF00;
        images.back()->blue_mask = bytes == 2 ? 0x001F : 0xFF;
    }
    images.emplace_back(XSLCrNewZmap(6, 2, 8));
    for (size_t k = 0; k < images.size(); ++k) {
        XSImage* source = images[k].get();
        SCOPED_TRACE(k);
        fill(source->data, XSLDataSize(source), int(k));
        if (source->planes == 3) {
            fill(source->data_g, XSLDataSize(source), 7);
            fill(source->data_b, XSLDataSize(source), 8);
        }
        const std::vector<unsigned char> before(source->data, source->data + XSLDataSize(source));
        const std::string file = write_xwd(source);
        EXPECT_EQ(std::vector<unsigned char>(source->data, source->data + XSLDataSize(source)), before);
        // Resolution 0 is written as 100: a 20-byte window name.
        EXPECT_EQ(file.substr(100, 20), "XSImgLib:X:100:Y:100");
        EXPECT_EQ(file.substr(0, 4), std::string("\0\0\0\x78", 4));
        XslImagePtr back = read_magic(file);
        ASSERT_TRUE(back) << "code " << xslerrno;
        EXPECT_EQ(back->format, XSF_XWD);
        EXPECT_EQ(back->type, source->type);
        for (int y = 0; y < source->height; ++y)
            for (int x = 0; x < source->width; ++x) {
                unsigned char want[3], got[3];
                XSLGetPixel2(source, x, y, want);
                XSLGetPixel2(back.get(), x, y, got);
                ASSERT_EQ(std::memcmp(want, got, 3), 0) << x << "," << y;
            }
    }
}

TEST(XwdWrite, PixelsWithoutAKindAreRefused)
{
    XslImagePtr plain(XSLCrNewZmap2(2, 2, 8));
    FilePtr f = empty_stream();
    xslerrno = 0;
    EXPECT_EQ(XWDWriter(f.get(), plain.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(contents_of(f.get()), "");
}

namespace {
std::vector<std::string> xwd_samples()
{
    XwdDump bitmap = xwd_dump(21, 3, 1, 1, 4, 0);
    bitmap.field[XwdUnit] = 16;
    bitmap.field[XwdByteOrder] = 0;
    bitmap.field[XwdBitOrder] = 0;
    bitmap.colours = {{0, 0, 0, 0}};
    bitmap.pixels = xwd_bitmap_lines(21, 3, 16, 0, 0, 4, black);
    XwdDump nibbles = xwd_dump(7, 2, 4, 4, 4, 3);
    nibbles.colours = palette(16);
    nibbles.pixels = xwd_sample_lines(7, 2, 4, 1, 4, [](int x, int y) { return uint32_t(x + y) & 15; });
    XwdDump direct = xwd_dump(3, 2, 16, 16, 6, 4);
    direct.field[XwdRedMask] = 0xF800;
    direct.field[XwdGreenMask] = 0x07E0;
    direct.field[XwdBlueMask] = 0x001F;
    direct.field[XwdByteOrder] = 0;
    direct.colours = {{0, 65535, 0, 0}, {1, 0, 0, 65535}};
    direct.pixels = xwd_sample_lines(3, 2, 16, 0, 6, [](int x, int y) { return uint32_t(x * 0x821 + y); });
    XwdDump rgb = xwd_dump(2, 2, 24, 32, 8, 5);
    rgb.name = "picture";
    rgb.field[XwdRedMask] = 0xFF0000;
    rgb.field[XwdGreenMask] = 0xFF00;
    rgb.field[XwdBlueMask] = 0xFF;
    rgb.pixels = xwd_sample_lines(2, 2, 32, 1, 8, [](int x, int y) { return uint32_t(x * 0x123456 + y * 77); });
    return {bitmap.bytes(), nibbles.bytes(), direct.bytes(), rgb.bytes()};
}

std::string xwd_of_size(long width, long height)
{
    XwdDump d = xwd_dump(uint32_t(width), uint32_t(height), 8, 8, uint32_t(width), 1);
    d.pixels = std::string(64, '\x80');
    return d.bytes();
}
}  // namespace

XS_CONFORMANCE(Xwd, {.reader = XwdReader, .writer = XWDWriter, .samples = xwd_samples, .sized = xwd_of_size});
