#include "xsgamma.h"

#include "xschannel.h"

namespace {

void Gray(XSImage* image, const unsigned char* r)
{
    XslMapBytes(image->data, size_t(image->width) * size_t(image->height), r);
}

// Direct colour: each field scaled to 8 bits, through its table, and back.
int Direct(XSImage* image, const unsigned char* r, const unsigned char* g, const unsigned char* b)
{
    XslDirectReader reader;
    XslInitDirectReader(&reader, image);
    uint32_t back[3][256];
    XslDirectBackTables(reader, back);
    const unsigned char* tables[3] = {r, g, b};
    XslFieldTables t;
    for (int c = 0; c < 3; ++c) {
        t.channel[c] = reader.channel[c];
        for (uint32_t v = 0; v <= reader.channel[c].max; ++v) t.out[c][v] = back[c][tables[c][reader.table[c][v]]];
    }
    return XslApplyFieldTables(image, t);
}

}  // namespace

int XslNormaliseGray(XSImage* image)
{
    if (image->ncolors != 256) return XSLBuildGraymap(image);
    if (!XSLSortColormap(image)) return 0;
    // The pixels now hold levels, which only the identity ramp describes; the
    // sorted map equals it unless the 256 entries repeated a level.
    for (int i = 0; i < 256; ++i) {
        const uint16_t level = uint16_t(i);
        image->colormap[i] = {level, level, level, level};
    }
    return 1;
}

int XslApplyChannelTables(XSImage* image, const unsigned char* table_red,
                          const unsigned char* table_green, const unsigned char* table_blue)
{
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_RGB:
        XslMapRgbPlanes(image, table_red, table_green, table_blue);
        return 1;
    case XSK_PLAIN8:
        Gray(image, table_red);
        return 1;
    case XSK_COLORMAP:
        if (!XSLCheckGraymap(image))
            return XslMapColormap(image, table_red, table_green, table_blue);
        if (!XslNormaliseGray(image)) return 0;
        Gray(image, table_red);
        return 1;
    case XSK_DIRECT:
        return Direct(image, table_red, table_green, table_blue);
    default:
        return XslRefuseKind(kind);
    }
}

int XSLGamma(XSImage* image, double gamma_red, double gamma_green, double gamma_blue)
{
    if (XslRefuseBitmap(image)) return 0;
    unsigned char tables[3][256];
    if (!XslGammaTables(tables, gamma_red, gamma_green, gamma_blue)) return 1;
    return XslApplyChannelTables(image, tables[0], tables[1], tables[2]);
}

int XSLUserGamma(XSImage* image, const unsigned char* table_red, const unsigned char* table_green,
                 const unsigned char* table_blue)
{
    return XslApplyChannelTables(image, table_red, table_green, table_blue);
}
