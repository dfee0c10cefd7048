// Reading device-independent bitmap files.
#include "xsiobmp.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "xsio.h"
#include "xsiobmp_bitfields.h"
#include "xsreadkit.h"
#include "xstwocolor.h"

namespace {
enum { BMP_RGB = 0, BMP_RLE8 = 1, BMP_RLE4 = 2 };
constexpr long kFileHeader = 14;
constexpr long kInfoHeader = 40;
constexpr long kCoreHeader = 12;  // the older form: 16-bit sizes, 3-byte palette entries

struct BmpHeader {
    uint32_t data_offset;
    uint32_t info_size;
    int32_t width;
    int32_t height;  // number of rows, positive
    bool top_down;   // a negative height in the file: rows stored top row first
    uint32_t planes;
    uint32_t bits;
    uint32_t compression;
    int32_t x_pels_per_metre;
    uint32_t colours_used;
    bool core;  // the 12-byte header
};

bool fail(int code)
{
    xslerrno = code;
    return false;
}

bool supported(uint32_t bits, uint32_t compression)
{
    switch (bits) {
    case 1:
    case 24: return compression == BMP_RGB;
    case 4: return compression == BMP_RGB || compression == BMP_RLE4;
    case 8: return compression == BMP_RGB || compression == BMP_RLE8;
    default: return XslBmpIsBitfields(bits, compression);
    }
}

bool read_header(FILE* stream, BmpHeader& h)
{
    unsigned char b[kFileHeader + kInfoHeader];
    if (!XSReadData(b, 1, kFileHeader + 4, stream))
        return fail(XSE_HEADER_READ);
    if (b[0] != 'B' || b[1] != 'M')
        return fail(XSE_BAD_MAGIC);
    h.data_offset = XslGet32LE(b + 10);
    h.info_size = XslGet32LE(b + 14);
    h.core = h.info_size == kCoreHeader;
    if (h.info_size < kInfoHeader && !h.core)
        return fail(XSE_VARIANT);
    const long rest = (h.core ? kCoreHeader : kInfoHeader) - 4;
    if (!XSReadData(b + kFileHeader + 4, 1, size_t(rest), stream))
        return fail(XSE_HEADER_READ);
    int32_t height;
    if (h.core) {
        // Unsigned 16-bit sizes, rows always bottom row first, no compression.
        h.width = XslGet16LE(b + 18);
        height = XslGet16LE(b + 20);
        h.planes = XslGet16LE(b + 22);
        h.bits = XslGet16LE(b + 24);
        h.compression = BMP_RGB;
        h.x_pels_per_metre = 0;
        h.colours_used = 0;
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24)
            return fail(XSE_VARIANT);
    } else {
        h.width = static_cast<int32_t>(XslGet32LE(b + 18));
        height = static_cast<int32_t>(XslGet32LE(b + 22));
        h.planes = XslGet16LE(b + 26);
        h.bits = XslGet16LE(b + 28);
        h.compression = XslGet32LE(b + 30);
        h.x_pels_per_metre = static_cast<int32_t>(XslGet32LE(b + 38));
        h.colours_used = XslGet32LE(b + 46);
    }
    if (h.planes != 1 || !supported(h.bits, h.compression))
        return fail(XSE_VARIANT);
    if (h.width < 1 || height == 0 || height == INT32_MIN)
        return fail(XSE_BAD_MAGIC);
    h.top_down = height < 0;
    h.height = h.top_down ? -height : height;
    return true;
}

uint16_t resolution_of(int32_t pels_per_metre)
{
    if (pels_per_metre <= 0)
        return 72;
    return static_cast<uint16_t>(std::min<int32_t>(pels_per_metre / 39, UINT16_MAX));
}

// Plane row of the r-th row stored in the file.
long plane_row(const BmpHeader& h, long r)
{
    return h.top_down ? r : h.height - 1 - r;
}

