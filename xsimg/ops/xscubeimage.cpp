// The colour-box reducer on whole images: pixel records in, colormap image out.
#include "xscube.h"

#include "xsown.h"
#include "xsquantize.h"

int XSLOctreeQuantize(XSImage* image, int colors)
{
    if (image->type == 0 || image->ncolors > 0)
        return 1;
    const XslPixelKind kind = XslKindOf(image);
    if (colors < 1 || (kind != XSK_RGB && kind != XSK_DIRECT)) {
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
    // A direct-colour channel without bits is refused here (code XSE_KIND).
    if (!(kind == XSK_RGB ? XSLQuantizeSubRGBColor : XSLQuantizeSubDirectColor)(image, records.get(), count))
        return 0;
    const int entries = alcols(records.get(), count, colormap.get(), room);
    if (entries == 0)
        return 0;
    for (long i = 0; i < count; ++i)
        pixels[i] = static_cast<unsigned char>(records[i].index);

    // The old pixels go only now that the new ones exist.
    XslTakeReducedPixels(image, pixels.release(), colormap.release(), entries);
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
