// Size rules, the size guard and the pixel kind of a record.
#include "xssize.h"

#include "xsimage.h"

#include <cstdint>
#include <limits>

namespace {
thread_local bool last_size_empty = false;
}  // namespace

bool XslLastSizeWasEmpty()
{
    return last_size_empty;
}

int XSLSizeOK(long width, long height, long bytes_per_pixel)
{
    last_size_empty = width <= 0 || height <= 0;
    if (last_size_empty || bytes_per_pixel <= 0)
        return 0;
    if (width > XS_MAX_PIXELS || height > XS_MAX_PIXELS / width)
        return 0;
    long bytes = 0;
    if (__builtin_mul_overflow(width * height, bytes_per_pixel, &bytes))
        return 0;
    return static_cast<unsigned long>(bytes) <= std::numeric_limits<size_t>::max() / 2 ? 1 : 0;
}

XslPixelKind XslKindOf(const XSImage* image)
{
    if (!image || !image->data)
        return XSK_OTHER;
    if (image->type == 0)
        return XSK_BITMAP;
    if (image->type != 1)
        return XSK_OTHER;
    // Three planes are byte planes: every reader and writer steps through
    // them a byte a pixel.
    if (image->planes == 3)
        return image->data_g && image->data_b && image->bytes_per_pixel == 1 ? XSK_RGB : XSK_OTHER;
    if (image->planes != 1)
        return XSK_OTHER;
    switch (image->bytes_per_pixel) {
    case 1:
        if (image->ncolors == 0)
            return XSK_PLAIN8;
        return image->colormap ? XSK_COLORMAP : XSK_OTHER;
    case 2:
    case 3:
    case 4:
        return XSK_DIRECT;
    default:
        return XSK_WIDE;
    }
}

int XslRefuseKind(XslPixelKind kind)
{
    xslerrno = kind == XSK_BITMAP || kind == XSK_WIDE ? XSE_PROCESS_KIND : XSE_KIND;
    return 0;
}

long XSLBytesPerLine(const XSImage* image)
{
    if (image->type == 0)
        return (long(image->width) + 7) / 8;
    return long(image->width) * image->bytes_per_pixel;
}

long XSLDataSize(const XSImage* image)
{
    return XSLBytesPerLine(image) * image->height;
}

int XSLLinePerSample(const XSImage* image)
{
    return image->width;
}

// A resolution of 0 means unknown and is taken, in the record itself, as 100 dpi.
static double pointsOf(XSImage* image, int pixels)
{
    if (image->resolution == 0)
        image->resolution = 100;
    return pixels * 72.0 / image->resolution;
}

double XSLPointWidth(XSImage* image)
{
    return pointsOf(image, image->width);
}

double XSLPointHeight(XSImage* image)
{
    return pointsOf(image, image->height);
}
