// Writing TIMG files: one writer per pixel kind behind TCoWriter.
#include "xsiotimg.h"

#include "xsdirect.h"
#include "xsreadkit.h"

namespace {

enum { kBitmap = 0, kPixmap = 2, kRgbPlanes = 4 };
enum { kStaticGray = 0, kPseudoColor = 3, kDirectColor = 5 };
constexpr uint32_t kRgbMark = 27;
constexpr uint8_t kDoRedGreenBlue = 7;  // a colour entry sets all three channels

long private_bytes(const XSImage* image)
{
    return image->private_data && image->private_size > 0 ? image->private_size : 0;
}

// The header of a pixel layout; the writers add what is special to their kind.
XslTimgHeader header_for(const XSImage* image, uint32_t format, uint32_t depth, uint32_t bits_per_pixel,
                         uint32_t bytes_per_line, uint32_t visual)
{
    XslTimgHeader h{};
    h.xwd.header_size = uint32_t(XSL_TIMG_HEADER_BYTES + private_bytes(image));
    h.xwd.file_version = XSL_TIMG_VERSION;
    h.xwd.pixmap_format = format;
    h.xwd.pixmap_depth = depth;
    h.xwd.pixmap_width = uint32_t(image->width);
    h.xwd.pixmap_height = uint32_t(image->height);
    h.xwd.bitmap_unit = 8;
    h.xwd.bitmap_pad = 8;
    h.xwd.bits_per_pixel = bits_per_pixel;
    h.xwd.bytes_per_line = bytes_per_line;
    h.xwd.visual_class = visual;
    h.data_size = bytes_per_line * uint32_t(image->height);
    h.resolution = image->resolution ? image->resolution : 100;
    return h;
}

// The header, then the private block.
int write_header(FILE* stream, const XslTimgHeader& h, const XSImage* image)
{
    if (!XslWriteXwdHeader(stream, h.xwd, ""))
        return 0;
    const uint32_t extra[] = {h.spare0, h.data_size, h.resolution, h.kind_mark, h.spare1, h.jpeg, h.spare2};
    unsigned char bytes[sizeof extra];
    for (size_t i = 0; i < sizeof extra / 4; ++i)
        XslPut32BE(bytes + 4 * i, extra[i]);
    if (fwrite(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    const long block = private_bytes(image);
    if (block > 0 && fwrite(image->private_data, 1, size_t(block), stream) != size_t(block)) {
        xslerrno = XSE_PRIVATE_WRITE;
        return 0;
    }
    return 1;
}

int write_bitmap(FILE* stream, const XSImage* image)
{
    XslTimgHeader h = header_for(image, kBitmap, 1, 1, uint32_t(XSLBytesPerLine(image)), kStaticGray);
    h.xwd.byte_order = h.xwd.bitmap_bit_order = 1;
    return write_header(stream, h, image) && XslWriteChannel(stream, image->data, XSLDataSize(image));
}

int write_colormap(FILE* stream, const XSImage* image)
{
    XslTimgHeader h = header_for(image, kPixmap, 8, 8, uint32_t(image->width), kPseudoColor);
    h.xwd.bitmap_pad = 0;
    h.xwd.colormap_entries = h.xwd.ncolors = image->ncolors;
    return write_header(stream, h, image) && XslWriteXwdColors(stream, image, kDoRedGreenBlue)
        && XslWriteChannel(stream, image->data, XSLDataSize(image));
}

// Pixels go out most significant byte first. 4-byte pixels are written as
// 24 bits, unless their masks reach above bit 23 (then as all 32).
int write_direct(FILE* stream, const XSImage* image)
{
    const uint32_t masks = image->red_mask | image->green_mask | image->blue_mask;
    const int bytes = image->bytes_per_pixel == 4 && (masks >> 24) == 0 ? 3 : image->bytes_per_pixel;
    XslTimgHeader h =
        header_for(image, kPixmap, image->bytes_per_pixel == 4 ? uint32_t(bytes * 8) : image->depth,
                   uint32_t(bytes * 8), uint32_t(image->width * bytes), kDirectColor);
    h.xwd.red_mask = image->red_mask;
    h.xwd.green_mask = image->green_mask;
    h.xwd.blue_mask = image->blue_mask;
    h.xwd.bits_per_rgb = 8;
    if (!write_header(stream, h, image))
        return 0;
    if (image->bytes_per_pixel == 3)  // already most significant byte first
        return XslWriteChannel(stream, image->data, XSLDataSize(image));

    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(long(image->width) * bytes);
    if (!row)
        return 0;
    const unsigned char* in = image->data;
    bool written = true;
    XslWithDirectPixel(image->bytes_per_pixel, [&](auto pixel) {
        for (int y = 0; written && y < image->height; ++y) {
            unsigned char* out = row.get();
            for (int x = 0; x < image->width; ++x, in += pixel.size) {
                const uint32_t value = pixel.fetch(in);
                for (int k = bytes - 1; k >= 0; --k)
                    *out++ = static_cast<unsigned char>(value >> (8 * k));
            }
            written = XslWriteChannel(stream, row.get(), long(image->width) * bytes);
        }
    });
    return written ? 1 : 0;
}

int write_rgb(FILE* stream, const XSImage* image)
{
    XslTimgHeader h = header_for(image, kRgbPlanes, 8, 8, uint32_t(image->width), kDirectColor);
    h.data_size *= 3;
    h.kind_mark = kRgbMark;
    if (!write_header(stream, h, image))
        return 0;
    for (const unsigned char* plane : {image->data, image->data_g, image->data_b})
        if (!XslWriteChannel(stream, plane, XSLDataSize(image)))
            return 0;
    return 1;
}

}  // namespace

int TCoWriter(FILE* stream, XSImage* image)
{
    switch (XslKindOf(image)) {
    case XSK_BITMAP: return write_bitmap(stream, image);
    case XSK_COLORMAP: return write_colormap(stream, image);
    case XSK_DIRECT: return write_direct(stream, image);
    case XSK_RGB: return write_rgb(stream, image);
    default:
        // Records without pixels, or of no kind, could not be read back.
        xslerrno = XSE_KIND;
        return 0;
    }
}
