// PNG pictures through libpng.
#pragma once

#include <cstdio>

#include "xsimage.h"

// Every colour type and bit depth, interlaced or not. 1-bit gray becomes a
// bitmap (set bit = black); other gray an 8-bit image with the identity gray
// ramp; palette pictures a colormap image; colour 24-bit direct colour (R, G, B
// bytes). 16-bit samples keep their high byte. Alpha channels and tRNS
// transparency are put over white paper. The pHYs density gives `resolution`
// (100 without one); pixels of unequal density are made square at the higher
// density. Any checksum error fails the read. Null with xslerrno
// XSE_BAD_MAGIC (no PNG signature, or a damaged chunk before the pixel data),
// XSE_HEADER_READ (the file ends before the pixel data), XSE_DATA_READ (pixel
// data damaged, cut short or too short for the declared size, or a damaged
// chunk after it), XSE_NO_MEMORY (a picture beyond XS_MAX_PIXELS, or memory).
XSImage* XSReadPNG(FILE* stream);
// Bitmaps as 1-bit gray, gray colormap images as 8-bit gray, other colormap
// images as 8-bit palette pictures, everything else as 8-bit RGB; the
// resolution goes into pHYs. 1, or 0 with xslerrno XSE_DATA_WRITE (a write
// failed), XSE_NO_MEMORY or XSE_KIND.
int XSWritePNG(FILE* stream, XSImage* image);
int XSInfoPNG();
