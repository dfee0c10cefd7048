#include "xsimage.h"

int32_t xslerrno = 0;

namespace {
const char kVersion[] = "XSImage library version 2.56.6 (19 May 2006)";
}

const char* XSLImageLibVersion = kVersion;

const char* XSLVersion()
{
    return kVersion;
}
