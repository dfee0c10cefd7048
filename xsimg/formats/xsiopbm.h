// PBM, PGM and PPM: all six forms read, the three raw forms written.
#pragma once

#include <cstdio>

#include "xsimage.h"

// P1/P4 give a bitmap, P2/P5 an 8-bit gray colormap image, P3/P6 24-bit
// direct colour (red, green, blue bytes); resolution 100.
XSImage* XSReadPBM(FILE* stream);
// Bitmaps as P4, gray colormap images as P5, every other kind as P6.
int XSWritePBM(FILE* stream, XSImage* image);
int XSInfoPBM();
