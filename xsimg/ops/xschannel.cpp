#include "xschannel.h"

bool XslRefuseBitmap(XSImage* image)
{
    if (image->type != 0) return false;
    XslRefuseKind(XSK_BITMAP);
    return true;
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

void XslDirectBackTables(const XslDirectReader& reader, uint32_t back[3][256])
{
    const XslChannel* c = reader.channel;
    XSBuildDirectConvertTable(back[0], back[1], back[2], int(c[0].max), int(c[1].max), int(c[2].max), c[0].shift,
                              c[1].shift, c[2].shift);
}

int XslApplyFieldTables(XSImage* image, const XslFieldTables& t)
{
    const XslChannel* c = t.channel;
    const bool done = XslMapDirectPixels(image, [&t, c](uint32_t v) {
        return t.out[0][(v >> c[0].shift) & c[0].max] | t.out[1][(v >> c[1].shift) & c[1].max]
               | t.out[2][(v >> c[2].shift) & c[2].max];
    });
    if (!done) xslerrno = XSE_PROCESS_KIND;
    return done;
}
