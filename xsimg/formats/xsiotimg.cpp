// Reading TIMG files.
#include "xsiotimg.h"

#include <climits>
#include <cstring>

#include "xsdirect.h"
#include "xsiojpeg.h"
#include "xsreadkit.h"

namespace {

enum { kBitmap = 0, kPixmap = 2, kRgbPlanes = 4 };

// The 128-byte header from its first two words and the 120 bytes that follow.
bool read_header(FILE* stream, uint32_t word0, uint32_t word1, XslTimgHeader* h)
{
    unsigned char bytes[XSL_TIMG_HEADER_BYTES];
    if (!XslReadNativeHeader(stream, word0, word1, bytes, sizeof bytes))
        return false;
    XslXwdHeaderFromBytes(bytes, &h->xwd);
    uint32_t* extra[] = {&h->spare0, &h->data_size, &h->resolution, &h->kind_mark,
                         &h->spare1, &h->jpeg,      &h->spare2};
    for (int i = 0; i < 7; ++i)
        *extra[i] = XslGet32BE(bytes + XSL_XWD_HEADER_BYTES + 4 * i);
    return true;
}

int dimension(uint32_t value)
{
    return value > uint32_t(INT_MAX) ? -1 : int(value);
}

// Stored lines of the header's length hold `row` bytes of pixels each, and the
// file holds `rows` of them; else code XSE_DATA_READ, before anything is allocated.
bool lines_fit(FILE* stream, const XslTimgHeader& h, long row, long rows)
{
    if (h.xwd.bytes_per_line > uint32_t(LONG_MAX) || long(h.xwd.bytes_per_line) < row) {
        xslerrno = XSE_DATA_READ;
        return false;
    }
    return XslDataPresent(stream, long(h.xwd.bytes_per_line), rows);
}

// The private block between the header and the colour entries.
bool read_private(FILE* stream, uint32_t size, XslBuffer<unsigned char>* block)
{
    const long left = XslBytesLeft(stream);
    if (size > uint32_t(INT32_MAX) || (left >= 0 && long(size) > left)) {
        xslerrno = XSE_PRIVATE_READ;
        return false;
    }
    *block = XslAllocBuffer<unsigned char>(long(size));
    if (!*block)
        return false;
    if (fread(block->get(), 1, size, stream) != size) {
        xslerrno = XSE_PRIVATE_READ;
        return false;
    }
    return true;
}

XslImagePtr read_bitmap(FILE* stream, const XslTimgHeader& h)
{
    const XslXwdHeader& x = h.xwd;
    const int width = dimension(x.pixmap_width);
    if (!lines_fit(stream, h, width < 0 ? 0 : (long(width) + 7) / 8, x.pixmap_height))
        return nullptr;
    XslImagePtr bitmap = XslNewBitmap(width, dimension(x.pixmap_height));
    if (!bitmap
        || !XslRdBitLevelImage(stream, bitmap.get(), int(x.bitmap_unit), long(x.bytes_per_line),
                               x.byte_order != 0, x.bitmap_bit_order != 0))
        return nullptr;
    // Files of this library are written leftmost bit first; others may say otherwise.
    if (x.bitmap_bit_order == 0)
        XSLFlipBytes(bitmap.get());
    return bitmap;
}

// A one-plane pixmap: JPEG data, colormap pixels or direct colour by the depth.
XslImagePtr read_pixmap(FILE* stream, const XslTimgHeader& h, const XslXwdColor* colours, long count)
{
    const XslXwdHeader& x = h.xwd;
    if (x.pixmap_depth == 1 || x.pixmap_depth > 32) {
        xslerrno = XSE_LAYOUT;
        return nullptr;
    }
    const int width = dimension(x.pixmap_width), height = dimension(x.pixmap_height);
    XslImagePtr image;
    bool read = false;
    if (h.jpeg == 1) {
        image.reset(XSLCrNewZmapHeader(width, height, 24));
        read = image && ReadJPEGToRGBImage(stream, image.get());
    } else if (x.pixmap_depth <= 8) {
        image.reset(XSLCrNewZmapHeader(width, height, 8));
        read = image && ReadPseudoColorImage(stream, image.get(), h, colours, count);
    } else {
        image.reset(XSLCrNewZmapHeader(width, height, int(x.pixmap_depth)));
        if (image) {
            image->red_mask = x.red_mask;
            image->green_mask = x.green_mask;
            image->blue_mask = x.blue_mask;
        }
        read = image && ReadTrueColorImage(stream, image.get(), h);
    }
    if (!read)
        return nullptr;
    image->bits_per_sample = static_cast<uint16_t>(x.bits_per_rgb > 0xFFFF ? 0xFFFF : x.bits_per_rgb);
    return image;
}

// 2- and 4-byte pixels stored most significant byte first, in place to host order.
template <class Pixel, uint32_t (*get)(const unsigned char*)>
void to_host(unsigned char* data, long count)
{
    for (long i = 0; i < count; ++i, data += Pixel::size)
        Pixel::store(data, get(data));
}

uint32_t get16(const unsigned char* p)
{
    return XslGet16BE(p);
}

uint32_t get24(const unsigned char* p)
{
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

}  // namespace

int ReadJPEGToRGBImage(FILE* stream, XSImage* image)
{
    XslImagePtr decoded(XslReadEmbeddedJpeg(stream, image->width, image->height));
    if (!decoded)
        return 0;
    XSLFreeData(image);
    image->depth = decoded->depth;
    image->bytes_per_pixel = decoded->bytes_per_pixel;
    image->planes = 1;
    image->red_mask = decoded->red_mask;
    image->green_mask = decoded->green_mask;
    image->blue_mask = decoded->blue_mask;
    image->resolution = 100;
    std::swap(image->data, decoded->data);
    std::swap(image->colormap, decoded->colormap);
    std::swap(image->ncolors, decoded->ncolors);
    return 1;
}

int ReadPseudoColorImage(FILE* stream, XSImage* image, const XslTimgHeader& h, const XslXwdColor* colours,
                         long count)
{
    const long width = image->width;
    if (!lines_fit(stream, h, width, image->height))
        return 0;
    XslBuffer<unsigned char> data = XslAllocBuffer<unsigned char>(width * image->height);
    if (!data || !XslReadChannel(stream, data.get(), long(h.xwd.bytes_per_line), width, image->height))
        return 0;
    image->data = data.release();
    image->planes = 1;
    image->bytes_per_pixel = 1;
    if (count > 0)
        return XslAttachXwdColors(image, colours, count);
    // Without entries the pixels are levels of gray, as in a window dump.
    const uint32_t depth = h.xwd.pixmap_depth < 1 ? 1 : h.xwd.pixmap_depth;
    return XslSetGrayRamp(image, 1 << depth);
}

int ReadTrueColorImage(FILE* stream, XSImage* image, const XslTimgHeader& h)
{
    const uint32_t stored = (h.xwd.bits_per_pixel + 7) / 8;
    if (stored < 2 || stored > 4) {
        xslerrno = XSE_LAYOUT;
        return 0;
    }
    const long kept = stored == 3 ? 4 : stored;
    const long pixels = long(image->width) * image->height;
    if (!lines_fit(stream, h, image->width * long(stored), image->height))
        return 0;
    if (!XSLSizeOK(image->width, image->height, kept)) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    XslBuffer<unsigned char> data = XslAllocBuffer<unsigned char>(pixels * kept);
    if (!data
        || !XslReadChannel(stream, data.get(), long(h.xwd.bytes_per_line), image->width * long(stored),
                           image->height))
        return 0;
    unsigned char* p = data.get();
    if (stored == 2) {
        to_host<XslPixel16, get16>(p, pixels);
    } else if (stored == 4) {
        to_host<XslPixel32, XslGet32BE>(p, pixels);
    } else {
        // Widened from the last pixel backwards, so nothing is overwritten unread.
        for (long i = pixels - 1; i >= 0; --i)
            XslPixel32::store(p + 4 * i, get24(p + 3 * i));
        image->depth = 32;
    }
    image->bytes_per_pixel = static_cast<uint16_t>(kept);
    image->planes = 1;
    image->data = data.release();
    return 1;
}

int ReadRGBImage(FILE* stream, XSImage* image, const XslTimgHeader& h)
{
    const long width = image->width;
    if (!lines_fit(stream, h, width, 3L * image->height))
        return 0;
    for (unsigned char** plane : {&image->data, &image->data_g, &image->data_b}) {
        XslBuffer<unsigned char> data = XslAllocBuffer<unsigned char>(width * image->height);
        if (!data || !XslReadChannel(stream, data.get(), long(h.xwd.bytes_per_line), width, image->height))
            return 0;
        *plane = data.release();
    }
    image->planes = 3;
    return 1;
}

int TCoIndent(uint32_t, uint32_t word1)
{
    return word1 == XSL_TIMG_VERSION ? 1 : 0;
}

int TCoInformation(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info)
{
    XslTimgHeader h;
    if (!read_header(stream, word0, word1, &h))
        return 0;
    info->width = int32_t(h.xwd.pixmap_width);
    info->height = int32_t(h.xwd.pixmap_height);
    info->resolution = int32_t(h.resolution);
    return 1;
}

XSImage* TCoReader(FILE* stream, uint32_t word0, uint32_t word1)
{
    XslTimgHeader h;
    if (!read_header(stream, word0, word1, &h))
        return nullptr;
    // A size below the header's own would make the private block negative.
    if (h.xwd.header_size < uint32_t(XSL_TIMG_HEADER_BYTES)) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    XslBuffer<unsigned char> block;
    const uint32_t private_size = h.xwd.header_size - XSL_TIMG_HEADER_BYTES;
    if (private_size > 0 && !read_private(stream, private_size, &block))
        return nullptr;
    XslBuffer<XslXwdColor> colours;
    if (h.xwd.ncolors != 0) {
        // Entries the file cannot hold are short entries, found before allocating.
        if (!XslDataPresent(stream, XSL_XWD_COLOR_BYTES, long(h.xwd.ncolors))) {
            xslerrno = XSE_PALETTE_READ;
            return nullptr;
        }
        if (!(colours = XslReadXwdColors(stream, h.xwd.ncolors, XSE_PALETTE_READ)))
            return nullptr;
    }

    XslImagePtr image;
    switch (h.xwd.pixmap_format) {
    case kBitmap: image = read_bitmap(stream, h); break;
    case kPixmap: image = read_pixmap(stream, h, colours.get(), long(h.xwd.ncolors)); break;
    case kRgbPlanes:
        image.reset(XSLCrNewZmapHeader(dimension(h.xwd.pixmap_width), dimension(h.xwd.pixmap_height), 8));
        if (image && !ReadRGBImage(stream, image.get(), h))
            image.reset();
        break;
    default: xslerrno = XSE_LAYOUT;
    }
    if (!image)
        return nullptr;
    image->resolution = static_cast<uint16_t>(h.resolution > 0xFFFF ? 0xFFFF : h.resolution);
    image->private_size = int32_t(private_size);
    image->private_data = private_size > 0 ? block.release() : nullptr;
    return image.release();
}

int XSInfoIMG()
{
    return 0;
}
