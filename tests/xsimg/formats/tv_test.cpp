// The TV11 and TV10 window dumps of the native family. What TV11 shares with
// the XWD reader is checked in xwd_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../conformance/conformance.h"
#include "../memfile.h"
#include "native_read.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsiotv.h"
#include "xwd_maker.h"

namespace {
XslImagePtr read_with(XSReader reader, const std::string& bytes)
{
    FilePtr f = stream_of(bytes);
    xslerrno = 0;
    return XslImagePtr(reader(f.get()));
}

bool black(int x, int y)
{
    return (x + 2 * y) % 5 < 2;
}

XslImagePtr bitmap_of(int width, int height)
{
    XslImagePtr image(XSLCrNewBit(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (black(x, y))
                image->data[y * XSLBytesPerLine(image.get()) + x / 8] |= uint8_t(0x80 >> (x % 8));
    return image;
}

std::string written(XSWriter writer, XSImage* image)
{
    FilePtr f = empty_stream();
    EXPECT_EQ(writer(f.get(), image), 1) << "code " << xslerrno;
    return contents_of(f.get());
}

std::vector<unsigned char> plane_of(const XSImage* image)
{
    return std::vector<unsigned char>(image->data, image->data + XSLDataSize(image));
}

// A one-bit dump in 16-bit units; the XWD reader refuses it when it does not
// say 1 bit per pixel.
XwdDump tv11_bitmap(int width, int height, uint32_t bits_per_pixel)
{
    const int line = (width + 15) / 16 * 2;
    XwdDump d = xwd_dump(width, height, 1, bits_per_pixel, line, 0);
    d.field[XwdFormat] = 0;
    d.field[XwdUnit] = d.field[XwdPad] = 16;
    d.pixels = xwd_bitmap_lines(width, height, 16, 1, 1, line, black);
    return d;
}

std::string tv10_file(int row_bytes, int height, const std::string& data)
{
    std::string out;
    put_be(out, uint32_t(row_bytes), 2);
    put_be(out, uint32_t(height), 2);
    put_be(out, 1, 2);
    return out + data;
}
}  // namespace

TEST(Tv11Read, ResolutionComesFromALoneWindowWidth)
{
    struct Case {
        uint32_t width, height, x, y;
        int resolution;
    };
    const Case cases[] = {{300, 0, 0, 0, 300}, {300, 5, 0, 0, 100}, {300, 0, 1, 0, 100},
                          {300, 0, 0, 2, 100}, {0, 0, 0, 0, 100},   {70000, 0, 0, 0, 100}};
    for (const Case& c : cases) {
        XwdDump d = tv11_bitmap(20, 2, 1);
        d.field[XwdWinWidth] = c.width;
        d.field[XwdWinHeight] = c.height;
        d.field[XwdWinX] = c.x;
        d.field[XwdWinY] = c.y;
        XslImagePtr image = read_with(XSLRead, d.bytes());
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(image->resolution, c.resolution) << c.width << " " << c.height;
        FilePtr f = stream_of(d.bytes());
        XSInfo info = {};
        ASSERT_EQ(XSLCheckUp(f.get(), &info), 1);
        EXPECT_EQ(info.width, 20);
        EXPECT_EQ(info.height, 2);
        EXPECT_EQ(info.resolution, c.resolution);
    }
}

TEST(Tv11Read, DumpsTheXwdReaderRefusesReachItThroughTheFallback)
{
    for (uint32_t bits : {0u, 1u}) {
        XslImagePtr image = read_with(XSReadMagic, tv11_bitmap(21, 3, bits).bytes());
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(image->format, bits == 1 ? XSF_XWD : XSF_NATIVE);
        XslImagePtr expected = bitmap_of(21, 3);
        EXPECT_EQ(plane_of(image.get()), plane_of(expected.get()));
    }
    // Unit 8: one unpadded block, whatever bytes per line says; XWD honours
    // the field and finds the data short.
    XwdDump block = tv11_bitmap(21, 3, 1);
    block.field[XwdUnit] = block.field[XwdPad] = 8;
    block.field[XwdBytesPerLine] = 8;
    block.pixels = xwd_bitmap_lines(21, 3, 8, 1, 1, 3, black);
    XslImagePtr whole = read_with(XSReadMagic, block.bytes());
    ASSERT_TRUE(whole) << "code " << xslerrno;
    EXPECT_EQ(whole->format, XSF_NATIVE);
    EXPECT_EQ(plane_of(whole.get()), plane_of(bitmap_of(21, 3).get()));
    // An unknown unit: TV11 refuses it, XWD takes the bytes as they come.
    XwdDump odd_unit = tv11_bitmap(21, 3, 1);
    odd_unit.field[XwdUnit] = 12;
    EXPECT_FALSE(read_with(read_as_member<TV11Reader>, odd_unit.bytes()));
    EXPECT_EQ(xslerrno, XSE_VARIANT);
    XslImagePtr image = read_with(XSReadMagic, odd_unit.bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format, XSF_XWD);
}

TEST(Tv11Write, BitmapsAndColormapImagesReadBack)
{
    XslImagePtr bitmap = bitmap_of(21, 3);
    bitmap->resolution = 300;
    const std::string bits = written(TV11Writer, bitmap.get());
    ASSERT_EQ(bits.size(), 100u + 3 * 4);  // lines of two 16-bit units
    XslImagePtr back = read_with(XSLRead, bits);
    ASSERT_TRUE(back) << "code " << xslerrno;
    EXPECT_EQ(back->resolution, 300);
    EXPECT_EQ(plane_of(back.get()), plane_of(bitmap.get()));

    XslImagePtr mapped(XSLCrNewZmap2(5, 2, 8));
    mapped->colormap = static_cast<XSColor*>(calloc(3, sizeof(XSColor)));
    mapped->ncolors = 3;
    for (int i = 0; i < 3; ++i)
        mapped->colormap[i] = {uint16_t(i), uint16_t(i * 100), uint16_t(50), uint16_t(255 - i)};
    for (int i = 0; i < 10; ++i)
        mapped->data[i] = uint8_t(i % 3);
    back = read_with(XSLRead, written(TV11Writer, mapped.get()));
    ASSERT_TRUE(back) << "code " << xslerrno;
    EXPECT_EQ(back->resolution, 100);
    EXPECT_EQ(plane_of(back.get()), plane_of(mapped.get()));
    ASSERT_EQ(back->ncolors, 3);
    EXPECT_EQ(std::memcmp(back->colormap, mapped->colormap, 3 * sizeof(XSColor)), 0);

    XslImagePtr planes(XSLCrNewZmap(2, 2, 8));
    FilePtr f = empty_stream();
    EXPECT_EQ(TV11Writer(f.get(), planes.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

TEST(Tv10Read, UnitsHoldTheirLeftmostPixelInTheLowBit)
{
    // 2 bytes per row, 2 rows: the first stored byte is file byte 7 reversed.
    XslImagePtr image = read_with(XSReadMagic, tv10_file(2, 2, "\x01\x02\x03\x04"));
    ASSERT_TRUE(image) << "code " << xslerrno;
    EXPECT_EQ(image->format, XSF_NATIVE);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(image->resolution, 100);
    EXPECT_EQ(plane_of(image.get()), (std::vector<unsigned char>{0x40, 0x80, 0x20, 0xC0}));

    // Fewer than two data bytes: only the first comes from the header words.
    FilePtr f = stream_of("");
    image.reset(TV10Reader(f.get(), 0x00010001, 0x00000300));
    ASSERT_TRUE(image);
    EXPECT_EQ(plane_of(image.get()), (std::vector<unsigned char>{0xC0}));

    // 250 bytes per row would be 2000 pixels: not a TV10 picture.
    for (int row : {249, 250}) {
        f = stream_of(tv10_file(row, 1, std::string(size_t(row), '\0')));
        XSInfo info = {};
        EXPECT_EQ(XSLCheckUp(f.get(), &info), row == 249) << row;
        if (row == 249) {
            EXPECT_EQ(info.width, 1992);
        }
    }
}

TEST(Tv10Write, RoundTripsLeaveTheImageAlone)
{
    for (int width : {8, 13, 16, 24, 40})
        for (int height : {2, 3}) {
            XslImagePtr image = bitmap_of(width, height);
            const std::vector<unsigned char> before = plane_of(image.get());
            const std::string file = written(TV10Writer, image.get());
            EXPECT_EQ(plane_of(image.get()), before);
            const long row = (width + 7) / 8;
            ASSERT_EQ(long(file.size()), 6 + row * height);
            FilePtr f = stream_of(file);
            uint32_t word0, word1;
            ASSERT_TRUE(XslRead32BE(f.get(), &word0) && XslRead32BE(f.get(), &word1));
            XslImagePtr back(TV10Reader(f.get(), word0, word1));
            ASSERT_TRUE(back) << width << "x" << height;
            ASSERT_EQ(back->width, row * 8);
            EXPECT_EQ(plane_of(back.get()), before) << width << "x" << height;
        }
    XslImagePtr gray(XSLCrNewZmap2(2, 2, 8));
    FilePtr f = empty_stream();
    EXPECT_EQ(TV10Writer(f.get(), gray.get()), 0);
    EXPECT_EQ(xslerrno, XSE_BITMAP_ONLY);
}

TEST(Tv10Read, TextEmptyAndRandomFilesEndUnknownOrAsTrueTv10)
{
    std::vector<std::string> files = {"", "x", "Hello, world\n", "#!/bin/sh\necho hi\n", std::string(7, '\0'),
                                      std::string(64, '\0'), tv10_file(1, 2, "ab")};
    std::mt19937 random(1207);
    for (int i = 0; i < 3000; ++i) {
        std::string bytes(random() % 48, '\0');
        for (char& c : bytes)
            c = char(random());
        if (i % 2 && bytes.size() > 2)
            bytes[0] = 0, bytes[2] = char(random() % 8);  // sizes TV10 accepts
        files.push_back(bytes);
    }
    int pictures = 0;
    for (const std::string& file : files) {
        XslImagePtr image = read_with(XSReadMagic, file);
        if (!image) {
            ASSERT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
            continue;
        }
        // Only a file whose header words fit TV10 and whose data is all there.
        ++pictures;
        ASSERT_GE(file.size(), 8u);
        const int row = uint8_t(file[0]) << 8 | uint8_t(file[1]);
        const int height = uint8_t(file[2]) << 8 | uint8_t(file[3]);
        EXPECT_EQ(image->format, XSF_NATIVE);
        EXPECT_EQ(image->width, row * 8);
        EXPECT_EQ(image->height, height);
        EXPECT_GE(long(file.size()), 6 + std::max(long(row) * height, 2L));
    }
    EXPECT_GT(pictures, 0);
}

namespace {
std::vector<std::string> tv11_samples()
{
    XwdDump bits = tv11_bitmap(21, 3, 1);
    bits.field[XwdWinWidth] = 240;
    XwdDump wide = tv11_bitmap(37, 2, 1);
    wide.field[XwdUnit] = wide.field[XwdPad] = 32;
    wide.field[XwdByteOrder] = 0;
    wide.field[XwdBytesPerLine] = 8;
    wide.pixels = xwd_bitmap_lines(37, 2, 32, 0, 1, 8, black);
    XwdDump gray = xwd_dump(4, 2, 8, 8, 4, 3);
    gray.colours = {{0, 0, 0, 0}, {1, 0x8080, 0x8080, 0x8080}, {2, 65535, 65535, 65535}};
    gray.pixels = std::string("\0\1\2\1\2\1\0\0", 8);
    return {bits.bytes(), wide.bytes(), gray.bytes()};
}

std::string tv11_of_size(long width, long height)
{
    XwdDump d = tv11_bitmap(1, 1, 1);
    d.field[XwdWidth] = uint32_t(width);
    d.field[XwdHeight] = uint32_t(height);
    d.field[XwdBytesPerLine] = uint32_t((width + 15) / 16 * 2);
    d.pixels = std::string(64, '\x55');
    return d.bytes();
}

std::vector<std::string> tv10_samples()
{
    return {tv10_file(2, 2, "\x01\x80\x0f\xf0"), tv10_file(3, 3, "abcdefghi"), tv10_file(1, 2, "\xff\x01")};
}

std::string tv10_of_size(long width, long height)
{
    return tv10_file(int(std::min(width / 8, 0xFFFFL)), int(std::min(height, 0xFFFFL)), std::string(64, 'x'));
}
}  // namespace

XS_CONFORMANCE(Tv11, {.reader = read_as_member<TV11Reader>, .writer = TV11Writer, .samples = tv11_samples,
                      .sized = tv11_of_size});
XS_CONFORMANCE(Tv10, {.reader = read_as_member<TV10Reader>, .writer = TV10Writer, .samples = tv10_samples,
                      .sized = tv10_of_size});
