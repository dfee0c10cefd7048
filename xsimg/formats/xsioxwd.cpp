// Reading window dumps: the header, the window name, the colour entries and
// bitmaps; pixmaps go on to XWDReadColor.
#include "xsioxwd.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "xsreadkit.h"

void XslXwdHeaderFromBytes(const unsigned char* bytes, XslXwdHeader* header)
{
    static_assert(sizeof(XslXwdHeader) == XSL_XWD_HEADER_BYTES, "25 words, no padding");
    uint32_t words[25];
    for (int i = 0; i < 25; ++i)
        words[i] = XslGet32BE(bytes + 4 * i);
    memcpy(header, words, sizeof words);
}

namespace {
// The window name is skipped unread; a name running past the end is a short header.
bool skip_window_name(FILE* stream, uint32_t header_size)
{
    if (header_size < uint32_t(XSL_XWD_HEADER_BYTES)) {
        xslerrno = XSE_HEADER_READ;
        return false;
    }
    const unsigned long name = header_size - XSL_XWD_HEADER_BYTES;
    const long left = XslBytesLeft(stream);
    if (name > LONG_MAX || (left >= 0 && long(name) > left)) {
        xslerrno = XSE_HEADER_READ;
        return false;
    }
    if (fseek(stream, long(name), SEEK_CUR) == 0)
        return true;
    for (unsigned long i = 0; i < name; ++i)
        if (getc(stream) == EOF) {
            xslerrno = XSE_HEADER_READ;
            return false;
        }
    return true;
}

}  // namespace

// The count is checked against what the file holds before anything is allocated for it.
XslBuffer<XslXwdColor> XslReadXwdColors(FILE* stream, uint32_t count, int short_code)
{
    const long left = XslBytesLeft(stream);
    const long limit = left >= 0 ? left / XSL_XWD_COLOR_BYTES : 1L << 16;
    if (long(count) > limit || count > (1u << 24)) {
        xslerrno = XSE_CMAP_READ;
        return nullptr;
    }
    XslBuffer<XslXwdColor> colours = XslAllocBuffer<XslXwdColor>(count);
    if (!colours)
        return nullptr;
    unsigned char bytes[XSL_XWD_COLOR_BYTES];
    for (uint32_t i = 0; i < count; ++i) {
        if (fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
            xslerrno = short_code;
            return nullptr;
        }
        colours[i] = {XslGet32BE(bytes), XslGet16BE(bytes + 4), XslGet16BE(bytes + 6), XslGet16BE(bytes + 8),
                      bytes[10], bytes[11]};
    }
    return colours;
}

namespace {
int dimension(uint32_t value)
{
    return value > uint32_t(INT_MAX) ? -1 : int(value);
}

// A dump taken from a black-on-white screen says so with a black pixel 0;
// its set bits are then white.
bool pixel_zero_is_black(const XslXwdColor* colours, long count)
{
    for (long i = 0; i < count; ++i)
        if (colours[i].pixel == 0 && colours[i].red == 0 && colours[i].green == 0 && colours[i].blue == 0)
            return true;
    return false;
}

// Bits beyond the width are left clear, whatever the file held there.
void clear_row_tails(XSImage* bitmap)
{
    const int used = bitmap->width % 8;
    if (used == 0)
        return;
    const long row = XSLBytesPerLine(bitmap);
    const auto keep = static_cast<unsigned char>(0xFF00 >> used);
    for (long y = 0; y < bitmap->height; ++y)
        bitmap->data[y * row + row - 1] &= keep;
}

XslImagePtr read_bitmap(FILE* stream, const XslXwdHeader& h, const XslXwdColor* colours, long count,
                        const XslXwdRules& rules)
{
    int unit = int(h.bitmap_unit);
    if (rules.any_bitmap_unit && unit != 16 && unit != 32)
        unit = 8;
    if (rules.bitmap_needs_one_bit && h.bits_per_pixel != 1) {
        xslerrno = XSE_VARIANT;
        return nullptr;
    }
    long stride = h.bytes_per_line > uint32_t(LONG_MAX) ? -1 : long(h.bytes_per_line);
    if (rules.unit8_one_block && unit == 8)
        stride = XslRowBytes(h.pixmap_width, 1);
    if (stride < 0 || !XslDataPresent(stream, stride, h.pixmap_height))
        return nullptr;
    XslImagePtr bitmap = XslNewBitmap(dimension(h.pixmap_width), dimension(h.pixmap_height));
    if (!bitmap ||
        !XslRdBitLevelImage(stream, bitmap.get(), unit, stride, h.byte_order != 0, h.bitmap_bit_order != 0))
        return nullptr;
    if (h.bitmap_bit_order == 0)
        XSLFlipBytes(bitmap.get());
    if (pixel_zero_is_black(colours, count)) {
        const long size = XSLDataSize(bitmap.get());
        for (long i = 0; i < size; ++i)
            bitmap->data[i] = static_cast<unsigned char>(~bitmap->data[i]);
    }
    clear_row_tails(bitmap.get());
    return bitmap;
}

// Reverses the bytes of every unit of `size` bytes in the line.
void reorder_units(unsigned char* line, long length, int size)
{
    for (long i = 0; i + size <= length; i += size)
        std::reverse(line + i, line + i + size);
}
}  // namespace

