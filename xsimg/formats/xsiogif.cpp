// Reading GIF87a and GIF89a: the block structure, colour tables, the LZW
// decoder and interlaced row order.
#include "xsiogif.h"

#include <cstring>

#include "xsio.h"
#include "xsreadkit.h"
#include "xstwocolor.h"

namespace {

constexpr int kMaxCodes = 4096;  // 12-bit codes
constexpr int kMaxMinCodeSize = 11;  // a larger one puts the clear code beyond the table
// No code stands for more pixels than the table has entries, and none takes
// fewer than two bits; a picture claiming more pixels than its bytes could
// hold is refused before anything is allocated for it.
constexpr long kMaxPixelsPerByte = 4 * kMaxCodes;

// A colour table of up to 256 entries, red, green, blue.
struct ColourTable {
    unsigned char bytes[768];
    int count;
};

const ColourTable kDefaultPalette = {
    {0, 0, 0, 0, 0, 128, 0, 128, 0, 0, 128, 128, 128, 0, 0, 128, 0, 128, 128, 128, 0, 200, 200, 200,
     100, 100, 100, 100, 100, 255, 100, 255, 100, 100, 255, 255, 255, 100, 100, 255, 100, 255,
     255, 255, 100, 255, 255, 255},
    16,
};

// A table of 2^bits entries; false with code XSE_CMAP_READ when the file ends first.
bool readColourTable(FILE* stream, int bits, ColourTable& table)
{
    table.count = 1 << bits;
    if (XSReadData(table.bytes, 3, static_cast<size_t>(table.count), stream))
        return true;
    xslerrno = XSE_CMAP_READ;
    return false;
}

// The sub-blocks of one image's data, read as codes least significant bit first.
struct CodeReader {
    FILE* stream;
    unsigned char block[255];
    int size = 0;
    int at = 0;
    uint32_t bits = 0;
    int count = 0;  // bits held
    enum { MORE, ENDED, BROKEN } state = MORE;

    explicit CodeReader(FILE* source) : stream(source) {}

    // The next code of `width` bits, or -1 once the sub-blocks are over.
    int next(int width)
    {
        while (count < width) {
            if (at == size && !fill())
                return -1;
            bits |= uint32_t(block[at++]) << count;
            count += 8;
        }
        const int code = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        count -= width;
        return code;
    }

    bool fill()
    {
        if (state != MORE)
            return false;
        const int n = XSReadDataBlock(block, stream);
        if (n <= 0) {
            state = n == 0 ? ENDED : BROKEN;
            return false;
        }
        size = n;
        at = 0;
        return true;
    }

    // Skips what is left up to the terminating empty sub-block, so that the
    // next block starts where it should; false when the file ends first.
    bool finish()
    {
        while (fill())
            at = size;
        return state == ENDED;
    }
};

// Puts decoded pixels into the plane, row after row, interlaced rows in the
// order of the four passes (every 8th row from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1).
struct PixelSink {
    unsigned char* plane;
    long width;
    long height;
    bool interlaced;
    int pass = 0;
    long row = 0;
    long x = 0;
    bool full = false;

    void put(unsigned char pixel)
    {
        plane[row * width + x] = pixel;
        if (++x < width)
            return;
        x = 0;
        if (!interlaced) {
            full = ++row == height;
            return;
        }
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        row += kStep[pass];
        while (row >= height) {
            if (++pass == 4) {
                full = true;
                return;
            }
            row = kStart[pass];
        }
    }
};

// Decodes one image's data into the sink; pixels that short data does not
// reach keep index 0. False with code XSE_DATA_READ when the file ends inside the data
// or the minimum code size is beyond 12-bit codes.
bool decodeImage(FILE* stream, PixelSink& sink)
{
    const int min_size = getc(stream);
    if (min_size == EOF || min_size > kMaxMinCodeSize) {
        xslerrno = XSE_DATA_READ;
        return false;
    }
    uint16_t prefix[kMaxCodes];
    unsigned char suffix[kMaxCodes];
    unsigned char stack[kMaxCodes + 1];
    const int clear = 1 << min_size;
    const int end = clear + 1;
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = static_cast<unsigned char>(i);
    }
    int next = clear + 2;
    int width = min_size + 1;
    int previous = -1;
    int first = 0;  // first pixel of the previous string
    CodeReader codes{stream};
    while (!sink.full) {
        const int code = codes.next(width);
        if (code < 0 || code == end || code > next)
            break;
        if (code == clear) {
            width = min_size + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            if (code > clear)  // a string before any was defined: garbage
                break;
            sink.put(suffix[code]);
            previous = first = code;
            continue;
        }
        int k = code;
        int depth = 0;
        if (k == next) {  // the string being defined: previous plus its own first pixel
            stack[depth++] = static_cast<unsigned char>(first);
            k = previous;
        }
        // Every entry's prefix is an older code, so the walk ends.
        while (k > clear && depth < kMaxCodes) {
            stack[depth++] = suffix[k];
            k = prefix[k];
        }
        first = suffix[k];
        stack[depth++] = static_cast<unsigned char>(first);
        if (next < kMaxCodes) {
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = static_cast<unsigned char>(first);
            if (++next == 1 << width && next < kMaxCodes)
                ++width;
        }
        previous = code;
        while (depth > 0 && !sink.full)
            sink.put(stack[--depth]);
    }
    if (!codes.finish()) {
        xslerrno = XSE_DATA_READ;
        return false;
    }
    return true;
}

