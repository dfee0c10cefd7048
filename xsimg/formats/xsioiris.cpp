// Reading SGI image files.
#include "xsioiris.h"

#include <cstring>

#include "xsioirisformat.h"
#include "xsreadkit.h"
#include "xssample16.h"

namespace {
struct IrisHeader {
    int storage, bytes_per_channel;
    long width, height, channels;
};

bool read_header(FILE* stream, IrisHeader& h)
{
    unsigned char b[XS_IRIS_HEADER_USED];
    if (fread(b, 1, sizeof b, stream) != sizeof b) {
        xslerrno = XSE_READ_ERROR;
        return false;
    }
    if (XslGet16BE(b) != XS_IRIS_MAGIC) {
        xslerrno = XSE_BAD_MAGIC;
        return false;
    }
    h.storage = b[2];
    h.bytes_per_channel = b[3];
    h.width = XslGet16BE(b + 6);
    h.height = XslGet16BE(b + 8);
    h.channels = XslGet16BE(b + 10);
    if (h.bytes_per_channel != 1 && h.bytes_per_channel != 2) {
        xslerrno = XSE_LAYOUT;
        return false;
    }
    if (h.channels == 0) {
        xslerrno = XSE_BAD_MAGIC;
        return false;
    }
    return true;
}

// Where the rows of the file go in the image: rows run bottom to top in the
// file, and channel z lands on byte z of each pixel for the channels kept.
struct Target {
    XSImage* image;
    long kept;  // channels that reach the image: 1 (gray) or 3 (RGB)

