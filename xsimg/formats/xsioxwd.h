// X11 window dumps of file version 7: reading every depth and visual, writing
// every pixel kind. The TV11 member of the native family reads and writes the
// same layout through the pieces declared at the end.
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsimage.h"
#include "xsown.h"

// The 100-byte header: 25 unsigned 32-bit fields, most significant byte first in the file.
struct XslXwdHeader {
    uint32_t header_size;   // 100 plus the window name
    uint32_t file_version;  // 7
    uint32_t pixmap_format; // 0 XY-bitmap, 1 XY-pixmap, 2 Z-pixmap
    uint32_t pixmap_depth;
    uint32_t pixmap_width;
    uint32_t pixmap_height;
    uint32_t xoffset;
    uint32_t byte_order;    // 0 least significant byte first, 1 most significant first
    uint32_t bitmap_unit;
    uint32_t bitmap_bit_order;
    uint32_t bitmap_pad;
    uint32_t bits_per_pixel;
    uint32_t bytes_per_line;
    uint32_t visual_class;  // 0 StaticGray ... 3 PseudoColor, 4 TrueColor, 5 DirectColor
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
    uint32_t bits_per_rgb;
    uint32_t colormap_entries;
    uint32_t ncolors;       // colour entries between the window name and the pixels
    uint32_t window_width;
    uint32_t window_height;
    uint32_t window_x;
    uint32_t window_y;
    uint32_t window_bdrwidth;
};
constexpr int XSL_XWD_HEADER_BYTES = 100;
constexpr int XSL_XWD_COLOR_BYTES = 12;

// One 12-byte colour entry; channels of 16 bits.
struct XslXwdColor {
    uint32_t pixel;
    uint16_t red, green, blue;
    uint8_t flags, pad;
};

// Reads a dump from the stream's position: a bitmap for depth 1, a colormap
// image for GrayScale and PseudoColor, direct colour for TrueColor and
// DirectColor; resolution 100.
XSImage* XwdReader(FILE* stream);
// Pixel rows of a Z-pixmap whose header and colour entries are already read.
XSImage* XWDReadColor(FILE* stream, const XslXwdHeader* header, const XslXwdColor* colours, long count);
// Puts a direct-colour image's pixel values through the dump's colour entries
// (nothing changes when they are all gray); 0 with code XSE_VARIANT for pixels that are
// not 2, 3 or 4 bytes. The image ends without colormap.
int ModifyDirectMapToColor(XSImage* image, const XslXwdColor* colours, long count);
// Bitmaps as XY-bitmaps, colormap images as PseudoColor, direct colour and
// RGB planes as DirectColor; most significant byte and bit first.
int XWDWriter(FILE* stream, XSImage* image);
int XSInfoXWD();

// ---- Shared with the TV11 member

void XslXwdHeaderFromBytes(const unsigned char* bytes, XslXwdHeader* header);
// Rules in which the two readers of the layout differ.
struct XslXwdRules {
    int short_colours_code;     // code for colour entries cut short
    bool any_bitmap_unit;       // units other than 16 and 32 are read as 8
    bool bitmap_needs_one_bit;  // depth-1 dumps must say 1 bit per pixel
    bool unit8_one_block = false;  // unit-8 bitmaps are one unpadded block, whatever bytes per line says
};
// Everything after the header: the window name, the colour entries and the
// pixels. Null with xslerrno set.
XslImagePtr XslReadXwdBody(FILE* stream, const XslXwdHeader& header, const XslXwdRules& rules);
// `count` colour entries from the stream, or null with `short_code` when they
// are cut short, XSE_CMAP_READ when the count is beyond the file, or XSE_NO_MEMORY.
XslBuffer<XslXwdColor> XslReadXwdColors(FILE* stream, uint32_t count, int short_code);
// A colormap of one entry per colour entry (at most 256), placed by pixel
// value, channels / 257; entries naming a pixel beyond it are passed over.
// false with code XSE_NO_MEMORY.
bool XslAttachXwdColors(XSImage* image, const XslXwdColor* colours, long count);
// Rows of a bitmap stored in units of 8, 16 or 32 bits with `bytes_per_line`
// bytes per stored line; units whose byte order differs from `bit_order` are
// first brought into it (the bits themselves are left for the caller).
// 1, or 0 with code XSE_DATA_READ (short data or lines shorter than a row), XSE_NO_MEMORY
// or XSE_VARIANT (unit).
int XslRdBitLevelImage(FILE* stream, XSImage* bitmap, int bitmap_unit, long bytes_per_line, int byte_order,
                       int bit_order = 1);
// Header, window name and colour entries as a dump stores them. Entry pixel
// values are the entries' positions, which the pixels hold. Codes 3 and 18.
int XslWriteXwdHeader(FILE* stream, const XslXwdHeader& header, const char* name);
int XslWriteXwdColors(FILE* stream, const XSImage* image, uint8_t flags);
