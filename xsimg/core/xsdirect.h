// Direct-colour pixels: fetching and storing 2-, 3- and 4-byte values, and
// moving channel values between a pixel's mask fields and 8 bits.
#pragma once

#include "xsimage.h"

#include <cstring>

// 2- and 4-byte values are kept in host byte order, 3-byte values most
// significant byte first.
template <class Value>
struct XslPixelHost {
    static constexpr int size = sizeof(Value);
    static uint32_t fetch(const unsigned char* p)
    {
        Value v;
        memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(unsigned char* p, uint32_t value)
    {
        const Value v = static_cast<Value>(value);
        memcpy(p, &v, sizeof v);
    }
};
using XslPixel16 = XslPixelHost<uint16_t>;
using XslPixel32 = XslPixelHost<uint32_t>;

struct XslPixel24 {
    static constexpr int size = 3;
    static uint32_t fetch(const unsigned char* p) { return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; }
    static void store(unsigned char* p, uint32_t value)
    {
        p[0] = static_cast<unsigned char>(value >> 16);
        p[1] = static_cast<unsigned char>(value >> 8);
        p[2] = static_cast<unsigned char>(value);
    }
};

// Calls visit with the pixel type of 2, 3 or 4 bytes per pixel and returns
// true; false for any other size.
template <class Visit>
bool XslWithDirectPixel(int bytes_per_pixel, Visit&& visit)
{
    switch (bytes_per_pixel) {
    case 2: visit(XslPixel16{}); return true;
    case 3: visit(XslPixel24{}); return true;
    case 4: visit(XslPixel32{}); return true;
    default: return false;
    }
}

// One colour field of a pixel: value = (pixel >> shift) & max.
struct XslChannel {
    int shift;
    uint32_t max;
};
XslChannel XslChannelOf(uint32_t mask);

// A channel as 8 bits, ((pixel >> shift) & max) x 255 / max, in integer
// arithmetic; 0 for an empty mask.
inline int XslChannelValue(const XslChannel& channel, uint32_t pixel)
{
    if (channel.max == 0)
        return 0;
    return static_cast<int>(uint64_t((pixel >> channel.shift) & channel.max) * 255 / channel.max);
}

// Reads direct pixels as 8-bit red, green and blue through the channel-to-8-bit
// tables of the image's masks. A field wider than 8 bits is read by its top 8 bits.
// Every path that reads an image's direct pixels as colours (single pixels,
// conversions, writers, the quantiser) reads them through it, so all agree.
struct XslDirectReader {
    XslChannel channel[3];
    unsigned char table[3][256];
    void read(uint32_t pixel, unsigned char rgb[3]) const
    {
        for (int c = 0; c < 3; c++)
            rgb[c] = table[c][(pixel >> channel[c].shift) & channel[c].max];
    }
};
void XslInitDirectReader(XslDirectReader* reader, const XSImage* image);

// Makes direct pixels from 8-bit red, green and blue through the 8-bit-to-channel
// tables. A zero-filled writer holds the (all-zero) tables of three empty masks,
// so a static one is a valid cache from the start.
struct XslDirectWriter {
    uint32_t masks[3];
    uint32_t table[3][256];
    uint32_t value(int red, int green, int blue) const
    {
        return table[0][red & 0xFF] | table[1][green & 0xFF] | table[2][blue & 0xFF];
    }
};
// Rebuilds the writer's tables when the image's masks differ from the ones
// they were built for; otherwise leaves them alone.
void XslUpdateDirectWriter(XslDirectWriter* writer, const XSImage* image);