// An extension: its label and sub-blocks, all skipped.
bool skipExtension(FILE* stream)
{
    if (getc(stream) == EOF) {
        xslerrno = XSE_DATA_READ;
        return false;
    }
    CodeReader blocks{stream};
    if (blocks.finish())
        return true;
    xslerrno = XSE_DATA_READ;
    return false;
}

// One image, from its descriptor to the end of its data. `table` is left
// pointing at the colours it uses: its own local table or the global one.
XslImagePtr readImage(FILE* stream, const ColourTable& global, ColourTable& local, const ColourTable*& table)
{
    unsigned char descriptor[9];
    if (!XSReadData(descriptor, 1, sizeof descriptor, stream)) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    const int width = XslGet16LE(descriptor + 4);
    const int height = XslGet16LE(descriptor + 6);
    const int flags = descriptor[8];
    if (width == 0 || height == 0) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    const long left = XslBytesLeft(stream);
    if (left >= 0 && long(width) * height / kMaxPixelsPerByte > left) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    table = &global;
    if (flags & 0x80) {
        if (!readColourTable(stream, (flags & 7) + 1, local))
            return nullptr;
        table = &local;
    }
    XslImagePtr image = XslNewColormapImage(width, height);
    if (!image)
        return nullptr;
    PixelSink sink{image->data, width, height, (flags & 0x40) != 0};
    if (!decodeImage(stream, sink))
        return nullptr;
    return image;
}

// A black-and-white picture as a bitmap, set bits black. When memory runs
// short it stays a colormap image.
void makeBitmap(XSImage* image)
{
    XslImagePtr bitmap = XslNewBitmap(image->width, image->height);
    if (!bitmap)
        return;
    const int black = XslDarkerEntry(image->colormap);
    const long row_bytes = XSLBytesPerLine(bitmap.get());
    for (long y = 0; y < image->height; ++y)
        XslPackBitmap(image->data + y * image->width, bitmap->data + y * row_bytes, image->width, black);
    XSLFreeData(image);
    image->data = bitmap->data;
    bitmap->data = nullptr;
    image->type = 0;
    image->depth = 1;
    image->bytes_per_pixel = 0;
}

}  // namespace

XSImage* XSReadGif(FILE* stream)
{
    unsigned char signature[6];
    if (!XSReadData(signature, 1, sizeof signature, stream)) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    if (memcmp(signature, "GIF87a", 6) != 0 && memcmp(signature, "GIF89a", 6) != 0) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    unsigned char screen[7];
    if (!XSReadData(screen, 1, sizeof screen, stream)) {
        xslerrno = XSE_READ_ERROR;
        return nullptr;
    }
    const int screen_bits = (screen[4] & 7) + 1;
    ColourTable global = kDefaultPalette;
    if ((screen[4] & 0x80) && !readColourTable(stream, screen_bits, global))
        return nullptr;

    // Every image replaces the one before; the last is the picture.
    XslImagePtr image;
    ColourTable local;
    const ColourTable* table = &global;
    for (int c; (c = getc(stream)) != EOF && c != ';';) {
        if (c == '!') {
            if (!skipExtension(stream))
                return nullptr;
        } else if (c == ',') {
            image.reset();
            image = readImage(stream, global, local, table);
            if (!image)
                return nullptr;
        }
    }
    if (!image) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    if (!XslSetPalette(image.get(), table->bytes, table->count))
        return nullptr;
    image->planes = 1;
    image->bits_per_sample = 8;
    image->resolution = 100;
    if (screen_bits == 1 && table->count == 2 && XslBlackAndWhite(image->colormap))
        makeBitmap(image.get());
    return image.release();
}

int XSInfoGIF()
{
    return 0;
}
