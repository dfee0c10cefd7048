// Raw buffers, stream helpers and byte order.
#include "xsimage.h"

#include <cstring>
#include <initializer_list>
#include <utility>

void XSLBZero(void* buffer, long n)
{
    if (n > 0)
        memset(buffer, 0, n);
}

void XSLBSet(void* buffer, long n, int value)
{
    if (n > 0)
        memset(buffer, value, n);
}

void XSLFlipBytes(XSImage* image)
{
    const long size = XSLDataSize(image);
    for (unsigned char* plane : {image->data, image->data_g, image->data_b}) {
        if (!plane)
            continue;
        for (long i = 0; i < size; i++)
            plane[i] = XSByteFlipTable[plane[i]];
    }
}

size_t XSLFRead(void* buffer, size_t size, size_t count, FILE* stream)
{
    const size_t moved = fread(buffer, size, count, stream);
    if (moved < count && ferror(stream))
        perror("XSLFRead");
    return moved;
}

size_t XSLFWrite(const void* buffer, size_t size, size_t count, FILE* stream)
{
    const size_t moved = fwrite(buffer, size, count, stream);
    if (moved < count && ferror(stream))
        perror("XSLFWrite");
    return moved;
}

int XslReadChannel(FILE* stream, unsigned char* buffer, long file_row_bytes, long row_bytes, long rows)
{
    const long skip = file_row_bytes - row_bytes;
    for (long row = 0; row < rows; row++, buffer += row_bytes) {
        if (row_bytes > 0 && XSLFRead(buffer, 1, row_bytes, stream) != size_t(row_bytes)) {
            xslerrno = XSE_DATA_READ;
            return 0;
        }
        // A failed skip shows up as a short read of the next row.
        if (skip > 0 && fseek(stream, skip, SEEK_CUR) != 0) {
            for (long i = 0; i < skip; i++)
                if (getc(stream) == EOF)
                    break;
        }
    }
    return 1;
}

int XslWriteChannel(FILE* stream, const unsigned char* buffer, long n)
{
    if (n > 0 && XSLFWrite(buffer, 1, n, stream) != size_t(n)) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
}

uint32_t XslMemToVal(const unsigned char* bytes, int n)
{
    uint32_t value = 0;
    for (int i = 0; i < n; i++)
        value = (value << 8) | bytes[i];
    return value;
}

void XslValToMem(uint32_t value, unsigned char* bytes, int n)
{
    for (int i = 0; i < n; i++, value >>= 8)
        bytes[i] = static_cast<unsigned char>(value);
}

int bswap_test()
{
    const int one = 1;
    unsigned char first;
    memcpy(&first, &one, 1);
    return first == 1 ? 1 : 0;
}

void bswap_short(void* buffer, long n)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (long i = 0; i + 2 <= n; i += 2)
        std::swap(bytes[i], bytes[i + 1]);
}

void bswap_long(void* buffer, long n)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (long i = 0; i + 4 <= n; i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
}
