// Pixel rows of Z-pixmap dumps: gray and pseudo colour of 1 to 8 bits, true and
// direct colour of 16, 24 and 32 bits.
#include "xsioxwd.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "xsdirect.h"
#include "xsreadkit.h"

namespace {
enum { kGrayScale = 1, kPseudoColor = 3, kTrueColor = 4, kDirectColor = 5 };

// Sub-byte pixels, 8 / bits to a byte (spare low bits unused). The first pixel
// sits in the most significant bits, or in the least significant ones when the
// dump was made least significant byte first.
void unpack_line(const unsigned char* line, unsigned char* row, long width, int bits, bool lsb_first)
{
    if (!lsb_first) {
        XslUnpackBits(line, row, width, bits);
        return;
    }
    const int per_byte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (long x = 0; x < width; ++x)
        row[x] = static_cast<unsigned char>((line[x / per_byte] >> (int(x % per_byte) * bits)) & mask);
}

// Stored bytes a row of `width` pixels needs.
long row_bytes(long width, int bits)
{
    if (bits >= 8)
        return width * (bits / 8);
    const int per_byte = 8 / bits;
    return (width + per_byte - 1) / per_byte;
}

// Reads the rows into the image's plane: whole bytes straight, sub-byte pixels
// unpacked one line at a time; then multi-byte pixels into the library's order.
bool read_rows(FILE* stream, const XslXwdHeader& h, XSImage* image, int bits)
{
    const long width = image->width;
    const long needed = row_bytes(width, bits);
    if (h.bytes_per_line > uint32_t(LONG_MAX) || long(h.bytes_per_line) < needed) {
        xslerrno = XSE_DATA_READ;
        return false;
    }
    const long line_bytes = long(h.bytes_per_line);
    if (bits >= 8) {
        if (!XslReadChannel(stream, image->data, line_bytes, needed, image->height))
            return false;
        image->bits_per_sample = static_cast<uint16_t>(h.bits_per_rgb);
    } else {
        XslBuffer<unsigned char> line = XslAllocBuffer<unsigned char>(line_bytes);
        if (!line)
            return false;
        for (long y = 0; y < image->height; ++y) {
            if (!XslReadChannel(stream, line.get(), line_bytes, line_bytes, 1))
                return false;
            unpack_line(line.get(), image->data + y * width, width, bits, h.byte_order == 0);
        }
        image->bits_per_sample = 8;
    }
    const bool file_msb_first = h.byte_order != 0;
    const long size = XSLDataSize(image);
    if (bits == 16 && file_msb_first == (bswap_test() == 1))
        bswap_short(image->data, size);
    else if (bits == 32 && file_msb_first == (bswap_test() == 1))
        bswap_long(image->data, size);
    else if (bits == 24 && !file_msb_first)
        for (long i = 0; i + 3 <= size; i += 3)
            std::swap(image->data[i], image->data[i + 2]);
    return true;
}

}  // namespace

// One entry per colour entry, placed by its pixel value; entries naming a
// pixel beyond the colormap are passed over.
bool XslAttachXwdColors(XSImage* image, const XslXwdColor* colours, long count)
{
    const int n = int(std::min(count, 256L));
    XslBuffer<XSColor> map = XslAllocBuffer<XSColor>(n);
    if (!map)
        return false;
    for (int i = 0; i < n; ++i)
        map[i].index = static_cast<uint16_t>(i);
    for (long i = 0; i < count; ++i) {
        const XslXwdColor& c = colours[i];
        if (c.pixel < uint32_t(n))
            map[c.pixel] = {uint16_t(c.pixel), uint16_t(c.red / 257), uint16_t(c.green / 257),
                            uint16_t(c.blue / 257)};
    }
    image->colormap = map.release();
    image->ncolors = static_cast<uint16_t>(n);
    return true;
}

namespace {
// 2^bits gray levels, rounded to the nearest.
bool attach_gray_ramp(XSImage* image, int bits)
{
    const int levels = 1 << bits;
    XslBuffer<XSColor> map = XslAllocBuffer<XSColor>(levels);
    if (!map)
        return false;
    for (int i = 0; i < levels; ++i) {
        const auto g = static_cast<uint16_t>(std::trunc(i * 255.0 / (levels - 1) + 0.5));
        map[i] = {uint16_t(i), g, g, g};
    }
    image->colormap = map.release();
    image->ncolors = static_cast<uint16_t>(levels);
    return true;
}

XslImagePtr read_colormap(FILE* stream, const XslXwdHeader& h, const XslXwdColor* colours, long count)
{
    const int bits = int(h.bits_per_pixel);
    XslImagePtr image = XslNewColormapImage(int(h.pixmap_width), int(h.pixmap_height));
    if (!image || !read_rows(stream, h, image.get(), bits))
        return nullptr;
    const bool ok = count > 0 ? XslAttachXwdColors(image.get(), colours, count) : attach_gray_ramp(image.get(), bits);
    return ok ? std::move(image) : nullptr;
}

XslImagePtr read_direct(FILE* stream, const XslXwdHeader& h, const XslXwdColor* colours, long count)
{
    const int bits = int(h.bits_per_pixel);
    XslImagePtr image = XslNewDirectImage(int(h.pixmap_width), int(h.pixmap_height), bits / 8, h.red_mask,
                                          h.green_mask, h.blue_mask);
    if (!image || !read_rows(stream, h, image.get(), bits))
        return nullptr;
    // Mask bits beyond the pixel's bytes select nothing it holds; kept, they
    // would pick up the filler byte of a 24-bit pixel written as 32.
    const int held_bits = 8 * image->bytes_per_pixel;
    const uint32_t held = held_bits >= 32 ? 0xFFFFFFFFu : (1u << held_bits) - 1;
    image->red_mask &= held;
    image->green_mask &= held;
    image->blue_mask &= held;
    if (count > 0 && !ModifyDirectMapToColor(image.get(), colours, count))
        return nullptr;
    return image;
}

// The sizes a visual's pixels come in.
bool supported_bits(uint32_t visual, uint32_t bits)
{
    if (visual == kGrayScale || visual == kPseudoColor)
        return bits >= 1 && bits <= 8;
    return bits == 16 || bits == 24 || bits == 32;
}
}  // namespace

