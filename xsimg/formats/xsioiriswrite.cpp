// Writing SGI image files, run-length coded, the row tables last.
#include <cstring>

#include "xsconv.h"
#include "xsioiris.h"
#include "xsioirisformat.h"
#include "xsreadkit.h"
#include "xswritecopy.h"

namespace {
constexpr long kMaxSide = 0xFFFF;  // sizes are 16-bit fields
constexpr long kMaxPacket = 126;

bool write_header(FILE* stream, const XSImage* image, int channels)
{
    unsigned char b[XS_IRIS_DATA_START] = {};
    XslPut16BE(b, XS_IRIS_MAGIC);
    b[2] = XS_IRIS_RUN_LENGTH;
    b[3] = 1;  // bytes per channel
    XslPut16BE(b + 4, channels == 3 ? 3 : 2);
    XslPut16BE(b + 6, static_cast<uint32_t>(image->width));
    XslPut16BE(b + 8, static_cast<uint32_t>(image->height));
    XslPut16BE(b + 10, static_cast<uint32_t>(channels));
    XslPut32BE(b + 16, 255);  // largest pixel value
    strcpy(reinterpret_cast<char*>(b + 24), "Tevrak XSLImageLib Write");
    return fwrite(b, 1, sizeof b, stream) == sizeof b;
}

// Packets of at most 126 bytes: literals up to the next three equal bytes,
// then the run that starts there; a zero byte ends the row. Returns the coded
// length, which stays within XslIrisRowLimit.
long encode_row(const unsigned char* in, long n, unsigned char* out)
{
    long o = 0;
    for (long i = 0; i < n;) {
        long run = i;
        while (run + 2 < n && !(in[run] == in[run + 1] && in[run] == in[run + 2]))
            ++run;
        if (run + 2 >= n)
            run = n;  // no three alike: the rest is literal
        for (long k; i < run; i += k) {
            k = run - i < kMaxPacket ? run - i : kMaxPacket;
            out[o++] = static_cast<unsigned char>(XS_IRIS_LITERAL | k);
            memcpy(out + o, in + i, static_cast<size_t>(k));
            o += k;
        }
        if (run == n)
            break;
        long end = run;
        while (end < n && in[end] == in[run])
            ++end;
        for (long k; i < end; i += k) {
            k = end - i < kMaxPacket ? end - i : kMaxPacket;
            out[o++] = static_cast<unsigned char>(k);
            out[o++] = in[run];
        }
    }
    out[o++] = 0;
    return o;
}

// Channel rows of image row y: the three planes as they are, or the
// luminance of each pixel's colormap entry (pixels beyond the colormap are black).
const unsigned char* channel_row(const XSImage* image, long y, int channel, unsigned char* luminance)
{
    const long at = y * image->width;
    if (image->planes == 3) {
        const unsigned char* planes[] = {image->data, image->data_g, image->data_b};
        return planes[channel] + at;
    }
    unsigned char level[256] = {};
    for (int i = 0; i < image->ncolors && i < 256; ++i) {
        const XSColor& c = image->colormap[i];
        level[i] = static_cast<unsigned char>((79 * (c.red & 0xFF) + 156 * (c.green & 0xFF) + 21 * (c.blue & 0xFF)) >> 8);
    }
    for (long x = 0; x < image->width; ++x)
        luminance[x] = level[image->data[at + x]];
    return luminance;
}

bool fail(int code)
{
    xslerrno = code;
    return false;
}

// Rows bottom to top, each row's channels together, then the two tables.
bool write_body(FILE* stream, long base, const XSImage* image, int channels)
{
    const long width = image->width, height = image->height, entries = height * channels;
    XslBuffer<unsigned char> luminance = XslAllocBuffer<unsigned char>(width);
    XslBuffer<unsigned char> coded = XslAllocBuffer<unsigned char>(XslIrisRowLimit(width));
    XslBuffer<unsigned char> tables = XslAllocBuffer<unsigned char>(8 * entries);
    if (!luminance || !coded || !tables)
        return false;
    if (fwrite(tables.get(), 1, static_cast<size_t>(8 * entries), stream) != static_cast<size_t>(8 * entries))
        return fail(XSE_DATA_WRITE);
    long offset = XS_IRIS_DATA_START + 8 * entries;
    for (long y = 0; y < height; ++y)
        for (int z = 0; z < channels; ++z) {
            const unsigned char* row = channel_row(image, height - 1 - y, z, luminance.get());
            const long length = encode_row(row, width, coded.get());
            if (fwrite(coded.get(), 1, static_cast<size_t>(length), stream) != static_cast<size_t>(length))
                return fail(XSE_DATA_WRITE);
            XslPut32BE(tables.get() + 4 * (z * height + y), static_cast<uint32_t>(offset));
            XslPut32BE(tables.get() + 4 * (entries + z * height + y), static_cast<uint32_t>(length));
            offset += length;
        }
    if (fseek(stream, base + XS_IRIS_DATA_START, SEEK_SET) != 0
        || fwrite(tables.get(), 1, static_cast<size_t>(8 * entries), stream) != static_cast<size_t>(8 * entries)
        || fseek(stream, base + offset, SEEK_SET) != 0)
        return fail(XSE_DATA_WRITE);
    return true;
}
}  // namespace

int XSWriteIRIS(FILE* stream, XSImage* image)
{
    if (image->width > kMaxSide || image->height > kMaxSide) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    const XslPixelKind kind = XslKindOf(image);
    XslImagePtr copy;
    if (kind != XSK_COLORMAP && kind != XSK_RGB) {
        // Bitmaps go out as gray, every other kind as RGB planes.
        copy = XslConvertedCopy(image, kind == XSK_BITMAP ? XSLBitmapToGray : XSLConv24RGB);
        if (!copy)
            return 0;
    }
    const XSImage* source = copy ? copy.get() : image;
    const int channels = source->planes == 3 ? 3 : 1;
    const long base = ftell(stream);
    if (base < 0 || !write_header(stream, source, channels)) {
        xslerrno = XSE_READ_ERROR;  // the code for a header not written
        return 0;
    }
    if (!write_body(stream, base, source, channels))
        return 0;
    if (ferror(stream)) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
}
