// Writing Sun raster files (type 1, uncompressed).
#include "xsconv.h"
#include "xsiosun.h"
#include "xsreadkit.h"
#include "xswritecopy.h"

namespace {
bool write_header(FILE* stream, const XSImage* image, uint32_t depth)
{
    const bool mapped = depth == 8;
    const uint32_t length = static_cast<uint32_t>(depth == 24 ? 3 * XSLDataSize(image) : XSLDataSize(image));
    const uint32_t fields[8] = {XS_SUN_MAGIC, static_cast<uint32_t>(image->width),
                                static_cast<uint32_t>(image->height), depth, length, 1, 1,
                                mapped ? 3u * image->ncolors : 0u};
    unsigned char b[32];
    for (int i = 0; i < 8; ++i)
        XslPut32BE(b + 4 * i, fields[i]);
    return fwrite(b, 1, sizeof b, stream) == sizeof b;
}

// All red values, then all green, then all blue, a byte each.
bool write_colormap(FILE* stream, const XSImage* image)
{
    XslBuffer<unsigned char> bytes = XslAllocBuffer<unsigned char>(3L * image->ncolors);
    if (!bytes)
        return false;
    const int n = image->ncolors;
    for (int i = 0; i < n; ++i) {
        bytes[i] = static_cast<unsigned char>(image->colormap[i].red);
        bytes[n + i] = static_cast<unsigned char>(image->colormap[i].green);
        bytes[2 * n + i] = static_cast<unsigned char>(image->colormap[i].blue);
    }
    const size_t size = 3 * static_cast<size_t>(n);
    if (fwrite(bytes.get(), 1, size, stream) != size) {
        xslerrno = XSE_DATA_WRITE;
        return false;
    }
    return true;
}

// One row and, when its length is odd, a zero byte that keeps rows even.
bool write_row(FILE* stream, const unsigned char* row, long n)
{
    static const unsigned char pad = 0;
    return fwrite(row, 1, static_cast<size_t>(n), stream) == static_cast<size_t>(n)
           && (n % 2 == 0 || fwrite(&pad, 1, 1, stream) == 1);
}

// Bitmap and colormap rows go out as they are held; RGB planes as blue,
// green, red triples.
bool write_rows(FILE* stream, const XSImage* image)
{
    const long width = image->width;
    const long row_bytes = image->planes == 3 ? 3 * width : XSLBytesPerLine(image);
    XslBuffer<unsigned char> triples;
    if (image->planes == 3 && !(triples = XslAllocBuffer<unsigned char>(row_bytes)))
        return false;
    for (long y = 0; y < image->height; ++y) {
        const unsigned char* row = image->data + y * XSLBytesPerLine(image);
        if (triples) {
            const long at = y * width;
            XslPlanesToRow(image->data_b + at, image->data_g + at, image->data + at, width, 3, triples.get());
            row = triples.get();
        }
        if (!write_row(stream, row, row_bytes)) {
            xslerrno = XSE_DATA_WRITE;
            return false;
        }
    }
    return true;
}
}  // namespace

int RsWriter(FILE* stream, XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    XslImagePtr copy;
    if (kind != XSK_BITMAP && kind != XSK_COLORMAP && kind != XSK_RGB) {
        copy = XslConvertedCopy(image, XSLConv24RGB);
        if (!copy)
            return 0;
    }
    const XSImage* source = copy ? copy.get() : image;
    const uint32_t depth = kind == XSK_BITMAP ? 1 : kind == XSK_COLORMAP ? 8 : 24;
    if (!write_header(stream, source, depth)) {
        xslerrno = XSE_READ_ERROR;  // the code for a header not written
        return 0;
    }
    if (depth == 8 && !write_colormap(stream, source))
        return 0;
    return write_rows(stream, source) ? 1 : 0;
}