XSImage* XWDReadColor(FILE* stream, const XslXwdHeader* header, const XslXwdColor* colours, long count)
{
    const XslXwdHeader& h = *header;
    if (h.pixmap_format != 2) {
        xslerrno = XSE_VARIANT;
        return nullptr;
    }
    const uint32_t visual = h.visual_class;
    if (visual != kGrayScale && visual != kPseudoColor && visual != kTrueColor && visual != kDirectColor) {
        xslerrno = XSE_LAYOUT;
        return nullptr;
    }
    if (!supported_bits(visual, h.bits_per_pixel)) {
        xslerrno = XSE_VARIANT;
        return nullptr;
    }
    if (h.pixmap_width > uint32_t(INT_MAX) || h.pixmap_height > uint32_t(INT_MAX) ||
        !XSLSizeOK(long(h.pixmap_width), long(h.pixmap_height), 4)) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    // Nothing is allocated for rows the file does not hold.
    if (h.bytes_per_line > uint32_t(LONG_MAX) || !XslDataPresent(stream, long(h.bytes_per_line), h.pixmap_height))
        return nullptr;
    if (visual == kGrayScale || visual == kPseudoColor)
        return read_colormap(stream, h, colours, count).release();
    return read_direct(stream, h, colours, count).release();
}

namespace {
// An entry's three channels, each scaled to its field and put in place.
struct EntryValue {
    uint32_t pixel;
    uint32_t value;
};

template <class Pixel>
void remap_pixels(XSImage* image, const XslChannel channel[3], const uint32_t masks[3],
                  const std::vector<uint32_t> tables[3], const std::vector<EntryValue>& by_pixel)
{
    unsigned char* p = image->data;
    const long count = long(image->width) * image->height;
    for (long i = 0; i < count; ++i, p += Pixel::size) {
        const uint32_t pixel = Pixel::fetch(p);
        auto hit = std::lower_bound(by_pixel.begin(), by_pixel.end(), pixel,
                                    [](const EntryValue& e, uint32_t v) { return e.pixel < v; });
        uint32_t value = 0;
        if (hit != by_pixel.end() && hit->pixel == pixel) {
            value = hit->value;
        } else {
            // A field value without an entry keeps its own value.
            for (int c = 0; c < 3; ++c) {
                const uint32_t field = (pixel & masks[c]) >> channel[c].shift;
                value |= field < tables[c].size() ? tables[c][field] : (pixel & masks[c]);
            }
        }
        Pixel::store(p, value);
    }
}
}  // namespace

int ModifyDirectMapToColor(XSImage* image, const XslXwdColor* colours, long count)
{
    const uint32_t masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    XslChannel channel[3];
    for (int c = 0; c < 3; ++c)
        channel[c] = XslChannelOf(masks[c]);

    const long used = std::min(count, 256L);
    std::vector<uint32_t> tables[3];
    std::vector<EntryValue> by_pixel;
    bool all_gray = true;
    for (long i = 0; i < used; ++i) {
        const XslXwdColor& e = colours[i];
        all_gray = all_gray && e.red == e.green && e.green == e.blue;
        const uint16_t v[3] = {e.red, e.green, e.blue};
        uint32_t value = 0;
        for (int c = 0; c < 3; ++c) {
            const auto scaled = static_cast<uint32_t>(uint64_t(v[c]) * channel[c].max / 65535);
            tables[c].push_back(scaled << channel[c].shift);
            value |= tables[c].back();
        }
        by_pixel.push_back({e.pixel, value});
    }
    // The first entry of a pixel value is the one that counts.
    std::stable_sort(by_pixel.begin(), by_pixel.end(),
                     [](const EntryValue& a, const EntryValue& b) { return a.pixel < b.pixel; });
    by_pixel.erase(std::unique(by_pixel.begin(), by_pixel.end(),
                               [](const EntryValue& a, const EntryValue& b) { return a.pixel == b.pixel; }),
                   by_pixel.end());

    bool ok = true;
    if (!all_gray)
        ok = XslWithDirectPixel(image->bytes_per_pixel, [&](auto pixel) {
            remap_pixels<decltype(pixel)>(image, channel, masks, tables, by_pixel);
        });
    if (!ok) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    free(image->colormap);
    image->colormap = nullptr;
    image->ncolors = 0;
    return 1;
}
