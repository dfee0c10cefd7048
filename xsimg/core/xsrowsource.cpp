// Row converters of every pixel kind to gray or red-green-blue samples.
#include "xsrowsource.h"

#include <algorithm>
#include <iterator>

namespace {

void Bitmap(const XslRowSource& source, long row, unsigned char* out)
{
    const XSImage* image = source.image;
    const unsigned char* in = image->data + row * XSLBytesPerLine(image);
    for (int x = 0; x < image->width; ++x)
        out[x] = (in[x / 8] & XslMsbMask[x & 7]) ? 0 : 255;
}

void Graymap(const XslRowSource& source, long row, unsigned char* out)
{
    const XSImage* image = source.image;
    const unsigned char* in = image->data + row * image->width;
    for (int x = 0; x < image->width; ++x)
        out[x] = source.cmap[0][in[x]];
}

void Colormap(const XslRowSource& source, long row, unsigned char* out)
{
    const XSImage* image = source.image;
    const unsigned char* in = image->data + row * image->width;
    for (int x = 0; x < image->width; ++x, out += 3) {
        out[0] = source.cmap[0][in[x]];
        out[1] = source.cmap[1][in[x]];
        out[2] = source.cmap[2][in[x]];
    }
}

template <class Pixel>
void Direct(const XslRowSource& source, long row, unsigned char* out)
{
    const XSImage* image = source.image;
    const unsigned char* in = image->data + row * image->width * Pixel::size;
    for (int x = 0; x < image->width; ++x, in += Pixel::size, out += 3)
        source.channels.read(Pixel::fetch(in), out);
}

void Rgb(const XslRowSource& source, long row, unsigned char* out)
{
    const XSImage* image = source.image;
    const long at = row * image->width;
    for (int x = 0; x < image->width; ++x, out += 3) {
        out[0] = image->data[at + x];
        out[1] = image->data_g[at + x];
        out[2] = image->data_b[at + x];
    }
}

}  // namespace

int XslInitRowSource(XslRowSource* source, const XSImage* image)
{
    source->image = image;
    for (auto& channel : source->cmap)
        std::fill(std::begin(channel), std::end(channel), 0);
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_BITMAP:
        source->components = 1;
        source->convert = Bitmap;
        return 1;
    case XSK_RGB:
        source->components = 3;
        source->convert = Rgb;
        return 1;
    case XSK_COLORMAP:
        for (int k = 0; k < image->ncolors && k < 256; ++k) {
            source->cmap[0][k] = static_cast<unsigned char>(image->colormap[k].red);
            source->cmap[1][k] = static_cast<unsigned char>(image->colormap[k].green);
            source->cmap[2][k] = static_cast<unsigned char>(image->colormap[k].blue);
        }
        source->components = XSLCheckGraymap(image) ? 1 : 3;
        source->convert = source->components == 1 ? Graymap : Colormap;
        return 1;
    case XSK_DIRECT:
        source->convert = image->bytes_per_pixel == 2   ? Direct<XslPixel16>
                          : image->bytes_per_pixel == 3 ? Direct<XslPixel24>
                                                        : Direct<XslPixel32>;
        break;
    default:
        return XslRefuseKind(kind);
    }
    source->components = 3;
    XslInitDirectReader(&source->channels, image);
    return 1;
}
