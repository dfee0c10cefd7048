// Reading PCX files.
#include "xsiopcx.h"

#include <cstring>

#include "xsreadkit.h"
#include "xstwocolor.h"

namespace {
constexpr int kHeaderBytes = 128;
constexpr int kPaletteMarker = 0x0C;

struct PcxHeader {
    int bits;
    int planes;
    int width;
    int height;
    long bytes_per_line;
    int colours;
    unsigned char palette[48];  // 16 entries of red, green, blue
};

XSImage* fail(int code)
{
    xslerrno = code;
    return nullptr;
}

int read_header(FILE* stream, PcxHeader& h)
{
    unsigned char b[kHeaderBytes];
    if (fread(b, 1, sizeof b, stream) != sizeof b)
        return XSE_HEADER_READ;
    if (b[0] != 10 || b[1] >= 6)
        return XSE_BAD_MAGIC;
    if (b[2] != 1)
        return XSE_VARIANT;
    h.bits = b[3];
    h.planes = b[65];
    if ((h.bits != 1 && h.bits != 8) || h.planes < 1 || h.bits * h.planes > 8)
        return XSE_LAYOUT;
    h.colours = 1 << (h.bits * h.planes);
    h.width = XslGet16LE(b + 8) - XslGet16LE(b + 4) + 1;
    h.height = XslGet16LE(b + 10) - XslGet16LE(b + 6) + 1;
    h.bytes_per_line = XslGet16LE(b + 66);
    // Each plane line must hold at least one byte, or decoding would not advance.
    if (h.width < 1 || h.height < 1 || h.bytes_per_line < 1)
        return XSE_BAD_MAGIC;
    memcpy(h.palette, b + 16, sizeof h.palette);
    return 0;
}

// The run-length decoded bytes of the data. A byte of 0xC0 or above counts
// (its low 6 bits) the repetitions of the byte after it; runs may cross lines.
struct RunReader {
    FILE* stream;
    int left = 0;
    int value = 0;
    bool ended = false;  // end of file between runs: the rest stays 0
    bool broken = false; // end of file where a run's value should be

    bool next(int* out)
    {
        while (left == 0) {
            const int c = getc(stream);
            if (c == EOF) {
                ended = true;
                return false;
            }
            if (c < 0xC0) {
                *out = c;
                return true;
            }
            left = c & 0x3F;
            value = getc(stream);
            if (value == EOF) {
                broken = true;
                return false;
            }
        }
        --left;
        *out = value;
        return true;
    }
};

// One row of pixel indices, one byte each: plane k's line supplies bit k
// (1 bit per pixel) or the whole index (8 bits). Bytes beyond the width are
// read and dropped.
bool decode_row(RunReader& runs, const PcxHeader& h, unsigned char* row)
{
    for (int plane = 0; plane < h.planes; ++plane)
        for (long k = 0; k < h.bytes_per_line; ++k) {
            int v;
            if (!runs.next(&v))
                return false;
            if (h.bits == 8) {
                if (k < h.width)
                    row[k] = static_cast<unsigned char>(v);
                continue;
            }
            const long first = 8 * k;
            for (int i = 0; i < 8 && first + i < h.width; ++i)
                if (v & (0x80 >> i))
                    row[first + i] |= static_cast<unsigned char>(1 << plane);
        }
    return true;
}

// The palette after the 0x0C marker that follows the data. A file that has
// no marker gets a gray ramp; one whose palette is cut short is refused.
bool read_end_palette(FILE* stream, XSImage* image, int colours)
{
    int c;
    do
        c = getc(stream);
    while (c != kPaletteMarker && c != EOF);
    if (c == EOF || ferror(stream))
        return XslSetGrayRamp(image, 256);
    unsigned char palette[3 * 256];
    if (fread(palette, 3, static_cast<size_t>(colours), stream) != static_cast<size_t>(colours)) {
        if (ferror(stream))
            return XslSetGrayRamp(image, 256);
        xslerrno = XSE_PALETTE_READ;
        return false;
    }
    return XslSetPalette(image, palette, colours);
}

XSImage* read_bitmap(RunReader& runs, const PcxHeader& h)
{
    XslImagePtr image = XslNewBitmap(h.width, h.height);
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(h.width);
    if (!image || !row)
        return nullptr;
    const XSColor pair[2] = {{0, h.palette[0], h.palette[1], h.palette[2]}, {1, h.palette[3], h.palette[4], h.palette[5]}};
    const int black = XslDarkerEntry(pair);
    const long line = XSLBytesPerLine(image.get());
    for (long y = 0; y < h.height && !runs.ended; ++y) {
        memset(row.get(), 0, static_cast<size_t>(h.width));
        decode_row(runs, h, row.get());
        if (runs.broken)
            return fail(XSE_DATA_READ);
        XslPackBitmap(row.get(), image->data + y * line, h.width, black);
    }
    image->resolution = 100;
    return image.release();
}

XSImage* read_colormap(FILE* stream, RunReader& runs, const PcxHeader& h)
{
    XslImagePtr image = XslNewColormapImage(h.width, h.height);
    if (!image)
        return nullptr;
    for (long y = 0; y < h.height && !runs.ended; ++y) {
        decode_row(runs, h, image->data + y * h.width);
        if (runs.broken)
            return fail(XSE_DATA_READ);
    }
    const bool mapped = h.colours <= 16 ? XslSetPalette(image.get(), h.palette, h.colours)
                                        : read_end_palette(stream, image.get(), h.colours);
    if (!mapped)
        return nullptr;
    image->resolution = 100;
    return image.release();
}
}  // namespace

XSImage* XSReadPCX(FILE* stream)
{
    PcxHeader h;
    if (const int code = read_header(stream, h))
        return fail(code);
    RunReader runs{stream};
    return h.colours == 2 ? read_bitmap(runs, h) : read_colormap(stream, runs, h);
}

int XSInfoPCX()
{
    return 0;
}
