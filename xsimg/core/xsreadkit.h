// The toolkit every format reader and writer is built on: image records of each
// pixel kind made through the library's constructors (so the size guard always
// applies), gray ramps and palettes, bit packing, planes and interleaved rows,
// and byte-order reads whose names say the order.
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsimage.h"
#include "xsown.h"

// Masks of 24- and 32-bit direct colour with one byte per channel, red highest.
constexpr uint32_t XS_RED_MASK = 0xFF0000;
constexpr uint32_t XS_GREEN_MASK = 0x00FF00;
constexpr uint32_t XS_BLUE_MASK = 0x0000FF;

// ---- Making images (null with xslerrno XSE_NO_MEMORY when the size is refused or memory runs out)

// One-bit bitmap, zero-filled (white).
XslImagePtr XslNewBitmap(int width, int height);
// 8-bit colormap image with no colormap yet (attach one with XslSetGrayRamp or
// XslSetPalette). The plane is zero-filled.
XslImagePtr XslNewColormapImage(int width, int height);
// 8-bit image carrying a gray ramp of `levels` entries (see XslSetGrayRamp).
XslImagePtr XslNewGrayImage(int width, int height, int levels, bool min_is_white = false);
// Direct colour of 2, 3 or 4 bytes per pixel (depth 16, 24 or 32) with the given masks.
XslImagePtr XslNewDirectImage(int width, int height, int bytes_per_pixel,
                              uint32_t red_mask = XS_RED_MASK, uint32_t green_mask = XS_GREEN_MASK,
                              uint32_t blue_mask = XS_BLUE_MASK);
// Three separate 8-bit planes, red, green and blue.
XslImagePtr XslNewRgbImage(int width, int height);

// ---- Colormaps (1, or 0 with code XSE_NO_MEMORY; the old colormap is replaced)

// `levels` (2 to 256) entries {i, g, g, g} with g = i x 255 / (levels - 1),
// or 255 - that when min_is_white.
int XslSetGrayRamp(XSImage* image, int levels, bool min_is_white = false);
// `count` entries (up to 256) from bytes laid out `stride` bytes apart, each
// entry's channels at `order` offsets (for example {0,1,2} for RGB, {2,1,0} for BGR).
struct XslPaletteLayout {
    int stride;
    int red, green, blue;
};
constexpr XslPaletteLayout XS_PALETTE_RGB = {3, 0, 1, 2};
constexpr XslPaletteLayout XS_PALETTE_BGR = {3, 2, 1, 0};
constexpr XslPaletteLayout XS_PALETTE_BGRX = {4, 2, 1, 0};
int XslSetPalette(XSImage* image, const unsigned char* bytes, int count, XslPaletteLayout layout = XS_PALETTE_RGB);

// ---- Bits and rows

// Unpacks `width` samples of 1, 2, 4 or 8 bits (most significant first) into one byte each.
void XslUnpackBits(const unsigned char* packed, unsigned char* samples, long width, int bits);
// Packs `width` one-byte samples into a bitmap row (MSB first): a sample equal
// to `black` sets its bit (set bit = black). Trailing bits of the last byte are clear.
void XslPackBitmap(const unsigned char* samples, unsigned char* row, long width, int black = 1);
// Splits `width` interleaved pixels of `channels` bytes (the first three are
// R, G, B) into three planes, and joins them back.
void XslRowToPlanes(const unsigned char* row, int channels, long width,
                    unsigned char* red, unsigned char* green, unsigned char* blue);
void XslPlanesToRow(const unsigned char* red, const unsigned char* green, const unsigned char* blue,
                    long width, int channels, unsigned char* row);
// Bytes a row of `width` samples of `bits` bits takes, padded to a multiple of
// `align` bytes; -1 when it does not fit a long.
long XslRowBytes(long width, long bits, long align = 1);

// ---- Byte order (the older XslMemToVal reads most significant first and
// XslValToMem writes least significant first; new code uses these)

inline uint16_t XslGet16BE(const unsigned char* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint16_t XslGet16LE(const unsigned char* p) { return uint16_t(p[1] << 8 | p[0]); }
inline uint32_t XslGet32BE(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline uint32_t XslGet32LE(const unsigned char* p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
inline void XslPut16BE(unsigned char* p, uint32_t v) { p[0] = uint8_t(v >> 8); p[1] = uint8_t(v); }
inline void XslPut16LE(unsigned char* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void XslPut32BE(unsigned char* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
}
inline void XslPut32LE(unsigned char* p, uint32_t v)
{
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

// Stream reads: true with the value, false on a short read (the value is then 0).
bool XslRead8(FILE* stream, uint32_t* value);
bool XslRead16BE(FILE* stream, uint32_t* value);
bool XslRead16LE(FILE* stream, uint32_t* value);
bool XslRead32BE(FILE* stream, uint32_t* value);
bool XslRead32LE(FILE* stream, uint32_t* value);
// Stream writes: true when every byte went out.
bool XslWrite16BE(FILE* stream, uint32_t value);
bool XslWrite16LE(FILE* stream, uint32_t value);
bool XslWrite32BE(FILE* stream, uint32_t value);
bool XslWrite32LE(FILE* stream, uint32_t value);

// The first `size` (at least 8) header bytes of a native-family file: the two
// words the family dispatch already read put back in front, the rest read
// from the stream. false with code XSE_HEADER_READ on a short read.
bool XslReadNativeHeader(FILE* stream, uint32_t word0, uint32_t word1, unsigned char* bytes, size_t size);

// Bytes left between the stream's position and its end, or -1 when the stream
// cannot tell. Readers compare counts read from a header with it before
// allocating for them.
long XslBytesLeft(FILE* stream);
// True when `rows` rows of `bytes_per_line` bytes remain in the stream (or it
// cannot tell); else false with code XSE_DATA_READ.
bool XslDataPresent(FILE* stream, long bytes_per_line, long rows);
