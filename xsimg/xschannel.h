// Walkers shared by the colour corrections: byte planes and colormap entries
// through 256-entry channel tables, direct-colour pixels field by field.
#pragma once

#include "xsimage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Refuses a bitmap with code 15; true when refused.
bool XslRefuseBitmap(XSImage* image);

// Pixel kinds as the channel operations see them.
enum XslChannelKind {
    XSL_KIND_REFUSED,   // bitmap or unsupported pixel size (code 15); plane count or missing plane (code 18)
    XSL_KIND_RGB,       // three byte planes
    XSL_KIND_PLAIN8,    // one byte per pixel, no colormap
    XSL_KIND_COLORMAP,  // one byte per pixel indexing the colormap
    XSL_KIND_DIRECT,    // 2, 3 or 4 bytes per pixel with masks
};

// Classifies the image, leaving the code of a refusal in xslerrno.
XslChannelKind XslClassify(XSImage* image);

// Clips a model result to a channel value.
inline int XslClipChannel(int value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// Clips a computed table value to 0..255, truncating toward zero (NaN gives 0).
inline unsigned char XslClipTruncate(double value)
{
    if (!(value > 0)) return 0;
    if (value >= 255) return 255;
    return static_cast<unsigned char>(value);
}

void XslMapBytes(unsigned char* bytes, size_t count, const unsigned char* table);

// Red, green and blue planes through their own tables.
void XslMapRgbPlanes(XSImage* image, const unsigned char* table_r, const unsigned char* table_g,
                     const unsigned char* table_b);

// Every colormap entry's channels through their tables; pixels untouched.
// Code 15 when the colormap array is missing.
int XslMapColormap(XSImage* image, const unsigned char* table_r, const unsigned char* table_g,
                   const unsigned char* table_b);

// Where one colour field sits in a direct-colour pixel.
struct XslField {
    int shift;
    uint32_t max;   // mask shifted down to bit 0
    uint32_t get(uint32_t pixel) const { return (pixel >> shift) & max; }
};

// The three fields of a direct-colour image with their channel-to-8-bit tables.
struct XslDirectFields {
    XslField field[3];            // red, green, blue
    unsigned char to8[3][256];    // field value -> 8-bit channel
};

// Fills the fields from the image's masks. A field wider than 8 bits cannot
// be scaled through 256-entry tables: code 15, result 0.
int XslDirectFieldsInit(const XSImage* image, XslDirectFields* fields);

// Builds the 8-bit-to-field tables (already shifted into place).
void XslDirectFieldsBack(const XslDirectFields& fields, uint32_t back[3][256]);

// Direct-colour pixel layouts: 2 and 4 bytes in host order, 3 bytes most significant first.
struct XslPixel16 {
    static constexpr int step = 2;
    static uint32_t load(const unsigned char* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
    static void store(unsigned char* p, uint32_t v) { uint16_t w = uint16_t(v); std::memcpy(p, &w, 2); }
};
struct XslPixel24 {
    static constexpr int step = 3;
    static uint32_t load(const unsigned char* p) { return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; }
    static void store(unsigned char* p, uint32_t v)
    {
        p[0] = uint8_t(v >> 16);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v);
    }
};
struct XslPixel32 {
    static constexpr int step = 4;
    static uint32_t load(const unsigned char* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
    static void store(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }
};

// Rewrites every pixel of a one-plane direct-colour image as map(pixel).
template <class Pixel, class Map>
void XslMapDirectPixels(XSImage* image, Map map)
{
    unsigned char* p = image->data;
    const size_t count = size_t(image->width) * size_t(image->height);
    for (size_t i = 0; i < count; ++i, p += Pixel::step) Pixel::store(p, map(Pixel::load(p)));
}

// Per-field lookup: the new pixel is out[0][red field] | out[1][green] | out[2][blue],
// so bits outside the masks come back 0.
struct XslFieldTables {
    XslField field[3];
    uint32_t out[3][256];
};

// Applies field tables to a 2-, 3- or 4-byte image (code 15 for any other size).
int XslApplyFieldTables(XSImage* image, const XslFieldTables& tables);
