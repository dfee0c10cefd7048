// Format recognition and reader/writer dispatch.
#pragma once

#include <cstdio>

#include "xsimage.h"

typedef XSImage* (*XSReader)(FILE* stream);
typedef int (*XSWriter)(FILE* stream, XSImage* image);

// Recognises the picture at the stream's position by content and reads it.
// Null with xslerrno 25 when no format accepts it.
XSImage* XSReadMagic(FILE* stream);
