#include "xsbright.h"

#include "xschannel.h"

namespace {

using Tables = unsigned char[3][256];

// trunc(value x factor), the product formed in extended precision and rounded
// to double. Negative factors are clipped at 0 rather than wrapped.
unsigned char Scaled(int value, double factor)
{
    return XslClipTruncate(static_cast<double>(value * static_cast<long double>(factor)));
}

// Rescales an 8-bit table to a field of 0..max.
void DirectSub(const unsigned char* table, uint32_t max, uint32_t* out)
{
    for (int i = 0; i < 256; ++i) out[i] = table[i] * max / 255;
}

int Direct(XSImage* image, const Tables& tables)
{
    XslDirectReader reader;
    XslInitDirectReader(&reader, image);
    XslFieldTables t;
    for (int c = 0; c < 3; ++c) {
        const XslChannel& channel = reader.channel[c];
        uint32_t sub[256];
        DirectSub(tables[c], channel.max, sub);
        t.channel[c] = channel;
        for (uint32_t v = 0; v <= channel.max; ++v) t.out[c][v] = sub[reader.table[c][v]] << channel.shift;
    }
    return XslApplyFieldTables(image, t);
}

int Apply(XSImage* image, const Tables& tables)
{
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_RGB:
        XslMapRgbPlanes(image, tables[0], tables[1], tables[2]);
        return 1;
    case XSK_COLORMAP:
        return XslMapColormap(image, tables[0], tables[1], tables[2]);
    case XSK_DIRECT:
        return Direct(image, tables);
    case XSK_PLAIN8:
        return 0;  // an 8-bit image without colormap is left alone, without a code
    default:
        return XslRefuseKind(kind);
    }
}

}  // namespace

int XSLBrightenChannl(XSImage* image, int channels, double red_percent, double green_percent,
                      double blue_percent)
{
    const double factors[3] = {red_percent / 100, green_percent / 100, blue_percent / 100};
    Tables tables;
    for (int c = 0; c < 3; ++c) {
        const bool selected = channels & (1 << c);
        for (int i = 0; i < 256; ++i) tables[c][i] = selected ? Scaled(i, factors[c]) : i;
    }
    return Apply(image, tables);
}

int XSLBrighten(XSImage* image, double percent)
{
    return XSLBrightenChannl(image, XSL_CHANNEL_ALL, percent, percent, percent);
}

int XSLBrightenCMY(XSImage* image, double cyan_percent, double magenta_percent, double yellow_percent)
{
    const double factors[3] = {cyan_percent / 100, magenta_percent / 100, yellow_percent / 100};
    Tables tables;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) tables[c][i] = 255 - Scaled(255 - i, factors[c]);
    return Apply(image, tables);
}
