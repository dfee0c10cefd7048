// Run-length encoded PCX files of up to 256 colours.
#pragma once

#include <cstdio>

#include "xsimage.h"

// 1 bit per pixel in 1 to 8 planes, 2 or 4 bits packed in one plane, or 8
// bits in one plane; 8 bits in 3 planes (or 4, the fourth ignored) are true
// colour and give RGB planes. Two colours whose header entries are black and
// white (or alike, as in a palette left zero) give a bitmap whose set bits are
// the darker entry; other colour counts up to 16 a colormap image with the
// header palette; more colours a colormap image with the palette after the
// 0x0C marker at the end of the file (a gray ramp when the file has no such
// palette). Data ending early leave the rest 0. Resolution 100.
XSImage* XSReadPCX(FILE* stream);
// Colormap images as they are (1 bit in 1 to 4 planes up to 16 colours, else
// 8 bits); bitmaps as gray, other pictures reduced to 256 colours first.
// 1, or 0 with code XSE_VARIANT when a side or a stored line is too long
// for the header's 16-bit fields (nothing written), XSE_READ_ERROR (header),
// XSE_DATA_WRITE, XSE_NO_MEMORY or XSE_KIND.
int XSWritePCX(FILE* stream, XSImage* image);
int XSInfoPCX();