int XslRdBitLevelImage(FILE* stream, XSImage* bitmap, int bitmap_unit, long bytes_per_line, int byte_order,
                       int bit_order)
{
    if (bitmap_unit != 8 && bitmap_unit != 16 && bitmap_unit != 32) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    const long row = XSLBytesPerLine(bitmap);
    if (bytes_per_line < row) {
        xslerrno = XSE_DATA_READ;
        return 0;
    }
    if (bitmap_unit == 8 || (byte_order != 0) == (bit_order != 0))
        return XslReadChannel(stream, bitmap->data, bytes_per_line, row, bitmap->height);

    // Whole units only: a line is read into a buffer rounded up to its unit.
    const int unit_bytes = bitmap_unit / 8;
    if (bytes_per_line > LONG_MAX - unit_bytes) {
        xslerrno = XSE_DATA_READ;
        return 0;
    }
    const long rounded = (bytes_per_line + unit_bytes - 1) / unit_bytes * unit_bytes;
    XslBuffer<unsigned char> line = XslAllocBuffer<unsigned char>(rounded);
    if (!line)
        return 0;
    for (long y = 0; y < bitmap->height; ++y) {
        if (!XslReadChannel(stream, line.get(), bytes_per_line, bytes_per_line, 1))
            return 0;
        reorder_units(line.get(), rounded, unit_bytes);
        memcpy(bitmap->data + y * row, line.get(), size_t(row));
    }
    return 1;
}

XslImagePtr XslReadXwdBody(FILE* stream, const XslXwdHeader& header, const XslXwdRules& rules)
{
    if (!skip_window_name(stream, header.header_size))
        return nullptr;
    XslBuffer<XslXwdColor> colours;
    if (header.ncolors != 0 && !(colours = XslReadXwdColors(stream, header.ncolors, rules.short_colours_code)))
        return nullptr;
    const long count = long(header.ncolors);
    if (header.pixmap_depth == 1)
        return read_bitmap(stream, header, colours.get(), count, rules);
    return XslImagePtr(XWDReadColor(stream, &header, colours.get(), count));
}

XSImage* XwdReader(FILE* stream)
{
    unsigned char bytes[XSL_XWD_HEADER_BYTES];
    if (fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    XslXwdHeader header;
    XslXwdHeaderFromBytes(bytes, &header);
    if (header.file_version != 7) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    const XslXwdRules rules = {XSE_CMAP_READ, true, true};
    XslImagePtr image = XslReadXwdBody(stream, header, rules);
    if (image && image->resolution == 0)
        image->resolution = 100;
    return image.release();
}

int XSInfoXWD()
{
    return 0;
}