    unsigned char* row(long channel, long file_row) const
    {
        const long y = image->height - 1 - file_row;
        return image->data + y * XSLBytesPerLine(image) + channel;
    }
    long stride() const { return image->bytes_per_pixel; }
};

// Sample i of data in units of one or two bytes (most significant first), at 8 bits.
template <int unit>
unsigned char sample_at(const unsigned char* data, long i)
{
    if constexpr (unit == 1)
        return data[i];
    else
        return XslSample16To8(XslGet16BE(data + 2 * i));
}

template <int unit>
void scatter(const unsigned char* samples, long width, unsigned char* out, long stride)
{
    for (long x = 0; x < width; ++x, out += stride)
        *out = sample_at<unit>(samples, x);
}

// The unit is chosen once a row, not once a sample.
void scatter(const unsigned char* samples, long width, int unit, unsigned char* out, long stride)
{
    unit == 1 ? scatter<1>(samples, width, out, stride) : scatter<2>(samples, width, out, stride);
}

bool fail_read()
{
    xslerrno = XSE_DATA_READ;
    return false;
}

bool read_verbatim(FILE* stream, long base, const IrisHeader& h, const Target& t)
{
    const long row_bytes = h.width * h.bytes_per_channel;
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(row_bytes);
    if (!row)
        return false;
    for (long z = 0; z < t.kept; ++z) {
        if (fseek(stream, base + XS_IRIS_DATA_START + z * row_bytes * h.height, SEEK_SET) != 0)
            return fail_read();
        for (long y = 0; y < h.height; ++y) {
            if (fread(row.get(), 1, static_cast<size_t>(row_bytes), stream) != static_cast<size_t>(row_bytes))
                return fail_read();
            scatter(row.get(), h.width, h.bytes_per_channel, t.row(z, y), t.stride());
        }
    }
    return true;
}

// Expands one coded row into `width` pixels `stride` bytes apart. The row is
// coded in units of a channel's bytes, packets included. Pixels beyond the
// row are dropped; a packet that runs past the coded units, or a row that ends
// before it is full, is corrupt.
template <int unit>
bool expand(const unsigned char* in, long length, unsigned char* out, long width, long stride)
{
    const long units = length / unit;
    long at = 0, x = 0;
    while (at < units) {
        const unsigned packet = unit == 1 ? in[at] : XslGet16BE(in + 2 * at);
        ++at;
        const long count = packet & XS_IRIS_COUNT;
        if (count == 0)
            break;
        const bool literal = packet & XS_IRIS_LITERAL;
        if (at + (literal ? count : 1) > units)
            return false;
        for (long i = 0; i < count; ++i, ++x)
            if (x < width)
                out[x * stride] = sample_at<unit>(in, literal ? at + i : at);
        at += literal ? count : 1;
    }
    return x >= width;
}

bool expand(const unsigned char* in, long length, int unit, unsigned char* out, long width, long stride)
{
    return unit == 1 ? expand<1>(in, length, out, width, stride) : expand<2>(in, length, out, width, stride);
}

// Bytes a coded row may take.
long row_limit(const IrisHeader& h)
{
    return XslIrisRowLimit(h.width) * h.bytes_per_channel;
}

// The row-start and row-length tables, entry z x height + y each; every row
// they describe must lie inside the file and fit the row buffer.
XslBuffer<uint32_t> read_tables(FILE* stream, const IrisHeader& h, long file_size)
{
    const long entries = h.height * h.channels;
    XslBuffer<uint32_t> tables = XslAllocBuffer<uint32_t>(2 * entries);
    if (!tables)
        return nullptr;
    auto* raw = reinterpret_cast<unsigned char*>(tables.get());
    if (fread(raw, 4, static_cast<size_t>(2 * entries), stream) != static_cast<size_t>(2 * entries)) {
        fail_read();
        return nullptr;
    }
    for (long i = 0; i < 2 * entries; ++i)
        tables[i] = XslGet32BE(raw + 4 * i);
    for (long i = 0; i < entries; ++i) {
        const long start = tables[i], length = tables[entries + i];
        if (length > row_limit(h) || (file_size >= 0 && start + length > file_size)) {
            fail_read();
            return nullptr;
        }
    }
    return tables;
}

// Rows are read in the order they lie in the file when the starts never
// decrease row by row (each row's channels together), else channel by channel.
bool row_major(const uint32_t* starts, const IrisHeader& h)
{
    uint32_t last = 0;
    for (long y = 0; y < h.height; ++y)
        for (long z = 0; z < h.channels; ++z) {
            const uint32_t start = starts[z * h.height + y];
            if (start < last)
                return false;
            last = start;
        }
    return true;
}

bool read_coded(FILE* stream, long base, const IrisHeader& h, const Target& t, long file_size)
{
    if (fseek(stream, base + XS_IRIS_DATA_START, SEEK_SET) != 0)
        return fail_read();
    XslBuffer<uint32_t> tables = read_tables(stream, h, file_size);
    if (!tables)
        return false;
    XslBuffer<unsigned char> coded = XslAllocBuffer<unsigned char>(row_limit(h));
    if (!coded)
        return false;
    const long entries = h.height * t.kept, lengths = h.height * h.channels;
    const bool by_row = row_major(tables.get(), h);
    long position = -1;  // where the stream is, so that rows in file order need no seek
    for (long i = 0; i < entries; ++i) {
        const long y = by_row ? i / t.kept : i % h.height;
        const long z = by_row ? i % t.kept : i / h.height;
        const long start = tables[z * h.height + y], length = tables[lengths + z * h.height + y];
        if (position != start && fseek(stream, base + start, SEEK_SET) != 0)
            return fail_read();
        if (fread(coded.get(), 1, static_cast<size_t>(length), stream) != static_cast<size_t>(length))
            return fail_read();
        position = start + length;
        if (!expand(coded.get(), length, h.bytes_per_channel, t.row(z, y), h.width, t.stride()))
            return fail_read();
    }
    return true;
}
}  // namespace

XSImage* XSReadIRIS(FILE* stream)
{
    // Offsets count from here, so the stream must tell where it is.
    const long base = ftell(stream);
    if (base < 0) {
        xslerrno = XSE_READ_ERROR;
        return nullptr;
    }
    const long file_size = XslBytesLeft(stream);
    IrisHeader h;
    if (!read_header(stream, h))
        return nullptr;
    const long kept = h.channels >= 3 ? 3 : 1;
    if (!XSLSizeOK(h.width, h.height, kept)) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    const bool coded = h.storage == XS_IRIS_RUN_LENGTH;
    // The verbatim data, or the coded rows' tables, are all there before
    // anything is sized by them.
    const long needed =
        coded ? 8 * h.height * h.channels : h.width * h.height * h.channels * h.bytes_per_channel;
    if (file_size >= 0 && XS_IRIS_DATA_START + needed > file_size) {
        fail_read();
        return nullptr;
    }
    XslImagePtr image = kept == 3 ? XslNewDirectImage(h.width, h.height, 3) : XslNewGrayImage(h.width, h.height, 256);
    if (!image)
        return nullptr;
    const Target target{image.get(), kept};
    if (coded ? !read_coded(stream, base, h, target, file_size) : !read_verbatim(stream, base, h, target))
        return nullptr;
    return image.release();
}

int XSInfoIRIS()
{
    return 0;
}
