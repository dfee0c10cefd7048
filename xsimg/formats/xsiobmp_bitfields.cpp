// Reading 16- and 32-bit BMP pixels through their colour masks.
#include "xsiobmp_bitfields.h"

#include <cstring>

#include "xsdirect.h"
#include "xsio.h"
#include "xsoverwhite.h"
#include "xsreadkit.h"

namespace {

constexpr long kMasksAt = 14 + 40;  // after the file header and the 40-byte info header

XSImage* refuse(int code)
{
    xslerrno = code;
    return nullptr;
}

bool fail(int code)
{
    xslerrno = code;
    return false;
}

// One run of set bits, at most `bits` wide.
bool usable(uint32_t mask, uint32_t bits)
{
    if (mask == 0 || (bits < 32 && mask >> bits != 0))
        return false;
    const uint32_t run = mask >> XslRgbShiftMask(mask);
    return (run & (run + 1)) == 0;
}

// Red, green, blue and alpha masks (alpha 0 when there is none).
bool read_masks(FILE* stream, const XslBmpLayout& l, uint32_t masks[4])
{
    if (l.compression != XS_BMP_BITFIELDS) {
        const uint32_t defaults[2][4] = {{0x7C00, 0x03E0, 0x001F, 0}, {0xFF0000, 0x00FF00, 0x0000FF, 0}};
        std::memcpy(masks, defaults[l.bits == 32], sizeof defaults[0]);
        return true;
    }
    unsigned char b[16] = {};
    const size_t count = l.info_size >= 56 ? 16 : 12;
    if (std::fseek(stream, l.base + kMasksAt, SEEK_SET) != 0 || !XSReadData(b, 1, count, stream))
        return fail(XSE_HEADER_READ);
    for (int c = 0; c < 4; ++c)
        masks[c] = XslGet32LE(b + 4 * c);
    for (int c = 0; c < 4; ++c) {
        if (c < 3 ? !usable(masks[c], l.bits) : masks[c] != 0 && !usable(masks[c], l.bits))
            return fail(XSE_VARIANT);
        for (int other = 0; other < c; ++other)
            if (masks[c] & masks[other])
                return fail(XSE_VARIANT);
    }
    return true;
}

}  // namespace

XSImage* XslReadBmpBitfields(FILE* stream, const XslBmpLayout& l)
{
    uint32_t masks[4];
    if (!read_masks(stream, l, masks))
        return nullptr;
    XslChannel fields[4];
    for (int c = 0; c < 4; ++c)
        fields[c] = XslChannelOf(masks[c]);
    const bool has_alpha = masks[3] != 0;

    const long file_row = XslRowBytes(l.width, l.bits, 4);
    if (file_row < 0 || std::fseek(stream, l.base + long(l.data_offset), SEEK_SET) != 0)
        return refuse(XSE_DATA_READ);
    if (!XslDataPresent(stream, file_row, l.height))
        return refuse(XSE_DATA_READ);
    XslImagePtr image = XslNewDirectImage(l.width, l.height, 3);
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(file_row);
    XslBuffer<unsigned char> alpha = XslAllocBuffer<unsigned char>(has_alpha ? long(l.width) * l.height : 0);
    if (!image || !row || !alpha)
        return nullptr;

    // Colours go straight into the plane; alpha is kept aside until it is
    // known whether any pixel uses it.
    const int step = int(l.bits / 8);
    bool alpha_used = false;
    for (long r = 0; r < l.height; ++r) {
        if (!XSReadData(row.get(), 1, size_t(file_row), stream))
            return refuse(XSE_DATA_READ);
        const long y = l.top_down ? r : l.height - 1 - r;
        unsigned char* out = image->data + y * l.width * 3;
        const unsigned char* in = row.get();
        for (long x = 0; x < l.width; ++x, in += step, out += 3) {
            const uint32_t pixel = step == 2 ? XslGet16LE(in) : XslGet32LE(in);
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<unsigned char>(XslChannelValue(fields[c], pixel));
            if (has_alpha) {
                const int a = XslChannelValue(fields[3], pixel);
                alpha[y * l.width + x] = static_cast<unsigned char>(a);
                alpha_used = alpha_used || a != 0;
            }
        }
    }
    if (alpha_used) {
        const long pixels = long(l.width) * l.height;
        for (long i = 0; i < pixels; ++i)
            for (int c = 0; c < 3; ++c)
                image->data[3 * i + c] = XslOverWhite(image->data[3 * i + c], alpha[i]);
    }
    return image.release();
}
