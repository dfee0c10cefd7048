// Single-pixel access and horizontal runs, for every pixel kind.
#include "xsdirect.h"

#include <cstring>

namespace {

bool inside(const XSImage* image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image->width && y < image->height;
}

long pixelOffset(const XSImage* image, int x, int y)
{
    return long(y) * image->width + x;
}

unsigned char* bitmapByte(const XSImage* image, int x, int y)
{
    return image->data + long(y) * XSLBytesPerLine(image) + x / 8;
}

// The colormap index of a colour, appending it when it is new and there is room;
// -1 with code XSE_KIND (full) or XSE_NO_MEMORY (no memory) otherwise.
int indexFor(XSImage* image, int red, int green, int blue)
{
    const int found = XSLSearchCmapIndex(image->colormap, image->ncolors, red, green, blue);
    return found >= 0 ? found : XslAppendColor(image, red, green, blue);
}

void storeDirect(const XSImage* image, long first, long count, uint32_t value)
{
    XslWithDirectPixel(image->bytes_per_pixel, [&](auto pixel) {
        unsigned char* p = image->data + first * pixel.size;
        for (long i = 0; i < count; i++, p += pixel.size)
            pixel.store(p, value);
    });
}

void putPixel(XSImage* image, int x, int y, int red, int green, int blue, XslDirectWriter& cache)
{
    if (!inside(image, x, y))
        return;
    const long at = pixelOffset(image, x, y);
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_BITMAP:
        if (red & 0xFF)
            *bitmapByte(image, x, y) &= ~XslMsbMask[x % 8];
        else
            *bitmapByte(image, x, y) |= XslMsbMask[x % 8];
        return;
    case XSK_RGB:
        image->data[at] = static_cast<unsigned char>(red);
        image->data_g[at] = static_cast<unsigned char>(green);
        image->data_b[at] = static_cast<unsigned char>(blue);
        return;
    case XSK_COLORMAP: {
        const int index = indexFor(image, red, green, blue);
        if (index >= 0)
            image->data[at] = static_cast<unsigned char>(index);
        return;
    }
    case XSK_DIRECT:
        XslUpdateDirectWriter(&cache, image);
        storeDirect(image, at, 1, cache.value(red, green, blue));
        return;
    default:
        XslRefuseKind(kind);
    }
}

// The channel tables of the masks they were built for, rebuilt when the masks
// change: single pixels read exactly as every conversion reads them.
struct ChannelCache {
    bool built;
    uint32_t masks[3];
    XslDirectReader reader;
};

bool getPixel(const XSImage* image, int x, int y, ChannelCache& cache, int rgb[3])
{
    const long at = pixelOffset(image, x, y);
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_BITMAP: {
        const int level = (*bitmapByte(image, x, y) & XslMsbMask[x % 8]) ? 0 : 255;
        rgb[0] = rgb[1] = rgb[2] = level;
        return true;
    }
    case XSK_RGB:
        rgb[0] = image->data[at];
        rgb[1] = image->data_g[at];
        rgb[2] = image->data_b[at];
        return true;
    case XSK_COLORMAP: {
        const unsigned index = image->data[at];
        if (index >= image->ncolors) {   // a byte beyond the colormap reads as black
            rgb[0] = rgb[1] = rgb[2] = 0;
            return true;
        }
        const XSColor& entry = image->colormap[index];
        rgb[0] = entry.red;
        rgb[1] = entry.green;
        rgb[2] = entry.blue;
        return true;
    }
    case XSK_DIRECT: {
        if (!cache.built || cache.masks[0] != image->red_mask || cache.masks[1] != image->green_mask
            || cache.masks[2] != image->blue_mask) {
            cache.masks[0] = image->red_mask;
            cache.masks[1] = image->green_mask;
            cache.masks[2] = image->blue_mask;
            XslInitDirectReader(&cache.reader, image);
            cache.built = true;
        }
        uint32_t value = 0;
        XslWithDirectPixel(image->bytes_per_pixel,
                           [&](auto pixel) { value = pixel.fetch(image->data + at * pixel.size); });
        unsigned char bytes[3];
        cache.reader.read(value, bytes);
        for (int c = 0; c < 3; c++)
            rgb[c] = bytes[c];
        return true;
    }
    default:
        XslRefuseKind(kind);
        return false;
    }
}

