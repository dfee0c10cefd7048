// Direct-colour BMP pictures: 16 and 32 bits per pixel, their colour fields
// given by masks (compression 3) or the defaults (compression 0).
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsimage.h"

constexpr uint32_t XS_BMP_BITFIELDS = 3;

// What the BMP reader has found in the headers.
struct XslBmpLayout {
    long base;              // stream position of "BM"
    uint32_t data_offset;   // of the pixel data, from base
    uint32_t info_size;
    int32_t width;
    int32_t height;         // rows, positive
    bool top_down;
    uint32_t bits;
    uint32_t compression;
};

// True for the bit depths and compressions read here.
inline bool XslBmpIsBitfields(uint32_t bits, uint32_t compression)
{
    return (bits == 16 || bits == 32) && (compression == 0 || compression == XS_BMP_BITFIELDS);
}

// 24-bit direct colour (R, G, B bytes). Default fields: 5-5-5 at 16 bits,
// 8-8-8 at 32 bits (the fourth byte unused). With compression 3 the red, green
// and blue masks follow the 40-byte info header (inside the longer ones), and
// an info header of 56 bytes or more adds an alpha mask: alpha is then put over
// white paper, unless every pixel's alpha is 0 (writers that fill the mask but
// not the channel). Null with xslerrno XSE_HEADER_READ (masks missing),
// XSE_VARIANT (a mask empty, broken in two, overlapping another or wider than
// the pixel), XSE_DATA_READ (rows missing) or XSE_NO_MEMORY.
XSImage* XslReadBmpBitfields(FILE* stream, const XslBmpLayout& layout);
