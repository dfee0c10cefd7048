// The colour-box reducer on whole images: pixel records in, colormap image out.
#include "xscube.h"

#include <cstdlib>
#include <cstring>

#include "xsdirect.h"
#include "xsown.h"

namespace {

// The colours of a direct-colour or RGB-planes image as pixel records; the
// image keeps its pixels.
void fill_records(const XSImage* image, XSColor* records, long count)
{
    if (image->planes == 3) {
        for (long i = 0; i < count; ++i)
            records[i] = {0, image->data[i], image->data_g[i], image->data_b[i]};
        return;
    }
    const XslChannel channels[3] = {XslChannelOf(image->red_mask), XslChannelOf(image->green_mask),
                                    XslChannelOf(image->blue_mask)};
    XslWithDirectPixel(image->bytes_per_pixel, [&](auto pixel) {
        const unsigned char* p = image->data;
        for (long i = 0; i < count; ++i, p += pixel.size) {
            const uint32_t value = pixel.fetch(p);
            records[i] = {0, uint16_t(XslChannelValue(channels[0], value)),
                          uint16_t(XslChannelValue(channels[1], value)),
                          uint16_t(XslChannelValue(channels[2], value))};
        }
    });
}

bool reducible(const XSImage* image)
{
    switch (XslKindOf(image)) {
    case XSK_RGB:
        return true;
    case XSK_DIRECT:
        // A channel without bits cannot be decoded.
        return image->red_mask && image->green_mask && image->blue_mask;
    default:
        return false;
    }
}

}  // namespace

int XSLOctreeQuantize(XSImage* image, int colors)
{
    if (image->type == 0 || image->ncolors > 0)
        return 1;
    if (colors < 1 || !reducible(image)) {
        xslerrno = XSE_KIND;
        return 0;
    }
    const long count = long(image->width) * image->height;
    const int room = colors < 256 ? colors : 256;
    XslBuffer<XSColor> records = XslAllocBuffer<XSColor>(count);
    XslBuffer<XSColor> colormap = XslAllocBuffer<XSColor>(room);
    XslBuffer<unsigned char> pixels = XslAllocBuffer<unsigned char>(count);
    if (!records || !colormap || !pixels)
        return 0;
    fill_records(image, records.get(), count);
    const int entries = alcols(records.get(), count, colormap.get(), room);
    if (entries == 0)
        return 0;
    for (long i = 0; i < count; ++i)
        pixels[i] = static_cast<unsigned char>(records[i].index);

    // The old pixels go only now that the new ones exist.
    XSLFreeData(image);
    image->data = pixels.release();
    image->colormap = colormap.release();
    image->ncolors = static_cast<uint16_t>(entries);
    image->bytes_per_pixel = 1;
    image->bits_per_sample = 8;
    image->depth = 8;
    image->planes = 1;
    image->red_mask = image->green_mask = image->blue_mask = 0;
    return 1;
}

int XSLQuantizeSubMAPColor(XSImage* image, XSColor* records, long count)
{
    const long pixels = long(image->width) * image->height;
    if (XslKindOf(image) != XSK_COLORMAP || count < pixels) {
        xslerrno = XSE_KIND;
        return 0;
    }
    for (long i = 0; i < pixels; ++i) {
        const unsigned index = image->data[i];
        records[i] = index < image->ncolors ? image->colormap[index] : XSColor{0, 0, 0, 0};
        records[i].index = 0;
    }
    XSLFreeData(image);
    return 1;
}
