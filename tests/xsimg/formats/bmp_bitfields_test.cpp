// BMP pictures of 16 and 32 bits: default fields, masks after the info header
// or inside the longer ones, alpha over white, and masks that are refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "../conformance/conformance.h"
#include "bmp_maker.h"
#include "pixel_rows.h"
#include "xsiobmp.h"
#include "xsregistry.h"

namespace {

// Pixel values as stored (16 or 32 bits, least significant byte first), rows
// given top row first; the masks after a 40-byte info header or inside a
// longer one.
std::string bitfield_bmp(int bits, int compression, uint32_t info_size, const std::vector<uint32_t>& masks,
                         const Rows& rows, bool top_down = false)
{
    std::string data;
    for (size_t k = 0; k < rows.size(); ++k) {
        std::string line;
        for (uint32_t v : rows[top_down ? k : rows.size() - 1 - k])
            bmpPut(line, v, bits / 8);
        line.resize((line.size() + 3) / 4 * 4, '\0');
        data += line;
    }
    const int height = top_down ? -int(rows.size()) : int(rows.size());
    std::string file = makeBmp({.width = int(rows[0].size()), .height = height, .bits = bits,
                                .compression = compression, .data = data, .info_size = info_size});
    std::string fields;
    for (uint32_t m : masks)
        bmpPut(fields, m, 4);
    if (info_size > 40)
        return patched(file, 54, fields.substr(0, info_size - 40));
    std::string offset, size;
    bmpPut(offset, uint32_t(54 + fields.size()), 4);
    bmpPut(size, uint32_t(file.size() + fields.size()), 4);
    return patched(patched(file.insert(54, fields), 10, offset), 2, size);
}

// The 8-bit colour of each pixel: field value x 255 / field maximum, put
// over white when alpha is given.
std::vector<Rgb> expected(const Rows& rows, const std::vector<uint32_t>& masks, bool alpha)
{
    std::vector<Rgb> colours;
    auto field = [](uint32_t v, uint32_t mask) {
        const int shift = __builtin_ctz(mask);
        return int(uint64_t((v & mask) >> shift) * 255 / (mask >> shift));
    };
    for (const auto& row : rows)
        for (uint32_t v : row) {
            const int a = alpha ? field(v, masks[3]) : 255;
            colours.push_back({(field(v, masks[0]) * a + 255 * (255 - a) + 127) / 255,
                               (field(v, masks[1]) * a + 255 * (255 - a) + 127) / 255,
                               (field(v, masks[2]) * a + 255 * (255 - a) + 127) / 255});
        }
    return colours;
}

const std::vector<uint32_t> k555 = {0x7C00, 0x03E0, 0x001F};
const std::vector<uint32_t> k565 = {0xF800, 0x07E0, 0x001F};
const std::vector<uint32_t> k888 = {0xFF0000, 0x00FF00, 0x0000FF};
const std::vector<uint32_t> kBgra = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
const std::vector<uint32_t> kArgb = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

}  // namespace

TEST(BmpBitfields, FieldsFromTheHeaderOrTheDefaults)
{
    const Rows p16 = pattern(5, 3, 16);
    const Rows clear = pattern(6, 2, 24);
    Rows p32 = clear;  // the fourth byte from transparent to opaque
    for (size_t y = 0; y < p32.size(); ++y)
        for (size_t x = 0; x < p32[y].size(); ++x)
            p32[y][x] |= uint32_t(std::min<size_t>(255, x * 60 + y * 40)) << 24;
    const struct {
        const char* name;
        std::string file;
        std::vector<Rgb> colours;
    } cases[] = {
        {"16 bits, default 5-5-5", bitfield_bmp(16, 0, 40, {}, p16), expected(p16, k555, false)},
        {"16 bits, 5-6-5 after the header", bitfield_bmp(16, 3, 40, k565, p16), expected(p16, k565, false)},
        {"16 bits, 5-5-5 in a V4 header, top down", bitfield_bmp(16, 3, 108, {k555[0], k555[1], k555[2], 0}, p16, true),
         expected(p16, k555, false)},
        {"32 bits, default 8-8-8, fourth byte unused", bitfield_bmp(32, 0, 124, kArgb, p32), expected(p32, k888, false)},
        {"32 bits, blue-green-red masks in a V2 header", bitfield_bmp(32, 3, 52, kBgra, p32),
         expected(p32, kBgra, false)},
        {"32 bits, alpha over white", bitfield_bmp(32, 3, 124, kArgb, p32), expected(p32, kArgb, true)},
        {"32 bits, alpha mask but no alpha", bitfield_bmp(32, 3, 56, kArgb, clear), expected(clear, k888, false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        XslImagePtr image = read_with(XSReadMagic, c.file);
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(image->format, XSF_BMP);
        EXPECT_EQ(XslKindOf(image.get()), XSK_DIRECT);
        EXPECT_EQ(image->bytes_per_pixel, 3);
        EXPECT_EQ(image->resolution, 100);
        EXPECT_EQ(colours_of(image.get()), c.colours);
    }
}

TEST(BmpBitfields, RefusedMasksAndCompressions)
{
    const Rows p = pattern(3, 2, 16);
    const std::string good = bitfield_bmp(16, 3, 40, k565, p);
    const struct {
        const char* name;
        std::string file;
        int code;
    } cases[] = {
        {"an empty mask", bitfield_bmp(16, 3, 40, {0xF800, 0, 0x001F}, p), XSE_VARIANT},
        {"overlapping masks", bitfield_bmp(16, 3, 40, {0xF800, 0x0FE0, 0x001F}, p), XSE_VARIANT},
        {"a mask in two pieces", bitfield_bmp(16, 3, 40, {0xF801, 0x07E0, 0x001E}, p), XSE_VARIANT},
        {"a mask wider than the pixel", bitfield_bmp(16, 3, 40, {0x1F800, 0x07E0, 0x001F}, p), XSE_VARIANT},
        {"alpha overlapping red", bitfield_bmp(32, 3, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF800000}, p), XSE_VARIANT},
        {"masks on 24 bits", patched(good, 28, bytes("\x18\0")), XSE_VARIANT},
        {"run-length compression on 16 bits", patched(good, 30, bytes("\x01\0\0\0")), XSE_VARIANT},
        {"masks cut short", good.substr(0, 60), XSE_HEADER_READ},
        {"rows missing", good.substr(0, good.size() - 1), XSE_DATA_READ},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_with(XSReadBMP, c.file)) << c.name;
        EXPECT_EQ(xslerrno, c.code) << c.name;
    }
}

namespace {
std::vector<std::string> bitfield_samples()
{
    return {bitfield_bmp(16, 3, 40, k565, pattern(5, 3, 16)), bitfield_bmp(16, 0, 40, {}, pattern(3, 2, 15), true),
            bitfield_bmp(32, 3, 124, kArgb, pattern(4, 3, 32)), bitfield_bmp(32, 0, 40, {}, pattern(3, 3, 32))};
}

std::string bitfield_of_size(long width, long height)
{
    std::string size;
    bmpPut(size, uint32_t(width), 4);
    bmpPut(size, uint32_t(height), 4);
    return patched(bitfield_bmp(32, 3, 40, k888, pattern(2, 2, 32)), 18, size);
}
}  // namespace

XS_CONFORMANCE(BmpBitfields, {.reader = XSReadBMP, .writer = XSWriteBMP, .samples = bitfield_samples,
                              .sized = bitfield_of_size});
