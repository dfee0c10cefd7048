// Reading Sun raster files.
#include "xsiosun.h"

#include <cstring>

#include "xsreadkit.h"

namespace {
enum { kPlainOld = 0, kPlain = 1, kEncoded = 2, kPlainRgb = 3 };
constexpr int kHeaderBytes = 32;
constexpr int kRunFlag = 0x80;

struct SunHeader {
    uint32_t magic, width, height, depth, length, type, maptype, maplength;
};

bool read_header(FILE* stream, SunHeader& h)
{
    unsigned char b[kHeaderBytes];
    if (fread(b, 1, sizeof b, stream) != sizeof b) {
        xslerrno = XSE_HEADER_READ;
        return false;
    }
    uint32_t* fields[] = {&h.magic, &h.width, &h.height, &h.depth, &h.length, &h.type, &h.maptype, &h.maplength};
    for (int i = 0; i < 8; ++i)
        *fields[i] = XslGet32BE(b + 4 * i);
    return true;
}

// The bytes of the pixel rows, padding included, as stored or through the
// run-length decoder. A run may go on from one row into the next, so the
// pending run is kept between reads.
struct RowSource {
    FILE* stream;
    bool encoded;
    long run = 0;  // copies of `value` still owed
    int value = 0;

    bool next(unsigned char* out)
    {
        if (run == 0) {
            const int c = getc(stream);
            if (c == EOF)
                return false;
            if (c != kRunFlag) {
                *out = static_cast<unsigned char>(c);
                return true;
            }
            const int count = getc(stream);
            if (count == EOF)
                return false;
            if (count == 0) {  // an escaped 0x80
                *out = kRunFlag;
                return true;
            }
            value = getc(stream);
            if (value == EOF)
                return false;
            run = count + 1;
        }
        --run;
        *out = static_cast<unsigned char>(value);
        return true;
    }

    bool read(unsigned char* out, long n)
    {
        if (!encoded)
            return fread(out, 1, static_cast<size_t>(n), stream) == static_cast<size_t>(n);
        for (long i = 0; i < n; ++i)
            if (!next(out + i))
                return false;
        return true;
    }
};

// Masks of a 4-byte pixel whose stored bytes are unused, then blue, green,
// red (or red, green, blue): the pixel is fetched in host order, so each mask
// covers the byte at that position in memory.
uint32_t host_byte_mask(int position)
{
    unsigned char bytes[4] = {};
    bytes[position] = 0xFF;
    uint32_t mask;
    memcpy(&mask, bytes, sizeof mask);
    return mask;
}

XslImagePtr make_image(const SunHeader& h)
{
    const int w = static_cast<int>(h.width), ht = static_cast<int>(h.height);
    // Type 3 stores colour pixels red first, the others blue first.
    const bool rgb = h.type == kPlainRgb;
    switch (h.depth) {
    case 1: return XslNewBitmap(w, ht);
    case 8: return XslNewColormapImage(w, ht);
    case 24: return rgb ? XslNewDirectImage(w, ht, 3) : XslNewDirectImage(w, ht, 3, 0x0000FF, 0x00FF00, 0xFF0000);
    default:
        return rgb ? XslNewDirectImage(w, ht, 4, host_byte_mask(1), host_byte_mask(2), host_byte_mask(3))
                   : XslNewDirectImage(w, ht, 4, host_byte_mask(3), host_byte_mask(2), host_byte_mask(1));
    }
}

// Decoded bytes that `left` stored bytes can give at the most: a run of up
// to 256 bytes takes three.
long most_decoded(long left, bool encoded)
{
    return encoded ? (left / 3 + 1) * 256 : left;
}

// An 8-bit image takes the file's colormap (red table, green table, blue
// table), at most 256 entries of it; without one it is gray.
int attach_colormap(XSImage* image, const unsigned char* map, long maplength)
{
    const long per_table = maplength / 3;
    if (per_table == 0)
        return XslSetGrayRamp(image, 256);
    const int count = per_table < 256 ? static_cast<int>(per_table) : 256;
    const int g = static_cast<int>(per_table), b = static_cast<int>(2 * per_table);
    return XslSetPalette(image, map, count, XslPaletteLayout{1, 0, g, b});
}
}  // namespace

XSImage* RsReader(FILE* stream)
{
    SunHeader h;
    if (!read_header(stream, h))
        return nullptr;
    if (h.magic != XS_SUN_MAGIC) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    const bool depth_known = h.depth == 1 || h.depth == 8 || h.depth == 24 || h.depth == 32;
    if (h.type > kPlainRgb || !depth_known) {
        xslerrno = XSE_VARIANT;
        return nullptr;
    }
    const long bytes_per_pixel = (h.depth + 7) / 8;
    if (!XSLSizeOK(h.width, h.height, bytes_per_pixel)) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }

    // The colormap must be there in full before anything is sized by it.
    const long maplength = h.maplength;
    if (!XslDataPresent(stream, maplength, 1))
        return nullptr;
    XslBuffer<unsigned char> map = XslAllocBuffer<unsigned char>(maplength);
    if (!map)
        return nullptr;
    if (maplength > 0 && fread(map.get(), 1, static_cast<size_t>(maplength), stream) != static_cast<size_t>(maplength)) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }

    const long row_bytes = h.depth == 1 ? (long(h.width) + 7) / 8 : long(h.width) * bytes_per_pixel;
    const long stored_row = row_bytes + (row_bytes & 1);  // rows are padded to an even byte count
    RowSource rows{stream, h.type == kEncoded};
    const long left = XslBytesLeft(stream);
    if (left >= 0 && stored_row * long(h.height) > most_decoded(left, rows.encoded)) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }

    XslImagePtr image = make_image(h);
    if (!image)
        return nullptr;
    unsigned char pad;
    for (long y = 0; y < image->height; ++y)
        if (!rows.read(image->data + y * row_bytes, row_bytes) || !rows.read(&pad, stored_row - row_bytes)) {
            xslerrno = XSE_DATA_READ;
            return nullptr;
        }
    if (h.depth == 8 && !attach_colormap(image.get(), map.get(), maplength))
        return nullptr;
    image->resolution = 100;
    return image.release();
}

int XSInfoSUN()
{
    return 0;
}

int RsIndent(uint32_t word0)
{
    return word0 == XS_SUN_MAGIC;
}

int RsInformation(FILE* stream, uint32_t, uint32_t word1, XSInfo* info)
{
    unsigned char rest[kHeaderBytes - 8];
    if (fread(rest, 1, sizeof rest, stream) != sizeof rest) {
        xslerrno = XSE_HEADER_READ;
        return 0;
    }
    info->width = static_cast<int32_t>(word1);
    info->height = static_cast<int32_t>(XslGet32BE(rest));
    info->resolution = 100;
    return 1;
}
