// The reader toolkit: constructors of each pixel kind, ramps, palettes, bit
// packing, plane splitting and byte-order stream access.
#include "xsreadkit.h"

#include <climits>
#include <cstdlib>
#include <cstring>

XslImagePtr XslNewBitmap(int width, int height)
{
    return XslImagePtr(XSLCrNewBit(width, height));
}

namespace {
// One zero-filled plane. calloc hands a large plane over as fresh pages
// without writing them, so the reader filling it touches each page once.
XslImagePtr newZeroedPlane(int width, int height, int depth)
{
    XslImagePtr image(XSLCrNewZmapHeader(width, height, depth));
    if (!image)
        return nullptr;
    image->planes = 1;
    image->data = XslAllocPlane(XSLDataSize(image.get()), true);
    if (!image->data) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    return image;
}
}  // namespace

XslImagePtr XslNewColormapImage(int width, int height)
{
    return newZeroedPlane(width, height, 8);
}

XslImagePtr XslNewGrayImage(int width, int height, int levels, bool min_is_white)
{
    XslImagePtr image = XslNewColormapImage(width, height);
    if (image && !XslSetGrayRamp(image.get(), levels, min_is_white))
        return nullptr;
    return image;
}

XslImagePtr XslNewDirectImage(int width, int height, int bytes_per_pixel,
                              uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask)
{
    if (bytes_per_pixel < 2 || bytes_per_pixel > 4) {
        xslerrno = XSE_KIND;
        return nullptr;
    }
    XslImagePtr image = newZeroedPlane(width, height, 8 * bytes_per_pixel);
    if (!image)
        return nullptr;
    image->red_mask = red_mask;
    image->green_mask = green_mask;
    image->blue_mask = blue_mask;
    return image;
}

XslImagePtr XslNewRgbImage(int width, int height)
{
    return XslImagePtr(XSLCrNewZmap(width, height, 8));
}

namespace {
int attach(XSImage* image, XslBuffer<XSColor> map, int count)
{
    if (!map)
        return 0;
    free(image->colormap);
    image->colormap = map.release();
    image->ncolors = static_cast<uint16_t>(count);
    return 1;
}
}  // namespace

int XslSetGrayRamp(XSImage* image, int levels, bool min_is_white)
{
    if (levels < 2 || levels > 256) {
        xslerrno = XSE_KIND;
        return 0;
    }
    XslBuffer<XSColor> map = XslAllocBuffer<XSColor>(levels);
    if (map) {
        for (int i = 0; i < levels; ++i) {
            int g = i * 255 / (levels - 1);
            if (min_is_white)
                g = 255 - g;
            const auto v = static_cast<uint16_t>(g);
            map[i] = {static_cast<uint16_t>(i), v, v, v};
        }
    }
    return attach(image, std::move(map), levels);
}

int XslSetPalette(XSImage* image, const unsigned char* bytes, int count, XslPaletteLayout layout)
{
    if (count < 1 || count > 256) {
        xslerrno = XSE_KIND;
        return 0;
    }
    XslBuffer<XSColor> map = XslAllocBuffer<XSColor>(count);
    if (map) {
        for (int i = 0; i < count; ++i) {
            const unsigned char* e = bytes + long(i) * layout.stride;
            map[i] = {static_cast<uint16_t>(i), e[layout.red], e[layout.green], e[layout.blue]};
        }
    }
    return attach(image, std::move(map), count);
}

void XslUnpackBits(const unsigned char* packed, unsigned char* samples, long width, int bits)
{
    if (bits == 8) {
        memcpy(samples, packed, static_cast<size_t>(width));
        return;
    }
    const int per_byte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (long x = 0; x < width; ++x) {
        const int shift = 8 - bits * (1 + int(x % per_byte));
        samples[x] = static_cast<unsigned char>((packed[x / per_byte] >> shift) & mask);
    }
}

void XslPackBitmap(const unsigned char* samples, unsigned char* row, long width, int black)
{
    memset(row, 0, static_cast<size_t>((width + 7) / 8));
    for (long x = 0; x < width; ++x)
        if (samples[x] == black)
            row[x >> 3] |= XslMsbMask[x & 7];
}

void XslRowToPlanes(const unsigned char* row, int channels, long width,
                    unsigned char* red, unsigned char* green, unsigned char* blue)
{
    for (long x = 0; x < width; ++x, row += channels) {
        red[x] = row[0];
        green[x] = row[1];
        blue[x] = row[2];
    }
}

void XslPlanesToRow(const unsigned char* red, const unsigned char* green, const unsigned char* blue,
                    long width, int channels, unsigned char* row)
{
    for (long x = 0; x < width; ++x, row += channels) {
        row[0] = red[x];
        row[1] = green[x];
        row[2] = blue[x];
        for (int c = 3; c < channels; ++c)
            row[c] = 0;
    }
}

long XslRowBytes(long width, long bits, long align)
{
    if (width < 0 || bits < 1 || align < 1 || width > (LONG_MAX - 7) / bits)
        return -1;
    const long bytes = (width * bits + 7) / 8;
    if (bytes > LONG_MAX - align)
        return -1;
    return (bytes + align - 1) / align * align;
}

namespace {
bool read_bytes(FILE* stream, unsigned char* bytes, size_t n)
{
    return fread(bytes, 1, n, stream) == n;
}
}  // namespace

bool XslRead8(FILE* stream, uint32_t* value)
{
    const int c = getc(stream);
    *value = c == EOF ? 0 : static_cast<uint32_t>(c);
    return c != EOF;
}

#define XSL_STREAM_READ(name, n, get)                 \
    bool name(FILE* stream, uint32_t* value)          \
    {                                                 \
        unsigned char b[4] = {};                      \
        const bool ok = read_bytes(stream, b, n);     \
        *value = ok ? get(b) : 0;                     \
        return ok;                                    \
    }
XSL_STREAM_READ(XslRead16BE, 2, XslGet16BE)
XSL_STREAM_READ(XslRead16LE, 2, XslGet16LE)
XSL_STREAM_READ(XslRead32BE, 4, XslGet32BE)
XSL_STREAM_READ(XslRead32LE, 4, XslGet32LE)
#undef XSL_STREAM_READ

#define XSL_STREAM_WRITE(name, n, put)                \
    bool name(FILE* stream, uint32_t value)           \
    {                                                 \
        unsigned char b[4];                           \
        put(b, value);                                \
        return fwrite(b, 1, n, stream) == n;          \
    }
XSL_STREAM_WRITE(XslWrite16BE, 2, XslPut16BE)
XSL_STREAM_WRITE(XslWrite16LE, 2, XslPut16LE)
XSL_STREAM_WRITE(XslWrite32BE, 4, XslPut32BE)
XSL_STREAM_WRITE(XslWrite32LE, 4, XslPut32LE)
#undef XSL_STREAM_WRITE

long XslBytesLeft(FILE* stream)
{
    const long here = ftell(stream);
    if (here < 0 || fseek(stream, 0, SEEK_END) != 0)
        return -1;
    const long end = ftell(stream);
    fseek(stream, here, SEEK_SET);
    return end < here ? 0 : end - here;
}

bool XslDataPresent(FILE* stream, long bytes_per_line, long rows)
{
    const long left = XslBytesLeft(stream);
    if (left < 0 || (rows == 0 || bytes_per_line <= left / rows))
        return true;
    xslerrno = XSE_DATA_READ;
    return false;
}
