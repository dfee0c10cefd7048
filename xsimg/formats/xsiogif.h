// GIF pictures with the library's own LZW coder.
#pragma once

#include <cstdio>

#include "xsimage.h"

// GIF87a and GIF89a: the last image of the file becomes an 8-bit colormap
// image with the colours of its local table, or of the global table (the
// 16-colour default palette when the file has none); extensions are skipped,
// interlaced rows put in order. A file whose screen holds two colours, black
// and white, gives a bitmap in which the black pixels are set; any other two
// colours stay a colormap image. Resolution 100. Null with code
// XSE_HEADER_READ or XSE_BAD_MAGIC (signature), XSE_READ_ERROR (screen descriptor),
// XSE_CMAP_READ (colour table cut short), XSE_DATA_READ (no image, or its descriptor or
// data cut short or unreadable), XSE_NO_MEMORY (memory).
XSImage* XSReadGif(FILE* stream);
// GIF87a with one global colour table and one image. A colormap image of 1 to
// 256 entries goes out as it is; other pictures are written from a copy:
// colour ones reduced to 256 colours by XSLQuantize, bitmaps as two-level gray.
// 1, or 0 with code XSE_READ_ERROR (header), XSE_CMAP_READ (colour table), XSE_DATA_WRITE
// (image data), XSE_NO_MEMORY, XSE_KIND, or XSE_VARIANT for a picture wider or taller
// than 65535 pixels.
int XSWriteGif(FILE* stream, XSImage* image);
int XSInfoGIF();
