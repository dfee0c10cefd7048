// TIMG, file version 8 of the native family: the window-dump header widened to
// 128 bytes, the image's private data block, colour entries and the pixels of
// any kind (bitmap, colormap, direct colour, three RGB planes, or a JPEG stream).
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsio.h"
#include "xsioxwd.h"

constexpr uint32_t XSL_TIMG_VERSION = 8;
constexpr int XSL_TIMG_HEADER_BYTES = 128;

struct XslTimgHeader {
    XslXwdHeader xwd;  // header_size = 128 + the private block
    uint32_t spare0;
    uint32_t data_size;  // bytes of pixel data (three planes for RGB)
    uint32_t resolution;  // dots per inch
    uint32_t kind_mark;  // 27 for three RGB planes
    uint32_t spare1;
    uint32_t jpeg;  // 1: the pixel data of a one-plane pixmap are a JPEG stream
    uint32_t spare2;
};

// Recognises version 8 in the second word.
int TCoIndent(uint32_t word0, uint32_t word1);
// Width, height and resolution from the rest of the header; 0 with code XSE_HEADER_READ.
int TCoInformation(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info);
// Reads the file after its first 8 bytes. Null with code XSE_HEADER_READ (short header or a
// header size below 128), XSE_PRIVATE_READ (private block), XSE_PALETTE_READ (colour
// entries), XSE_DATA_READ (pixel rows, or lines shorter than a row), XSE_BAD_MAGIC (an
// embedded JPEG of another size), XSE_LAYOUT (pixmap format or pixel size), XSE_VARIANT
// (bitmap unit) or XSE_NO_MEMORY.
XSImage* TCoReader(FILE* stream, uint32_t word0, uint32_t word1);
// Writes any pixel kind with the image's private block; 1, or 0 with code XSE_READ_ERROR
// (header), XSE_PRIVATE_WRITE (private block), XSE_KIND (colour entries, or a kind it
// cannot write), XSE_DATA_WRITE (pixels) or XSE_NO_MEMORY.
int TCoWriter(FILE* stream, XSImage* image);
int XSInfoIMG();

// The pixel-data readers TCoReader calls, each filling the image it made
// (of the header's size) and returning 1 or 0 with xslerrno set.
// A JPEG stream of exactly the header's size (else code XSE_BAD_MAGIC; code XSE_DATA_READ when damaged).
int ReadJPEGToRGBImage(FILE* stream, XSImage* image);
// One byte per pixel and a colormap from the colour entries (a gray ramp when
// there are none).
int ReadPseudoColorImage(FILE* stream, XSImage* image, const XslTimgHeader& header,
                         const XslXwdColor* colours, long count);
// Pixels of 2, 3 or 4 bytes, most significant byte first; 3-byte pixels become
// 4-byte ones (depth 32).
int ReadTrueColorImage(FILE* stream, XSImage* image, const XslTimgHeader& header);
// Red, green and blue planes one after the other.
int ReadRGBImage(FILE* stream, XSImage* image, const XslTimgHeader& header);
