// JPEG/JFIF pictures through libjpeg.
#pragma once

#include <cstdio>

#include "xsimage.h"

// Gray pictures become 8-bit images with the identity gray ramp, colour pictures
// 24-bit direct colour (R, G, B bytes). Null for anything else, for a damaged file
// or a picture of more than XS_MAX_PIXELS pixels; xslerrno is left alone. Pixels
// of unequal JFIF density are made square at the horizontal density.
XSImage* XSReadJpeg(FILE* stream);
// 1 when the data of the last picture XSReadJpeg or XslReadEmbeddedJpeg
// decoded on this thread ended before its last row: the rows beyond what was
// read are the decoder's fill. 0 otherwise.
int XslJpegCutShort();
// A JPEG stream embedded in another file whose header says the picture is
// width x height, decoded from the stream's position like XSReadJpeg but
// without the JFIF density (resolution 100). Null with a code: XSE_DATA_READ for damaged
// data, XSE_BAD_MAGIC when the stream holds a picture of another size, XSE_LAYOUT for
// colour spaces other than gray and RGB, XSE_NO_MEMORY.
XSImage* XslReadEmbeddedJpeg(FILE* stream, int width, int height);
// 1, or 0 with xslerrno XSE_NO_MEMORY, XSE_PROCESS_KIND or XSE_KIND (0 without a code
// when the library fails).
int XSWriteJpeg(FILE* stream, XSImage* image);
int XSInfoJPEG();

// Writer settings, kept for the life of the process.
// Quality 1..100 (initially 75); values beyond are clamped. Returns 1.
int XSJpegQualitySet(int quality);
// progressive and baseline 0 or 1, dct_algorithm 0 (accurate integer), 1 (fast
// integer, the initial choice) or 2 (floating point). 1, or 0 and no change when
// any value is out of range.
int XSJpegCompressOption(int progressive, int baseline, int dct_algorithm);
