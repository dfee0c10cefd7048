// TV11: the version-7 window dump as a member of the native family.
#include "xsiotv.h"

#include <cstring>

#include "xsreadkit.h"

int TV11Indent(uint32_t, uint32_t word1)
{
    return word1 == 7;
}

namespace {
bool read_header(FILE* stream, uint32_t word0, uint32_t word1, XslXwdHeader* header)
{
    unsigned char bytes[XSL_XWD_HEADER_BYTES];
    if (!XslReadNativeHeader(stream, word0, word1, bytes, sizeof bytes))
        return false;
    XslXwdHeaderFromBytes(bytes, header);
    return true;
}

// The window width holds the resolution when nothing else describes a window.
int resolution_of(const XslXwdHeader& h)
{
    if (h.window_width != 0 && h.window_width <= 0xFFFF && h.window_height == 0 && h.window_x == 0 &&
        h.window_y == 0)
        return int(h.window_width);
    return 100;
}

// Fields both writers share.
XslXwdHeader header_for(const XSImage* image)
{
    XslXwdHeader h = {};
    h.header_size = XSL_XWD_HEADER_BYTES;
    h.file_version = 7;
    h.pixmap_width = uint32_t(image->width);
    h.pixmap_height = uint32_t(image->height);
    h.byte_order = 1;
    h.bitmap_bit_order = 1;
    h.window_width = image->resolution ? image->resolution : 100;
    return h;
}

int write_colormap_image(FILE* stream, XSImage* image)
{
    XslXwdHeader h = header_for(image);
    h.pixmap_format = 2;
    h.pixmap_depth = h.bits_per_pixel = 8;
    h.bitmap_unit = h.bitmap_pad = 8;
    h.bytes_per_line = uint32_t(XSLBytesPerLine(image));
    h.visual_class = 3;
    h.colormap_entries = h.ncolors = image->ncolors;
    return XslWriteXwdHeader(stream, h, "") && XslWriteXwdColors(stream, image, 0) &&
           XslWriteChannel(stream, image->data, XSLDataSize(image));
}
}  // namespace

int TV11Information(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info)
{
    XslXwdHeader h;
    if (!read_header(stream, word0, word1, &h))
        return 0;
    info->width = int32_t(h.pixmap_width);
    info->height = int32_t(h.pixmap_height);
    info->resolution = resolution_of(h);
    return 1;
}

XSImage* TV11Reader(FILE* stream, uint32_t word0, uint32_t word1)
{
    XslXwdHeader h;
    if (!read_header(stream, word0, word1, &h))
        return nullptr;
    const XslXwdRules rules = {XSE_PALETTE_READ, false, false, true};
    XslImagePtr image = XslReadXwdBody(stream, h, rules);
    if (image)
        image->resolution = static_cast<uint16_t>(resolution_of(h));
    return image.release();
}

int XslWrBitLevelImage(FILE* stream, XSImage* bitmap)
{
    XslXwdHeader h = header_for(bitmap);
    h.pixmap_depth = h.bits_per_pixel = 1;
    h.bitmap_unit = h.bitmap_pad = 16;
    h.bytes_per_line = (h.pixmap_width + 15) / 16 * 2;
    if (!XslWriteXwdHeader(stream, h, ""))
        return 0;
    XslBuffer<unsigned char> line = XslAllocBuffer<unsigned char>(long(h.bytes_per_line));
    if (!line)
        return 0;
    const long row = XSLBytesPerLine(bitmap);
    for (long y = 0; y < bitmap->height; ++y) {
        memcpy(line.get(), bitmap->data + y * row, size_t(row));
        if (!XslWriteChannel(stream, line.get(), long(h.bytes_per_line)))
            return 0;
    }
    return 1;
}

int TV11Writer(FILE* stream, XSImage* image)
{
    switch (XslKindOf(image)) {
    case XSK_BITMAP: return XslWrBitLevelImage(stream, image);
    case XSK_COLORMAP: return write_colormap_image(stream, image);
    default: xslerrno = XSE_KIND; return 0;
    }
}

int XSInfoXWD11()
{
    return 0;
}