// Uncompressed rows are padded to 4 bytes; all of them must be in the file
// before the picture is made.
bool rows_present(FILE* stream, const BmpHeader& h)
{
    if (h.compression != BMP_RGB)
        return true;
    const long file_row = XslRowBytes(h.width, h.bits, 4);
    if (file_row < 0 || !XslDataPresent(stream, file_row, h.height))
        return fail(XSE_DATA_READ);
    return true;
}

bool read_rows(FILE* stream, const BmpHeader& h, XSImage* image)
{
    const long file_row = XslRowBytes(h.width, h.bits, 4);
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(file_row);
    if (!row)
        return false;
    const long line = XSLBytesPerLine(image);
    for (long r = 0; r < h.height; ++r) {
        if (!XSReadData(row.get(), 1, static_cast<size_t>(file_row), stream))
            return fail(XSE_DATA_READ);
        unsigned char* out = image->data + plane_row(h, r) * line;
        if (h.bits == 4 || (h.bits == 1 && image->type != 0))
            XslUnpackBits(row.get(), out, h.width, int(h.bits));
        else
            memcpy(out, row.get(), static_cast<size_t>(line));
    }
    return true;
}

// Where the run-length decoder puts the next pixel: column x of the row-th
// row in file order. Pixels outside the picture are dropped.
struct RleCursor {
    const BmpHeader& h;
    unsigned char* plane;
    long x = 0;
    long row = 0;

    void put(int value)
    {
        if (x >= h.width)
            return;
        if (row < h.height)
            plane[plane_row(h, row) * h.width + x] = static_cast<unsigned char>(value);
        ++x;
    }
    void next_line()
    {
        x = 0;
        row = std::min<long>(row + 1, h.height);
    }
    void move(int dx, int dy)
    {
        x = std::min<long>(x + dx, h.width);
        row = std::min<long>(row + dy, h.height);
    }
};

// RLE8 and RLE4: pairs (count, value) are runs; (0, 0) ends a line, (0, 1)
// the picture, (0, 2) moves by the next two bytes, (0, n) starts n literal
// pixels padded to an even byte count. The picture is also complete after
// one end of line per row.
bool read_rle(FILE* stream, const BmpHeader& h, XSImage* image)
{
    const bool nibbles = h.compression == BMP_RLE4;
    RleCursor at{h, image->data};
    long lines_ended = 0;
    for (;;) {
        const int count = getc(stream);
        const int value = getc(stream);
        if (value == EOF)
            return fail(XSE_DATA_READ);
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                at.put(nibbles ? (i & 1 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            at.next_line();
            if (++lines_ended == h.height)
                return true;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            const int dx = getc(stream);
            const int dy = getc(stream);
            if (dy == EOF)
                return fail(XSE_DATA_READ);
            at.move(dx, dy);
        } else {
            const int bytes = nibbles ? (value + 1) / 2 : value;
            for (int i = 0; i < bytes; ++i) {
                const int b = getc(stream);
                if (b == EOF)
                    return fail(XSE_DATA_READ);
                if (!nibbles) {
                    at.put(b);
                    continue;
                }
                at.put(b >> 4);
                if (2 * i + 1 < value)
                    at.put(b & 15);
            }
            if ((bytes & 1) && getc(stream) == EOF)
                return fail(XSE_DATA_READ);
        }
    }
}

// The colormap always has 2^bits entries, taken from the bytes after the info
// header, and is returned as blue, green, red, unused. A palette that is said
// to be shorter (by the colours-used field, or in the core form by a data
// offset right after it) may end with the file; the entries it lacks are black.
bool read_palette(FILE* stream, long at, const BmpHeader& h, unsigned char* palette)
{
    const uint32_t colours = 1u << h.bits;
    uint32_t needed = h.colours_used > 0 && h.colours_used < colours ? h.colours_used : colours;
    const int entry = h.core ? 3 : 4;
    if (h.core) {
        const long room = (long(h.data_offset) - kFileHeader - kCoreHeader) / entry;
        needed = uint32_t(std::clamp<long>(room, 1, colours));
    }
    unsigned char bytes[4 * 256] = {};
    if (fseek(stream, at, SEEK_SET) != 0 || fread(bytes, size_t(entry), colours, stream) < needed || ferror(stream))
        return fail(XSE_PALETTE_READ);
    for (uint32_t i = 0; i < colours; ++i)
        memcpy(palette + 4 * i, bytes + entry * i, 3);
    return true;
}

// A one-bit picture is a bitmap when its palette is black and white, else
// an image of its two colours.
bool two_tone(const BmpHeader& h, const unsigned char* palette)
{
    const XSColor pair[2] = {{0, palette[2], palette[1], palette[0]}, {1, palette[6], palette[5], palette[4]}};
    return h.bits == 1 && XslBlackAndWhite(pair);
}

XslImagePtr new_image(const BmpHeader& h, bool bitmap)
{
    if (bitmap)
        return XslNewBitmap(h.width, h.height);
    switch (h.bits) {
    case 24: return XslNewDirectImage(h.width, h.height, 3, 0x0000FF, 0x00FF00, 0xFF0000);
    default: return XslNewColormapImage(h.width, h.height);
    }
}

// Set bits must be black: when the darker colour is entry 0 every bit is
// turned over. The colormap then tells the bits as the image holds them.
bool finish_bitmap(XSImage* image, const unsigned char* palette)
{
    const XSColor pair[2] = {{0, palette[2], palette[1], palette[0]}, {1, palette[6], palette[5], palette[4]}};
    const long line = XSLBytesPerLine(image);
    const bool invert = XslDarkerEntry(pair) == 0;
    const int spare = int(line * 8 - image->width);
    const auto last_mask = static_cast<unsigned char>(0xFF << spare);
    for (long y = 0; y < image->height; ++y) {
        unsigned char* row = image->data + y * line;
        if (invert)
            for (long i = 0; i < line; ++i)
                row[i] = static_cast<unsigned char>(~row[i]);
        row[line - 1] &= last_mask;
    }
    return XslSetGrayRamp(image, 2, true);
}
}  // namespace

