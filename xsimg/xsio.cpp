// Temporary: no reader is registered yet, so nothing is recognised.
#include "xsio.h"

XSImage* XSReadMagic(FILE* stream)
{
    (void)stream;
    xslerrno = XSE_UNKNOWN_FORMAT;
    return nullptr;
}
