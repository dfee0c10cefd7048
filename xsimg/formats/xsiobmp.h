// Device-independent bitmap files ("BM").
#pragma once

#include <cstdio>

#include "xsimage.h"

// 1, 4, 8 and 24 bits per pixel, uncompressed or run-length encoded (RLE8 for
// 8 bits, RLE4 for 4 bits), rows bottom row first or, with a negative height,
// top row first; also the older 12-byte core header (16-bit sizes, 3-byte
// palette entries; 1, 4, 8 and 24 bits uncompressed). 1 bit with a black and
// white palette gives a bitmap whose set bits are black, with the colormap
// {white, black}; 1 bit with any other two colours, 4 and 8 bits a colormap
// image of 2, 16 or 256 entries; 24 bits direct colour of 3 bytes (blue, green, red as
// stored); 16 and 32 bits (uncompressed, or compression 3 with colour masks)
// 24-bit direct colour of red, green, blue bytes (see xsiobmp_bitfields.h).
// Resolution: horizontal pixels per metre / 39, 72 when the field is 0;
// 100 for the core header, which has no such field.
XSImage* XSReadBMP(FILE* stream);
// Bitmaps as 1 bit per pixel, colormap images as 8 bits with a 256-entry
// palette, every other kind as 24 bits; bottom row first.
int XSWriteBMP(FILE* stream, XSImage* image);
int XSInfoBMP();
