// WebP writer: lossless, through libwebp's one-call encoder, which takes the
// whole picture as 8-bit RGB.
#include <webp/encode.h>

#include "xsiowebp.h"
#include "xsown.h"
#include "xsrowsource.h"

int XSWriteWebP(FILE* stream, XSImage* image)
{
    XslRowSource source;
    if (image->width <= 0 || image->height <= 0 || XslKindOf(image) == XSK_OTHER) {
        xslerrno = XSE_KIND;
        return 0;
    }
    if (image->width > WEBP_MAX_DIMENSION || image->height > WEBP_MAX_DIMENSION) {
        xslerrno = XSE_VARIANT;   // a side too long for the format
        return 0;
    }
    if (!XslInitRowSource(&source, image))
        return 0;
    const long line = long(image->width) * 3;
    XslBuffer<unsigned char> rgb = XslAllocBuffer<unsigned char>(line * image->height);
    XslBuffer<unsigned char> gray = XslAllocBuffer<unsigned char>(image->width);
    if (!rgb || !gray)
        return 0;
    for (long y = 0; y < image->height; ++y) {
        unsigned char* row = rgb.get() + y * line;
        if (source.components == 3) {
            XslReadRow(source, y, row);
            continue;
        }
        XslReadRow(source, y, gray.get());
        for (long x = 0; x < image->width; ++x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = gray[x];
    }
    uint8_t* file = nullptr;
    const size_t size = WebPEncodeLosslessRGB(rgb.get(), image->width, image->height, int(line), &file);
    const bool written = size > 0 && std::fwrite(file, 1, size, stream) == size && std::fflush(stream) == 0;
    WebPFree(file);
    if (!written) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
}