XSImage* XSReadBMP(FILE* stream)
{
    // Offsets in the file count from where the picture starts.
    const long base = ftell(stream);
    if (base < 0) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    BmpHeader h;
    if (!read_header(stream, h))
        return nullptr;
    if (XslBmpIsBitfields(h.bits, h.compression)) {
        const XslBmpLayout layout{base, h.data_offset, h.info_size, h.width, h.height, h.top_down, h.bits, h.compression};
        XSImage* direct = XslReadBmpBitfields(stream, layout);
        if (direct)
            direct->resolution = resolution_of(h.x_pels_per_metre);
        return direct;
    }

    unsigned char palette[4 * 256] = {};
    const int colours = h.bits <= 8 ? 1 << h.bits : 0;
    if (colours > 0 && !read_palette(stream, base + kFileHeader + long(h.info_size), h, palette))
        return nullptr;
    if (fseek(stream, base + long(h.data_offset), SEEK_SET) != 0) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    if (!rows_present(stream, h))
        return nullptr;
    const bool bitmap = two_tone(h, palette);
    XslImagePtr image = new_image(h, bitmap);
    if (!image)
        return nullptr;
    const bool read = h.compression == BMP_RGB ? read_rows(stream, h, image.get()) : read_rle(stream, h, image.get());
    if (!read)
        return nullptr;
    if (ferror(stream)) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    if (bitmap && !finish_bitmap(image.get(), palette))
        return nullptr;
    if (!bitmap && h.bits <= 8 && !XslSetPalette(image.get(), palette, colours, XS_PALETTE_BGRX))
        return nullptr;
    // The core header has no density: 100 dots per inch, as in the other
    // formats without one.
    image->resolution = h.core ? 100 : resolution_of(h.x_pels_per_metre);
    return image.release();
}

int XSInfoBMP()
{
    return 0;
}
