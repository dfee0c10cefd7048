// Reading the portable-anymap forms P1 to P6.
#include "xsiopbm.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "xsio.h"
#include "xsreadkit.h"

namespace {
// Walks the text parts of a file. Blanks, commas and "#" comments separate
// numbers; any other character the caller does not accept marks the file as
// garbage and is skipped.
struct PnmScanner {
    FILE* stream;
    bool garbage = false;
    bool eof = false;
    long found = 0;  // numbers or bits delivered
};

bool is_separator(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',';
}

bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}

// The next character that is neither separator nor comment, or EOF.
int next_token_char(PnmScanner& scan, int (*accept)(int))
{
    for (;;) {
        int c = getc(scan.stream);
        if (c == EOF) {
            scan.eof = true;
            return EOF;
        }
        if (c == '#') {
            while (c != '\n' && c != EOF)
                c = getc(scan.stream);
            continue;
        }
        if (is_separator(c))
            continue;
        if (accept(c))
            return c;
        scan.garbage = true;
    }
}

int accept_digit(int c)
{
    return is_digit(c);
}

int accept_bit(int c)
{
    return c == '0' || c == '1';
}

// A decimal number (held at INT_MAX when it is larger); 0 at end of file.
int getint(PnmScanner& scan)
{
    int c = next_token_char(scan, accept_digit);
    if (c == EOF)
        return 0;
    long value = 0;
    for (; is_digit(c); c = getc(scan.stream))
        value = value > (INT_MAX - 9) / 10 ? INT_MAX : value * 10 + (c - '0');
    if (c != EOF)
        ungetc(c, scan.stream);
    ++scan.found;
    return static_cast<int>(value);
}

// One "0" or "1"; 0 at end of file.
int getbit(PnmScanner& scan)
{
    int c = next_token_char(scan, accept_bit);
    if (c == EOF)
        return 0;
    ++scan.found;
    return c - '0';
}

void skip_line(FILE* stream)
{
    int c;
    do
        c = getc(stream);
    while (c != '\n' && c != EOF);
}

struct Header {
    int form;
    int width;
    int height;
    int shift;    // halvings that bring maxval below 256
    int maxval;   // after the halvings
};

bool read_header(PnmScanner& scan, Header& h)
{
    const int p = getc(scan.stream);
    const int digit = getc(scan.stream);
    if (p != 'P' || digit < '1' || digit > '6') {
        xslerrno = XSE_BAD_MAGIC;
        return false;
    }
    h.form = digit - '0';
    h.width = getint(scan);
    h.height = getint(scan);
    int maxval = 1;
    if (h.form != 1 && h.form != 4) {
        maxval = getint(scan);
        if (maxval < 1)
            scan.garbage = true;
    }
    skip_line(scan.stream);
    // A size of zero means the header ended before its numbers.
    if (scan.garbage || h.width < 1 || h.height < 1) {
        xslerrno = XSE_HEADER_READ;
        return false;
    }
    h.shift = 0;
    while (maxval > 255) {
        maxval >>= 1;
        ++h.shift;
    }
    h.maxval = maxval;
    return true;
}


bool read_plain_bits(PnmScanner& scan, XSImage* image)
{
    const long row_bytes = XSLBytesPerLine(image);
    for (long y = 0; y < image->height && !scan.eof; ++y) {
        unsigned char* row = image->data + y * row_bytes;
        for (long x = 0; x < image->width && !scan.eof; ++x)
            if (getbit(scan))
                row[x >> 3] |= XslMsbMask[x & 7];
    }
    return scan.found == long(image->width) * image->height;
}

// Plain samples, shifted into 0 ... maxval.
bool read_plain_samples(PnmScanner& scan, unsigned char* plane, long count, const Header& h)
{
    for (long i = 0; i < count && !scan.eof; ++i) {
        const int sample = getint(scan) >> h.shift;
        plane[i] = static_cast<unsigned char>(sample < h.maxval ? sample : h.maxval);
    }
    return scan.found == count;
}

// Raw bytes can exceed maxval (a maxval of 100, or 300 halved to 150); they
// are held at maxval so that they stay inside the colormap and the scaling table.
void clamp_samples(unsigned char* plane, long count, int maxval)
{
    if (maxval >= 255)
        return;
    for (long i = 0; i < count; ++i)
        if (plane[i] > maxval)
            plane[i] = static_cast<unsigned char>(maxval);
}

bool read_samples(PnmScanner& scan, const Header& h, unsigned char* plane, long count)
{
    const bool raw = h.form > 3;
    if (raw) {
        if (!XSReadData(plane, 1, static_cast<size_t>(count), scan.stream))
            return false;
        clamp_samples(plane, count, h.maxval);
        return true;
    }
    return read_plain_samples(scan, plane, count, h) && !scan.garbage;
}

void scale_to_full_range(unsigned char* plane, long count, int maxval)
{
    if (maxval >= 255)
        return;
    unsigned char table[256];
    for (int v = 0; v <= maxval; ++v)
        table[v] = static_cast<unsigned char>(v * 255 / maxval);
    for (long i = 0; i < count; ++i)
        plane[i] = table[plane[i]];
}

XslImagePtr make_image(const Header& h)
{
    switch (h.form) {
    case 1:
    case 4:
        return XslNewBitmap(h.width, h.height);
    case 2:
    case 5:
        return XslNewGrayImage(h.width, h.height, h.maxval + 1);
    default:
        return XslNewDirectImage(h.width, h.height, 3);
    }
}

// Fills the planes; false with the code set.
bool read_pixels(PnmScanner& scan, const Header& h, XSImage* image)
{
    scan.found = 0;
    const long pixels = long(image->width) * image->height;
    bool complete = false;
    switch (h.form) {
    case 1:
        complete = read_plain_bits(scan, image) && !scan.garbage;
        break;
    case 4:
        complete = XSReadData(image->data, 1, static_cast<size_t>(XSLDataSize(image)), scan.stream);
        break;
    case 2:
    case 5:
        complete = read_samples(scan, h, image->data, pixels);
        break;
    default:
        complete = read_samples(scan, h, image->data, 3 * pixels);
        if (complete)
            scale_to_full_range(image->data, 3 * pixels, h.maxval);
        break;
    }
    if (!complete)
        xslerrno = XSE_DATA_READ;
    return complete;
}
}  // namespace

XSImage* XSReadPBM(FILE* stream)
{
    PnmScanner scan{stream};
    Header h;
    if (!read_header(scan, h))
        return nullptr;
    XslImagePtr image(make_image(h));
    if (!image || !read_pixels(scan, h, image.get()))
        return nullptr;
    image->resolution = 100;
    return image.release();
}

int XSInfoPBM()
{
    return 0;
}
