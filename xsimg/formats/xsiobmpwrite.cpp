// Writing device-independent bitmap files: uncompressed, bottom row first.
#include <cstring>

#include "xsdirect.h"
#include "xsiobmp.h"
#include "xsreadkit.h"

namespace {
constexpr long kHeaderBytes = 54;

bool write_header(FILE* stream, const XSImage* image, int bits, long row_bytes, long colours)
{
    unsigned char h[kHeaderBytes] = {'B', 'M'};
    const uint32_t data_size = static_cast<uint32_t>(row_bytes * image->height);
    const uint32_t pels_per_metre = image->resolution * 39u;
    XslPut32LE(h + 2, data_size + 4 * colours + kHeaderBytes);
    XslPut32LE(h + 10, static_cast<uint32_t>(4 * colours + kHeaderBytes));
    XslPut32LE(h + 14, 40);
    XslPut32LE(h + 18, static_cast<uint32_t>(image->width));
    XslPut32LE(h + 22, static_cast<uint32_t>(image->height));
    XslPut16LE(h + 26, 1);
    XslPut16LE(h + 28, static_cast<uint32_t>(bits));
    XslPut32LE(h + 34, data_size);
    XslPut32LE(h + 38, pels_per_metre);
    XslPut32LE(h + 42, pels_per_metre);
    XslPut32LE(h + 46, static_cast<uint32_t>(colours));
    XslPut32LE(h + 50, static_cast<uint32_t>(colours));
    return fwrite(h, 1, sizeof h, stream) == sizeof h;
}

// Entries as blue, green, red, 0; a bitmap's set bits are black.
bool write_palette(FILE* stream, const XSImage* image, int bits)
{
    unsigned char palette[4 * 256] = {};
    if (bits == 1) {
        memset(palette, 255, 3);
        return fwrite(palette, 4, 2, stream) == 2;
    }
    for (int i = 0; i < image->ncolors && i < 256; ++i) {
        palette[4 * i] = static_cast<unsigned char>(image->colormap[i].blue);
        palette[4 * i + 1] = static_cast<unsigned char>(image->colormap[i].green);
        palette[4 * i + 2] = static_cast<unsigned char>(image->colormap[i].red);
    }
    return fwrite(palette, 4, 256, stream) == 256;
}

// One image row as the file holds it; the padding stays zero.
void fill_row(const XSImage* image, XslPixelKind kind, const XslDirectReader& direct, long y, unsigned char* out)
{
    const long width = image->width;
    const long line = XSLBytesPerLine(image);
    const unsigned char* in = image->data + y * line;
    if (kind == XSK_BITMAP || kind == XSK_COLORMAP) {
        memcpy(out, in, static_cast<size_t>(line));
        if (kind == XSK_BITMAP && width % 8)
            out[line - 1] &= static_cast<unsigned char>(0xFF << (8 - width % 8));
        return;
    }
    if (kind == XSK_RGB) {
        XslPlanesToRow(image->data_b + y * width, image->data_g + y * width, in, width, 3, out);
        return;
    }
    XslWithDirectPixel(image->bytes_per_pixel, [&](auto pixel) {
        unsigned char rgb[3];
        for (long x = 0; x < width; ++x, in += pixel.size, out += 3) {
            direct.read(pixel.fetch(in), rgb);
            out[0] = rgb[2];
            out[1] = rgb[1];
            out[2] = rgb[0];
        }
    });
}

bool write_rows(FILE* stream, const XSImage* image, XslPixelKind kind, long row_bytes)
{
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(row_bytes);
    if (!row)
        return false;
    XslDirectReader direct{};
    if (kind == XSK_DIRECT)
        XslInitDirectReader(&direct, image);
    for (long y = image->height - 1; y >= 0 && !ferror(stream); --y) {
        fill_row(image, kind, direct, y, row.get());
        fwrite(row.get(), 1, static_cast<size_t>(row_bytes), stream);
    }
    return true;
}
}  // namespace

int XSWriteBMP(FILE* stream, XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    if (!XslIsModelKind(kind))
        return XslRefuseKind(kind);
    const int bits = kind == XSK_BITMAP ? 1 : kind == XSK_COLORMAP ? 8 : 24;
    const long colours = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    const long row_bytes = XslRowBytes(image->width, bits, 4);
    if (!write_header(stream, image, bits, row_bytes, colours) || (colours && !write_palette(stream, image, bits))
        || ferror(stream)) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    if (!write_rows(stream, image, kind, row_bytes))
        return 0;
    if (ferror(stream)) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    return 1;
}