// Sets (black) or clears (white) the bits of pixels first .. end - 1 of a bitmap row.
void fillBits(unsigned char* row, int first, int end, bool black)
{
    for (int x = first; x < end; x++) {
        if (x % 8 == 0 && end - x >= 8) {
            const int bytes = (end - x) / 8;
            memset(row + x / 8, black ? 0xFF : 0x00, bytes);
            x += bytes * 8 - 1;
        } else if (black) {
            row[x / 8] |= XslMsbMask[x % 8];
        } else {
            row[x / 8] &= ~XslMsbMask[x % 8];
        }
    }
}

// The direct value of one colour as a run computes it: truncate(value x max / 255.0)
// per channel, kept to 8 bits and shifted into place.
uint32_t runValue(const XSImage* image, int red, int green, int blue)
{
    const uint32_t masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    const int levels[3] = {red & 0xFF, green & 0xFF, blue & 0xFF};
    uint32_t value = 0;
    for (int c = 0; c < 3; c++) {
        const XslChannel channel = XslChannelOf(masks[c]);
        const uint32_t field = static_cast<uint32_t>(levels[c] * double(channel.max) / 255.0) & 0xFF;
        value |= field << channel.shift;
    }
    return value;
}

// Each thread keeps its own caches, so two threads drawing never share one.
thread_local XslDirectWriter putCache;
thread_local XslDirectWriter putCache2;
thread_local ChannelCache getCache;
thread_local ChannelCache getCache2;

} // namespace

void XSLPutPixel(XSImage* image, int x, int y, int red, int green, int blue)
{
    putPixel(image, x, y, red, green, blue, putCache);
}

void XSLPutPixel2(XSImage* image, int x, int y, XSColor color)
{
    putPixel(image, x, y, color.red, color.green, color.blue, putCache2);
}

void XSLGetPixel(XSImage* image, int x, int y, int* red, int* green, int* blue)
{
    int rgb[3];
    if (!inside(image, x, y) || !getPixel(image, x, y, getCache, rgb))
        return;
    *red = rgb[0];
    *green = rgb[1];
    *blue = rgb[2];
}

void XSLGetPixel2(XSImage* image, int x, int y, unsigned char* rgb)
{
    int values[3];
    if (!inside(image, x, y) || !getPixel(image, x, y, getCache2, values))
        return;
    for (int c = 0; c < 3; c++)
        rgb[c] = static_cast<unsigned char>(values[c]);
}

void XSLPutLine(XSImage* image, int x1, int x2, int y, int red, int green, int blue)
{
    if (y < 0 || y >= image->height || x1 > image->width || x2 < 0)
        return;
    const int last = image->width - 1;
    x1 = x1 < 0 ? 0 : (x1 > last ? last : x1);
    x2 = x2 < 0 ? 0 : (x2 > last ? last : x2);
    if (x1 == x2)
        x2++;
    const long first = pixelOffset(image, x1, y);
    const long count = x2 > x1 ? x2 - x1 : 0;
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_BITMAP: {
        const int r = red & 0xFF, g = green & 0xFF, b = blue & 0xFF;
        const bool black = r == 0 && g == 0 && b == 0;
        if (!black && !(r == 255 && g == 255 && b == 255)) {
            xslerrno = XSE_BITMAP_COLOR;
            return;
        }
        fillBits(image->data + long(y) * XSLBytesPerLine(image), x1, x2, black);
        return;
    }
    case XSK_RGB:
        memset(image->data + first, red & 0xFF, count);
        memset(image->data_g + first, green & 0xFF, count);
        memset(image->data_b + first, blue & 0xFF, count);
        return;
    case XSK_COLORMAP: {
        const int index = indexFor(image, red, green, blue);
        if (index >= 0)
            memset(image->data + first, index, count);
        return;
    }
    case XSK_DIRECT:
        storeDirect(image, first, count, runValue(image, red, green, blue));
        return;
    default:
        XslRefuseKind(kind);
    }
}
