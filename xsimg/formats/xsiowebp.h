// WebP pictures through libwebp.
#pragma once

#include <cstdio>

#include "xsimage.h"

// Lossy and lossless still pictures become 24-bit direct colour (R, G, B
// bytes), alpha put over white paper; `resolution` 100. Null with xslerrno
// XSE_BAD_MAGIC (not a RIFF WebP file, or a damaged header), XSE_HEADER_READ
// (the file ends in its header), XSE_DATA_READ (the file is shorter than its
// RIFF size says, or the picture data is damaged), XSE_VARIANT (animations and
// other features libwebp does not decode into one picture), XSE_NO_MEMORY (a
// picture beyond XS_MAX_PIXELS, or memory).
XSImage* XSReadWebP(FILE* stream);
// Writes the picture losslessly as 8-bit RGB (every pixel kind is converted).
// 1, or 0 with xslerrno XSE_VARIANT (a side beyond 16383), XSE_DATA_WRITE (a write
// failed, or the encoder refused), XSE_NO_MEMORY or XSE_KIND.
int XSWriteWebP(FILE* stream, XSImage* image);
int XSInfoWebP();
