// TV10: a 6-byte header (bytes per row, height, 1; most significant byte first)
// and bitmap rows in 16-bit units whose least significant bit is the leftmost pixel.
#include "xsiotv.h"

#include <algorithm>
#include <cstring>

#include "xsreadkit.h"

int TV10Indent(uint32_t word0, uint32_t)
{
    return (word0 >> 16) * 8 < 2000 && (word0 & 0xFFFF) < 2000;
}

int TV10Information(FILE*, uint32_t word0, uint32_t, XSInfo* info)
{
    info->width = int32_t((word0 >> 16) * 8);
    info->height = int32_t(word0 & 0xFFFF);
    info->resolution = 100;
    return 1;
}

namespace {
// Exchanging the bytes of each unit and reversing the bits of each byte turns
// the file's order into the library's, and back. A last odd byte has no partner.
void convert_units(unsigned char* bytes, long n)
{
    bswap_short(bytes, n);
    for (long i = 0; i < n; ++i)
        bytes[i] = XSByteFlipTable[bytes[i]];
}
}  // namespace

XSImage* TV10Reader(FILE* stream, uint32_t word0, uint32_t word1)
{
    const long row = long(word0 >> 16);
    const long height = long(word0 & 0xFFFF);
    // The first two data bytes came with the header words.
    const long given = std::min(row * height, 2L);
    if (!XslDataPresent(stream, row * height - given, 1))
        return nullptr;
    XslImagePtr bitmap = XslNewBitmap(int(row * 8), int(height));
    if (!bitmap)
        return nullptr;
    const long size = XSLDataSize(bitmap.get());
    const unsigned char first[2] = {static_cast<unsigned char>(word1 >> 8), static_cast<unsigned char>(word1)};
    memcpy(bitmap->data, first, size_t(given));
    if (size > given && !XSReadData(bitmap->data + given, 1, size_t(size - given), stream)) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    bitmap->resolution = 100;
    convert_units(bitmap->data, size);
    return bitmap.release();
}

int TV10Writer(FILE* stream, XSImage* image)
{
    if (XslKindOf(image) != XSK_BITMAP) {
        xslerrno = XSE_BITMAP_ONLY;
        return 0;
    }
    // Rows are whole bytes: a width that is no multiple of 8 keeps its last pixels.
    const long row = XSLBytesPerLine(image);
    if (row > 0xFFFF || image->height > 0xFFFF) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    if (!XslWrite16BE(stream, uint32_t(row)) || !XslWrite16BE(stream, uint32_t(image->height)) ||
        !XslWrite16BE(stream, 1)) {
        xslerrno = XSE_READ_ERROR;  // also the code of a header not written
        return 0;
    }
    // Converted a piece at a time; pieces of an even length keep units whole.
    unsigned char piece[4096];
    const long size = XSLDataSize(image);
    for (long at = 0; at < size; at += long(sizeof piece)) {
        const long n = std::min(size - at, long(sizeof piece));
        memcpy(piece, image->data + at, size_t(n));
        convert_units(piece, n);
        if (!XslWriteChannel(stream, piece, n))
            return 0;
    }
    return 1;
}

int XSInfoXWD10()
{
    return 0;
}
