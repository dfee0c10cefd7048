// Reading PCX files.
#include "xsiopcx.h"

#include <algorithm>
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
    int colours;        // palette entries the indices reach; 0 for true colour
    bool true_colour;   // 8 bits in 3 planes (red, green, blue), or 4 with the fourth ignored
    unsigned char palette[48];  // 16 entries of red, green, blue
};

XSImage* fail(int code)
{
    xslerrno = code;
    return nullptr;
}

// Layouts read: 1 bit in 1 to 8 planes, 2 or 4 bits packed in one plane,
// 8 bits in one plane (indices) or in 3 or 4 planes (true colour).
bool known_layout(int bits, int planes)
{
    switch (bits) {
    case 1: return planes >= 1 && planes <= 8;
    case 2:
    case 4: return planes == 1;
    case 8: return planes == 1 || planes == 3 || planes == 4;
    default: return false;
    }
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
    if (!known_layout(h.bits, h.planes))
        return XSE_LAYOUT;
    h.true_colour = h.bits == 8 && h.planes > 1;
    h.colours = h.true_colour ? 0 : 1 << (h.bits * h.planes);
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

// One row from its plane lines. Indexed layouts fill one byte per pixel in
// out[0]: plane k's line supplies bit k (1 bit per pixel), the packed
// samples (2 and 4 bits) or the whole index (8 bits). True colour fills
// out[0..2] from the first three planes. Bytes beyond the width are read
// and dropped.
bool decode_row(RunReader& runs, const PcxHeader& h, unsigned char* const* out)
{
    const int per_byte = 8 / h.bits;
    const int mask = (1 << h.bits) - 1;
    for (int plane = 0; plane < h.planes; ++plane)
        for (long k = 0; k < h.bytes_per_line; ++k) {
            int v;
            if (!runs.next(&v))
                return false;
            if (h.bits == 8) {
                if (k < h.width && (!h.true_colour || plane < 3))
                    out[h.true_colour ? plane : 0][k] = static_cast<unsigned char>(v);
                continue;
            }
            const long first = per_byte * k;
            unsigned char* row = out[0];
            for (int i = 0; i < per_byte && first + i < h.width; ++i) {
                const int sample = v >> (8 - h.bits * (i + 1)) & mask;
                if (h.bits != 1)
                    row[first + i] = static_cast<unsigned char>(sample);
                else if (sample)
                    row[first + i] |= static_cast<unsigned char>(1 << plane);
            }
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

// Sets bits first to end - 1 of a bitmap row.
void set_bits(unsigned char* row, long first, long end)
{
    for (; first < end && first % 8 != 0; ++first)
        row[first / 8] |= static_cast<unsigned char>(0x80 >> first % 8);
    const long whole = (end - first) / 8;
    if (whole > 0) {
        memset(row + first / 8, 0xFF, static_cast<size_t>(whole));
        first += 8 * whole;
    }
    for (; first < end; ++first)
        row[first / 8] |= static_cast<unsigned char>(0x80 >> first % 8);
}

// Two colours print as black and white only when the header palette says
// black and white, or says nothing (both entries alike, as in a palette left
// zero); the darker entry is black.
bool black_and_white(const PcxHeader& h)
{
    const XSColor pair[2] = {{0, h.palette[0], h.palette[1], h.palette[2]}, {1, h.palette[3], h.palette[4], h.palette[5]}};
    return XslBlackAndWhite(pair) || memcmp(h.palette, h.palette + 3, 3) == 0;
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
    unsigned char* const out[1] = {row.get()};
    // Pixels beyond what a plane line holds are index 0. Only the part the
    // lines cover is unpacked and packed, so a short line costs what it holds,
    // not the width.
    const long covered = std::min<long>(h.width, 8 * h.bytes_per_line);
    for (long y = 0; y < h.height && !runs.ended; ++y) {
        memset(row.get(), 0, static_cast<size_t>(covered));
        decode_row(runs, h, out);
        if (runs.broken)
            return fail(XSE_DATA_READ);
        unsigned char* bits = image->data + y * line;
        XslPackBitmap(row.get(), bits, covered, black);
        if (black == 0)
            set_bits(bits, covered, h.width);
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
        unsigned char* const out[1] = {image->data + y * h.width};
        decode_row(runs, h, out);
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

XSImage* read_true_colour(RunReader& runs, const PcxHeader& h)
{
    XslImagePtr image = XslNewRgbImage(h.width, h.height);
    if (!image)
        return nullptr;
    for (long y = 0; y < h.height && !runs.ended; ++y) {
        const long at = y * h.width;
        unsigned char* const out[3] = {image->data + at, image->data_g + at, image->data_b + at};
        decode_row(runs, h, out);
        if (runs.broken)
            return fail(XSE_DATA_READ);
    }
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
    if (h.true_colour)
        return read_true_colour(runs, h);
    if (h.colours == 2 && black_and_white(h))
        return read_bitmap(runs, h);
    return read_colormap(stream, runs, h);
}

int XSInfoPCX()
{
    return 0;
}
