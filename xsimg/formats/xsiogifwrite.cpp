// Writing GIF87a: one global colour table, one image, LZW coded with an open
// hash table of 5003 slots and codes of up to 12 bits.
#include <cstring>

#include "xsconv.h"
#include "xsiogif.h"
#include "xsown.h"
#include "xsquantize.h"
#include "xsreadkit.h"

namespace {

constexpr int kHashSize = 5003;
constexpr int kMaxBits = 12;
constexpr int kMaxMaxCode = 1 << kMaxBits;  // the table holds codes below this

struct Encoder {
    FILE* stream;
    int init_bits = 0;
    int n_bits = 0;
    int maxcode = 0;
    int clear_code = 0;
    int eof_code = 0;
    int free_ent = 0;
    bool clear_flag = false;
    uint32_t accum = 0;
    int accum_bits = 0;
    unsigned char block[256];
    int count = 0;
    int32_t htab[kHashSize];
    uint16_t codetab[kHashSize];

    explicit Encoder(FILE* out) : stream(out) {}

    void flushBlock()
    {
        if (count == 0)
            return;
        putc(count, stream);
        fwrite(block, 1, static_cast<size_t>(count), stream);
        count = 0;
    }

    void charOut(unsigned char c)
    {
        block[count++] = c;
        if (count >= 254)
            flushBlock();
    }

    // Adds a code above the bits already held; whole bytes go out. The code
    // size grows once the next free code no longer fits, and returns to its
    // start after a clear.
    void output(int code)
    {
        accum |= uint32_t(code) << accum_bits;
        accum_bits += n_bits;
        while (accum_bits >= 8) {
            charOut(static_cast<unsigned char>(accum));
            accum >>= 8;
            accum_bits -= 8;
        }
        if (free_ent > maxcode || clear_flag) {
            if (clear_flag) {
                n_bits = init_bits;
                maxcode = (1 << n_bits) - 1;
                clear_flag = false;
            } else {
                ++n_bits;
                maxcode = n_bits == kMaxBits ? kMaxMaxCode : (1 << n_bits) - 1;
            }
        }
        if (code == eof_code) {
            while (accum_bits > 0) {
                charOut(static_cast<unsigned char>(accum));
                accum >>= 8;
                accum_bits -= 8;
            }
            flushBlock();
            fflush(stream);
        }
    }

    void clearHash()
    {
        for (int32_t& slot : htab)
            slot = -1;
    }

    // The table is full: start it again and tell the decoder so.
    void clearBlock()
    {
        clearHash();
        free_ent = clear_code + 2;
        clear_flag = true;
        output(clear_code);
    }

    void compress(const unsigned char* pixels, long n, int min_code_size)
    {
        init_bits = min_code_size + 1;
        n_bits = init_bits;
        maxcode = (1 << n_bits) - 1;
        clear_code = 1 << min_code_size;
        eof_code = clear_code + 1;
        free_ent = clear_code + 2;
        clearHash();
        output(clear_code);
        int ent = pixels[0];
        for (long i = 1; i < n; ++i) {
            const int c = pixels[i];
            const int32_t fcode = (int32_t(c) << kMaxBits) + ent;
            int slot = (c << 4) ^ ent;
            if (htab[slot] == fcode) {
                ent = codetab[slot];
                continue;
            }
            if (htab[slot] >= 0) {  // occupied by another string: probe further
                const int disp = slot == 0 ? 1 : kHashSize - slot;
                bool hit = false;
                do {
                    slot -= disp;
                    if (slot < 0)
                        slot += kHashSize;
                    if (htab[slot] == fcode) {
                        hit = true;
                        break;
                    }
                } while (htab[slot] > 0);
                if (hit) {
                    ent = codetab[slot];
                    continue;
                }
            }
            output(ent);
            ent = c;
            if (free_ent < kMaxMaxCode) {
                codetab[slot] = static_cast<uint16_t>(free_ent++);
                htab[slot] = fcode;
            } else {
                clearBlock();
            }
        }
        output(ent);
        output(eof_code);
    }
};

bool put(FILE* stream, const unsigned char* bytes, size_t n)
{
    return fwrite(bytes, 1, n, stream) == n;
}

// Bits per pixel: enough for every entry and for every pixel value, so that a
// pixel beyond the colormap stays a valid index (its table entry is black).
int bitsFor(const XSImage* image)
{
    int highest = image->ncolors - 1;
    const unsigned char* p = image->data;
    for (long n = long(image->width) * image->height; n > 0; --n, ++p)
        if (*p > highest)
            highest = *p;
    int bits = 1;
    while ((1 << bits) <= highest)
        ++bits;
    return bits;
}

int writeIndexed(FILE* stream, const XSImage* image)
{
    if (image->width > 0xFFFF || image->height > 0xFFFF) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    const int bits = bitsFor(image);
    unsigned char header[13] = {'G', 'I', 'F', '8', '7', 'a'};
    XslPut16LE(header + 6, image->width);
    XslPut16LE(header + 8, image->height);
    header[10] = static_cast<unsigned char>(0x80 | (bits - 1) << 4 | (bits - 1));
    if (!put(stream, header, sizeof header)) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    unsigned char table[768] = {};  // entries beyond the colormap are black
    for (int i = 0; i < image->ncolors; ++i) {
        table[3 * i] = static_cast<unsigned char>(image->colormap[i].red);
        table[3 * i + 1] = static_cast<unsigned char>(image->colormap[i].green);
        table[3 * i + 2] = static_cast<unsigned char>(image->colormap[i].blue);
    }
    if (!put(stream, table, size_t(3) << bits)) {
        xslerrno = XSE_CMAP_READ;
        return 0;
    }
    const int min_code_size = bits < 2 ? 2 : bits;
    unsigned char descriptor[11] = {','};
    XslPut16LE(descriptor + 5, image->width);
    XslPut16LE(descriptor + 7, image->height);
    descriptor[10] = static_cast<unsigned char>(min_code_size);
    if (!put(stream, descriptor, sizeof descriptor)) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    Encoder encoder(stream);
    encoder.compress(image->data, long(image->width) * image->height, min_code_size);
    putc(0, stream);
    putc(';', stream);
    if (fflush(stream) != 0 || ferror(stream)) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
}

}  // namespace

int XSWriteGif(FILE* stream, XSImage* image)
{
    if (XslKindOf(image) == XSK_COLORMAP && image->ncolors <= 256)
        return writeIndexed(stream, image);
    XslImagePtr copy(XSLAllocAndCopy(image));
    if (!copy)
        return 0;
    if (copy->type == 0 ? !XSLBitmapToGray(copy.get()) : !XSLQuantize(copy.get(), 256))
        return 0;
    if (XslKindOf(copy.get()) != XSK_COLORMAP || copy->ncolors > 256) {
        xslerrno = XSE_KIND;
        return 0;
    }
    return writeIndexed(stream, copy.get());
}
