// The two window-dump members of the native family: TV11, the version-7 dump
// with the resolution kept in the window width, and TV10, the small bitmap
// dump with a 6-byte header. Both are reached through XSLRead and XSLCheckUp.
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsio.h"
#include "xsioxwd.h"

// TV11: file version 7 in the second word; word0 is the header size.
int TV11Indent(uint32_t word0, uint32_t word1);
// Width, height and the resolution (the window width when the window's other
// fields are 0, else 100) from the rest of the header; 0 with code XSE_HEADER_READ.
int TV11Information(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info);
// Reads the dump after its first 8 bytes: a bitmap for depth 1, otherwise what XWDReadColor makes.
XSImage* TV11Reader(FILE* stream, uint32_t word0, uint32_t word1);
// Bitmaps in 16-bit units and colormap images as 8-bit PseudoColor; other kinds code XSE_KIND.
int TV11Writer(FILE* stream, XSImage* image);
// The bitmap form of TV11Writer.
int XslWrBitLevelImage(FILE* stream, XSImage* bitmap);

// TV10: bytes per row and height in the first word, each giving fewer than 2000 pixels.
int TV10Indent(uint32_t word0, uint32_t word1);
int TV10Information(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info);
// The low half of word1 holds the first two data bytes. Resolution 100.
XSImage* TV10Reader(FILE* stream, uint32_t word0, uint32_t word1);
// Bitmaps only (else code XSE_BITMAP_ONLY); rows of (width + 7) / 8 bytes. The image is left as it was.
int TV10Writer(FILE* stream, XSImage* image);

int XSInfoXWD11();
int XSInfoXWD10();
