// Exact-length reads shared by the format readers.
#include <cstdint>

#include "xsio.h"

int XSReadData(void* buffer, size_t size, size_t count, FILE* stream)
{
    if (size != 0 && count > SIZE_MAX / size)
        return 0;
    const size_t total = size * count;
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (size_t done = 0; done < total;) {
        const size_t got = std::fread(bytes + done, 1, total - done, stream);
        if (got == 0)
            return 0;
        done += got;
    }
    return 1;
}

int XSReadDataBlock(unsigned char* buffer, FILE* stream)
{
    const int count = std::getc(stream);
    if (count == EOF)
        return -1;
    if (count == 0)
        return 0;
    return XSReadData(buffer, 1, static_cast<size_t>(count), stream) ? count : -1;
}
