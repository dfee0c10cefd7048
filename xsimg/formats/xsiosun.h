// Sun raster files: monochrome, 8-bit colormapped and 24/32-bit true colour,
// stored plainly (types 0 and 1; type 3 with colour pixels in red, green,
// blue order) or byte-run-length encoded (type 2).
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsimage.h"
#include "xsio.h"

constexpr uint32_t XS_SUN_MAGIC = 0x59A66A95;

// Depth 1 gives a bitmap; depth 8 a colormap image (its own colormap, or the
// identity gray ramp when the file has none); depth 24 direct colour of 3
// bytes, depth 32 of 4 bytes (masks as stored). Resolution 100. Null with
// code XSE_HEADER_READ (short header), XSE_BAD_MAGIC (bad magic), XSE_VARIANT (type or depth not handled),
// XSE_DATA_READ (colormap or pixel data short), XSE_NO_MEMORY (memory or size refused).
XSImage* RsReader(FILE* stream);
// Bitmaps as depth 1, colormap images as depth 8 with their colormap, every
// other kind as depth 24; 1, or 0 with code XSE_READ_ERROR, XSE_DATA_WRITE, XSE_NO_MEMORY or XSE_KIND.
int RsWriter(FILE* stream, XSImage* image);
int XSInfoSUN();

// The header test and size query in the shape of the native-family table.
int RsIndent(uint32_t word0);
// With the first two header words read: width = word1, height = the next word,
// resolution 100; 0 with code XSE_HEADER_READ when the header is short.
int RsInformation(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info);
