// TIFF reading and writing through libtiff.
#pragma once

#include <cstdio>

#include "xsimage.h"

// Reads the chosen page (1 by default) of the TIFF at the stream's position.
XSImage* XSReadTiff(FILE* stream);
// Writes one page; `name` is only used in libtiff's messages ("None" when null).
int XSWriteTiff(FILE* stream, XSImage* image, const char* name);
int XSInfoTIFF();

// Number of pages of the TIFF at the stream's position; -1 with xslerrno XSE_DATA_READ.
int XSCheckMultiPageTiff(FILE* stream);
int XSTiffSetPage(int page);
int XSTiffCompress(int scheme, int option);
int XSTiffCompress2(const char* name, int option);
int XSTiffCompresClass(const char* name);
int XSTiffColor(int cmyk);
int XSIsTiffColor();
int XSTiffEndian(int little);

// Name handed to libtiff for its messages while reading; "None" when null.
// Per thread, like the read it names.
extern thread_local const char* XSReadFileName;
