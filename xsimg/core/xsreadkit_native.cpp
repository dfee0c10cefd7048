// Headers of the native family, whose first two words the dispatch reads.
#include "xsreadkit.h"

bool XslReadNativeHeader(FILE* stream, uint32_t word0, uint32_t word1, unsigned char* bytes, size_t size)
{
    XslPut32BE(bytes, word0);
    XslPut32BE(bytes + 4, word1);
    if (fread(bytes + 8, 1, size - 8, stream) != size - 8) {
        xslerrno = XSE_HEADER_READ;
        return false;
    }
    return true;
}
