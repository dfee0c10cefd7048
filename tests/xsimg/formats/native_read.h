// A native-family reader called the way the family dispatch calls it: the
// first two words read first and handed over.
#pragma once

#include "xsio.h"
#include "xsreadkit.h"

template <XSNativeReader reader>
XSImage* read_as_member(FILE* stream)
{
    uint32_t word0, word1;
    if (!XslRead32BE(stream, &word0) || !XslRead32BE(stream, &word1)) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    return reader(stream, word0, word1);
}
