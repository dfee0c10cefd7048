#include "xschannel.h"

namespace {

template <class Pixel>
void Direct(XSImage* image, const XslFieldTables& t)
{
    XslMapDirectPixels<Pixel>(image, [&t](uint32_t v) {
        return t.out[0][t.field[0].get(v)] | t.out[1][t.field[1].get(v)] | t.out[2][t.field[2].get(v)];
    });
}

void Direct16(XSImage* image, const XslFieldTables& t) { Direct<XslPixel16>(image, t); }
void Direct24(XSImage* image, const XslFieldTables& t) { Direct<XslPixel24>(image, t); }
void Direct32(XSImage* image, const XslFieldTables& t) { Direct<XslPixel32>(image, t); }

}  // namespace

bool XslRefuseBitmap(XSImage* image)
{
    if (image->type != 0) return false;
    xslerrno = XSE_PROCESS_KIND;
    return true;
}

XslChannelKind XslClassify(XSImage* image)
{
    if (XslRefuseBitmap(image)) return XSL_KIND_REFUSED;
    const bool rgb = image->planes == 3 && image->data_g != nullptr && image->data_b != nullptr;
    if (rgb && image->data != nullptr) return XSL_KIND_RGB;
    if (image->planes != 1 || image->data == nullptr) {
        xslerrno = XSE_KIND;
        return XSL_KIND_REFUSED;
    }
    switch (image->bytes_per_pixel) {
    case 1: return image->ncolors == 0 ? XSL_KIND_PLAIN8 : XSL_KIND_COLORMAP;
    case 2:
    case 3:
    case 4: return XSL_KIND_DIRECT;
    default: xslerrno = XSE_PROCESS_KIND; return XSL_KIND_REFUSED;
    }
}

void XslMapBytes(unsigned char* bytes, size_t count, const unsigned char* table)
{
    for (size_t i = 0; i < count; ++i) bytes[i] = table[bytes[i]];
}

void XslMapRgbPlanes(XSImage* image, const unsigned char* table_r, const unsigned char* table_g,
                     const unsigned char* table_b)
{
    const size_t count = size_t(image->width) * size_t(image->height);
    XslMapBytes(image->data, count, table_r);
    XslMapBytes(image->data_g, count, table_g);
    XslMapBytes(image->data_b, count, table_b);
}

int XslMapColormap(XSImage* image, const unsigned char* table_r, const unsigned char* table_g,
                   const unsigned char* table_b)
{
    if (image->colormap == nullptr) {
        xslerrno = XSE_PROCESS_KIND;
        return 0;
    }
    // Channels hold 8 significant bits; only those index the tables.
    for (int i = 0; i < image->ncolors; ++i) {
        XSColor& c = image->colormap[i];
        c.red = table_r[c.red & 0xFF];
        c.green = table_g[c.green & 0xFF];
        c.blue = table_b[c.blue & 0xFF];
    }
    return 1;
}

int XslDirectFieldsInit(const XSImage* image, XslDirectFields* fields)
{
    const uint32_t masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    int max[3];
    for (int c = 0; c < 3; ++c) {
        const int shift = XslRgbShiftMask(masks[c]);
        const uint32_t m = masks[c] >> shift;
        if (m > 255) {
            xslerrno = XSE_PROCESS_KIND;
            return 0;
        }
        fields->field[c] = {shift, m};
        // A missing field (mask 0) reads as 0; scale it as a 1-bit field so
        // that the table never divides by zero.
        max[c] = m == 0 ? 1 : int(m);
    }
    XSBuildRGBConvertTable(fields->to8[0], fields->to8[1], fields->to8[2], max[0], max[1], max[2]);
    return 1;
}

void XslDirectFieldsBack(const XslDirectFields& fields, uint32_t back[3][256])
{
    const XslField* f = fields.field;
    XSBuildDirectConvertTable(back[0], back[1], back[2], int(f[0].max), int(f[1].max), int(f[2].max),
                              f[0].shift, f[1].shift, f[2].shift);
}

int XslApplyFieldTables(XSImage* image, const XslFieldTables& tables)
{
    switch (image->bytes_per_pixel) {
    case 2: Direct16(image, tables); return 1;
    case 3: Direct24(image, tables); return 1;
    case 4: Direct32(image, tables); return 1;
    default: xslerrno = XSE_PROCESS_KIND; return 0;
    }
}
