// Writing PCX files: run-length encoded plane lines and the 256-entry palette
// at the end.
#include <cstring>

#include "xsconv.h"
#include "xsiopcx.h"
#include "xsquantize.h"
#include "xsreadkit.h"

namespace {
constexpr int kHeaderBytes = 128;
constexpr int kMaxRun = 63;

struct PcxForm {
    int bits;
    int planes;
    long bytes_per_line;  // a plane line, rounded up to an even byte count
};

// Entries the pixels use: the colormap's, or more when some pixels lie beyond
// it (the library reads those as black, and so must the file).
int entries_used(const XSImage* image)
{
    unsigned char highest = 0;
    const long size = XSLDataSize(image);
    for (long i = 0; i < size; ++i)
        if (image->data[i] > highest)
            highest = image->data[i];
    return highest < image->ncolors ? image->ncolors : highest + 1;
}

// Palette entry i: the colormap's, black for a used index beyond it, else white.
void put_entry(unsigned char* rgb, const XSImage* image, int i, int used)
{
    if (i < image->ncolors) {
        rgb[0] = static_cast<unsigned char>(image->colormap[i].red);
        rgb[1] = static_cast<unsigned char>(image->colormap[i].green);
        rgb[2] = static_cast<unsigned char>(image->colormap[i].blue);
    } else if (i < used) {
        rgb[0] = rgb[1] = rgb[2] = 0;
    }
}

PcxForm form_of(const XSImage* image, int used)
{
    const int n = used;
    PcxForm form = {1, n <= 2 ? 1 : n <= 4 ? 2 : n <= 8 ? 3 : 4, 0};
    if (n > 16)
        form = {8, 1, 0};
    form.bytes_per_line = (XslRowBytes(image->width, form.bits) + 1) / 2 * 2;
    return form;
}

// Header fields hold 16 bits.
bool fits(const XSImage* image, const PcxForm& form)
{
    return image->width <= 0x10000 && image->height <= 0x10000 && form.bytes_per_line <= 0xFFFF;
}

bool write_header(FILE* stream, const XSImage* image, const PcxForm& form, int used)
{
    unsigned char h[kHeaderBytes] = {10, 5, 1, static_cast<unsigned char>(form.bits)};
    XslPut16LE(h + 8, uint32_t(image->width - 1));
    XslPut16LE(h + 10, uint32_t(image->height - 1));
    XslPut16LE(h + 12, uint32_t(image->width));
    XslPut16LE(h + 14, uint32_t(image->height));
    memset(h + 16, 255, 48);
    for (int i = 0; i < used && i < 16; ++i)
        put_entry(h + 16 + 3 * i, image, i, used);
    h[65] = static_cast<unsigned char>(form.planes);
    XslPut16LE(h + 66, uint32_t(form.bytes_per_line));
    return fwrite(h, 1, sizeof h, stream) == sizeof h;
}

// Runs of equal bytes up to 63 long; a run longer than one, or a byte that
// would read as a count, goes out as 0xC0 | length and the byte.
void put_plane(FILE* stream, const unsigned char* line, long length)
{
    for (long i = 0; i < length;) {
        long run = 1;
        while (i + run < length && run < kMaxRun && line[i + run] == line[i])
            ++run;
        if (run > 1 || line[i] >= 0xC0)
            putc(0xC0 | int(run), stream);
        putc(line[i], stream);
        i += run;
    }
}

bool write_rows(FILE* stream, const XSImage* image, const PcxForm& form)
{
    XslBuffer<unsigned char> line = XslAllocBuffer<unsigned char>(form.bytes_per_line);
    if (!line)
        return false;
    for (long y = 0; y < image->height; ++y) {
        const unsigned char* row = image->data + y * image->width;
        for (int plane = 0; plane < form.planes; ++plane) {
            memset(line.get(), 0, static_cast<size_t>(form.bytes_per_line));
            if (form.bits == 8)
                memcpy(line.get(), row, static_cast<size_t>(image->width));
            else
                for (long x = 0; x < image->width; ++x)
                    if (row[x] >> plane & 1)
                        line[x >> 3] |= XslMsbMask[x & 7];
            put_plane(stream, line.get(), form.bytes_per_line);
        }
        if (ferror(stream))
            break;
    }
    return true;
}

void write_end_palette(FILE* stream, const XSImage* image, int used)
{
    unsigned char palette[1 + 3 * 256];
    palette[0] = 0x0C;
    memset(palette + 1, 255, 3 * 256);
    for (int i = 0; i < used && i < 256; ++i)
        put_entry(palette + 1 + 3 * i, image, i, used);
    fwrite(palette, 1, sizeof palette, stream);
}

int write_colormap_image(FILE* stream, const XSImage* image)
{
    const int used = entries_used(image);
    const PcxForm form = form_of(image, used);
    if (!fits(image, form)) {
        xslerrno = XSE_VARIANT;   // a side too long for the format, nothing written
        return 0;
    }
    if (!write_header(stream, image, form, used)) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    if (!write_rows(stream, image, form))
        return 0;
    write_end_palette(stream, image, used);
    if (ferror(stream)) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
}
}  // namespace

int XSWritePCX(FILE* stream, XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind == XSK_COLORMAP)
        return write_colormap_image(stream, image);
    if (kind == XSK_OTHER) {
        xslerrno = XSE_KIND;
        return 0;
    }
    // Other kinds become a colormap image on a copy first.
    XslImagePtr copy(XSLAllocAndCopy(image));
    if (!copy)
        return 0;
    if (!(kind == XSK_BITMAP ? XSLBitmapToGray(copy.get()) : XSLQuantize(copy.get(), 256)))
        return 0;
    return write_colormap_image(stream, copy.get());
}
