// Writing window dumps, most significant byte and bit first.
#include "xsioxwd.h"

#include <cstring>
#include <string>

#include "xsreadkit.h"

int XslWriteXwdHeader(FILE* stream, const XslXwdHeader& header, const char* name)
{
    uint32_t words[25];
    memcpy(words, &header, sizeof words);
    unsigned char bytes[XSL_XWD_HEADER_BYTES];
    for (int i = 0; i < 25; ++i)
        XslPut32BE(bytes + 4 * i, words[i]);
    const size_t name_length = strlen(name);
    if (fwrite(bytes, 1, sizeof bytes, stream) != sizeof bytes ||
        fwrite(name, 1, name_length, stream) != name_length) {
        xslerrno = XSE_READ_ERROR;  // also the code of a header not written
        return 0;
    }
    return 1;
}

int XslWriteXwdColors(FILE* stream, const XSImage* image, uint8_t flags)
{
    for (int i = 0; i < image->ncolors; ++i) {
        const XSColor& c = image->colormap[i];
        unsigned char bytes[XSL_XWD_COLOR_BYTES];
        // The pixel value is the entry's place, which is what the pixels hold; the
        // index field may disagree (a native file keeps what it was given).
        XslPut32BE(bytes, uint32_t(i));
        XslPut16BE(bytes + 4, uint32_t(c.red & 0xFF) * 257);
        XslPut16BE(bytes + 6, uint32_t(c.green & 0xFF) * 257);
        XslPut16BE(bytes + 8, uint32_t(c.blue & 0xFF) * 257);
        bytes[10] = flags;
        bytes[11] = 0;
        if (fwrite(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
            xslerrno = XSE_KIND;
            return 0;
        }
    }
    return 1;
}

namespace {
constexpr uint8_t kDoRedGreenBlue = 7;  // the entry sets all three channels

// The kind an image without planes would have: only its header is written.
XslPixelKind header_kind(const XSImage* image)
{
    if (image->type == 0)
        return XSK_BITMAP;
    if (image->planes == 3)
        return XSK_RGB;
    if (image->bytes_per_pixel == 1)
        return image->ncolors > 0 && image->colormap ? XSK_COLORMAP : XSK_OTHER;
    return image->bytes_per_pixel <= 4 ? XSK_DIRECT : XSK_OTHER;
}

// Header fields of each kind; `depth` and `bits_per_pixel` as the rows are written.
void describe(const XSImage* image, XslPixelKind kind, XslXwdHeader* h)
{
    const uint32_t width = uint32_t(image->width);
    switch (kind) {
    case XSK_BITMAP:
        h->pixmap_format = 0;
        h->pixmap_depth = 1;
        h->bits_per_pixel = 1;
        h->bytes_per_line = (width + 7) / 8;
        return;
    case XSK_COLORMAP:
        h->pixmap_depth = 8;
        h->visual_class = 3;
        h->bits_per_rgb = 8;
        h->ncolors = h->colormap_entries = image->ncolors;
        break;
    case XSK_RGB:
        h->pixmap_depth = 24;
        h->visual_class = 5;
        h->bits_per_rgb = 8;
        break;
    default:  // direct colour
        h->pixmap_depth = uint32_t(image->bytes_per_pixel) * 8;
        h->visual_class = 5;
        h->bits_per_rgb = h->pixmap_depth / 3;
        break;
    }
    h->pixmap_format = 2;
    h->bits_per_pixel = h->pixmap_depth > 23 ? 32 : h->pixmap_depth;
    h->bytes_per_line = h->bits_per_pixel / 8 * width;
    if (kind == XSK_RGB) {
        h->red_mask = 0xFF0000;
        h->green_mask = 0x00FF00;
        h->blue_mask = 0x0000FF;
    } else {
        h->red_mask = image->red_mask;
        h->green_mask = image->green_mask;
        h->blue_mask = image->blue_mask;
    }
}

// One stored line of row y: 32-bit pixels are 255 above red, green and blue.
void make_line(const XSImage* image, XslPixelKind kind, long y, unsigned char* line)
{
    const long width = image->width;
    const long at = y * width;
    switch (kind) {
    case XSK_RGB:
        for (long x = 0; x < width; ++x)
            XslPut32BE(line + 4 * x, 0xFF000000u | uint32_t(image->data[at + x]) << 16 |
                                         uint32_t(image->data_g[at + x]) << 8 | image->data_b[at + x]);
        return;
    case XSK_DIRECT:
        if (image->bytes_per_pixel == 2) {
            for (long x = 0; x < width; ++x) {
                uint16_t v;
                memcpy(&v, image->data + 2 * (at + x), 2);
                XslPut16BE(line + 2 * x, v);
            }
        } else if (image->bytes_per_pixel == 3) {
            const unsigned char* p = image->data + 3 * at;
            for (long x = 0; x < width; ++x, p += 3) {
                line[4 * x] = 0xFF;
                memcpy(line + 4 * x + 1, p, 3);
            }
        } else {
            for (long x = 0; x < width; ++x) {
                uint32_t v;
                memcpy(&v, image->data + 4 * (at + x), 4);
                XslPut32BE(line + 4 * x, v);
            }
        }
        return;
    default: {  // bitmaps and colormap images go as stored
        const long bytes = XSLBytesPerLine(image);
        memcpy(line, image->data + y * bytes, size_t(bytes));
        return;
    }
    }
}
}  // namespace

int XWDWriter(FILE* stream, XSImage* image)
{
    const XslPixelKind kind = image->data ? XslKindOf(image) : header_kind(image);
    if (!XslIsModelKind(kind))
        return XslRefuseKind(kind);
    const int resolution = image->resolution ? image->resolution : 100;
    const std::string name = "XSImgLib:X:" + std::to_string(resolution) + ":Y:" + std::to_string(resolution);

    XslXwdHeader h = {};
    h.header_size = uint32_t(XSL_XWD_HEADER_BYTES + name.size());
    h.file_version = 7;
    h.pixmap_width = h.window_width = uint32_t(image->width);
    h.pixmap_height = h.window_height = uint32_t(image->height);
    h.byte_order = 1;
    h.bitmap_unit = 8;
    h.bitmap_bit_order = 1;
    h.bitmap_pad = 8;
    describe(image, kind, &h);
    if (!XslWriteXwdHeader(stream, h, name.c_str()) ||
        (h.ncolors != 0 && !XslWriteXwdColors(stream, image, kDoRedGreenBlue)))
        return 0;
    if (!image->data)
        return 1;

    XslBuffer<unsigned char> line = XslAllocBuffer<unsigned char>(long(h.bytes_per_line));
    if (!line)
        return 0;
    for (long y = 0; y < image->height; ++y) {
        make_line(image, kind, y, line.get());
        if (!XslWriteChannel(stream, line.get(), long(h.bytes_per_line)))
            return 0;
    }
    return 1;
}
