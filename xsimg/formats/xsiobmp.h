// Device-independent bitmap files ("BM").
#pragma once

#include <cstdio>

#include "xsimage.h"

// 1, 4, 8 and 24 bits per pixel, uncompressed or run-length encoded (RLE8 for
// 8 bits, RLE4 for 4 bits), rows bottom row first or, with a negative height,
// top row first. 1 bit gives a bitmap whose set bits are the palette's darker
// colour, with the colormap {white, black}; 4 and 8 bits a colormap image of
// 16 or 256 entries; 24 bits direct colour of 3 bytes (blue, green, red as
// stored); 16 and 32 bits (uncompressed, or compression 3 with colour masks)
// 24-bit direct colour of red, green, blue bytes (see xsiobmp_bitfields.h).
// Resolution: horizontal pixels per metre / 39, 72 when not given.
XSImage* XSReadBMP(FILE* stream);
// Bitmaps as 1 bit per pixel, colormap images as 8 bits with a 256-entry
// palette, every other kind as 24 bits; bottom row first.
int XSWriteBMP(FILE* stream, XSImage* image);
int XSInfoBMP();
