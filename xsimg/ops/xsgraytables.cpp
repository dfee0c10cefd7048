#include "xsgraytables.h"

#include "xsdirect.h"

#include <cstdlib>

namespace {

// The fast gray weights folded into the tables: gray = (r + g + b) >> 8
// with r = 77 x red, g = 150 x green, b = 29 x blue, all read by field value.
struct WeightedFields {
    XslChannel channel[3];
    int weighted[3][256];
};

template <class Pixel>
void toGray(XSImage* image, const WeightedFields& w)
{
    const unsigned char* source = image->data;
    unsigned char* gray = image->data;  // byte i lands at or before pixel i: nothing unread is lost
    for (long i = 0, n = long(image->width) * image->height; i < n; ++i, source += Pixel::size) {
        uint32_t pixel = Pixel::fetch(source);
        int sum = 0;
        for (int c = 0; c < 3; ++c)
            sum += w.weighted[c][(pixel >> w.channel[c].shift) & w.channel[c].max];
        gray[i] = static_cast<unsigned char>(sum >> 8);
    }
}

}  // namespace

int XSLTablesToGray(XSImage* image, const unsigned char* table_red, const unsigned char* table_green,
                    const unsigned char* table_blue)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind != XSK_DIRECT && kind != XSK_COLORMAP)
        return XslRefuseKind(kind);
    XSColor* ramp = XslNewGrayRamp();
    if (!ramp) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    const unsigned char* tables[3] = {table_red, table_green, table_blue};
    const int weights[3] = {77, 150, 29};
    const long pixels = long(image->width) * image->height;
    if (kind == XSK_COLORMAP) {
        // Bytes beyond the colormap have no entry and read as black.
        unsigned char rgb[256][3] = {};
        for (int i = 0; i < image->ncolors && i < 256; ++i) {
            rgb[i][0] = static_cast<unsigned char>(image->colormap[i].red);
            rgb[i][1] = static_cast<unsigned char>(image->colormap[i].green);
            rgb[i][2] = static_cast<unsigned char>(image->colormap[i].blue);
        }
        unsigned char gray[256];
        for (int i = 0; i < 256; ++i)
            gray[i] = static_cast<unsigned char>(
                XslFastGray(tables[0][rgb[i][0]], tables[1][rgb[i][1]], tables[2][rgb[i][2]]));
        XslMapBytes(image->data, pixels, gray);
    } else {
        XslDirectReader reader;
        XslInitDirectReader(&reader, image);
        WeightedFields w;
        for (int c = 0; c < 3; ++c) {
            w.channel[c] = reader.channel[c];
            for (int v = 0; v < 256; ++v)
                w.weighted[c][v] = weights[c] * tables[c][reader.table[c][v]];
        }
        XslWithDirectPixel(image->bytes_per_pixel, [&](auto pixel) { toGray<decltype(pixel)>(image, w); });
        // Shrinking cannot lose data; should realloc refuse, the larger block serves.
        if (auto* shrunk = static_cast<unsigned char*>(realloc(image->data, pixels)))
            image->data = shrunk;
        image->bytes_per_pixel = 1;
        image->depth = 8;
        image->red_mask = image->green_mask = image->blue_mask = 0;
    }
    image->planes = 1;
    free(image->colormap);
    image->colormap = ramp;
    image->ncolors = 256;
    return 1;
}
