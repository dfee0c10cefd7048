// Walkers shared by the colour corrections: byte planes and colormap entries
// through 256-entry channel tables, direct-colour pixels field by field.
#pragma once

#include "xsdirect.h"
#include "xsimage.h"

#include <cstddef>
#include <cstdint>

// Refuses a bitmap (XslRefuseKind); true when refused.
bool XslRefuseBitmap(XSImage* image);

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

// Red, green and blue planes through their own tables.
void XslMapRgbPlanes(XSImage* image, const unsigned char* table_r, const unsigned char* table_g,
                     const unsigned char* table_b);

// Every colormap entry's channels through their tables; pixels untouched.
// Code 15 when the colormap array is missing.
int XslMapColormap(XSImage* image, const unsigned char* table_r, const unsigned char* table_g,
                   const unsigned char* table_b);

// The 8-bit-to-field tables (already shifted into place) for the channels
// that a reader was set up with.
void XslDirectBackTables(const XslDirectReader& reader, uint32_t back[3][256]);

// Rewrites every pixel of a 2-, 3- or 4-byte direct-colour image as
// map(pixel); false for any other size.
template <class Map>
bool XslMapDirectPixels(XSImage* image, Map map)
{
    return XslWithDirectPixel(image->bytes_per_pixel, [image, &map](auto pixel) {
        using Pixel = decltype(pixel);
        unsigned char* p = image->data;
        const size_t count = size_t(image->width) * size_t(image->height);
        for (size_t i = 0; i < count; ++i, p += Pixel::size) Pixel::store(p, map(Pixel::fetch(p)));
    });
}

// Per-field lookup: the new pixel is out[0][red field] | out[1][green] | out[2][blue],
// so bits outside the masks come back 0.
struct XslFieldTables {
    XslChannel channel[3];
    uint32_t out[3][256];
};

// Applies field tables to a 2-, 3- or 4-byte image (code XSE_PROCESS_KIND for any other size).
int XslApplyFieldTables(XSImage* image, const XslFieldTables& tables);
