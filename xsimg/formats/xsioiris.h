// SGI image files of one or two bytes per channel (two are read at their
// high byte), rows stored verbatim or run-length coded. Offsets in the file count from where the picture starts.
#pragma once

#include <cstdio>

#include "xsimage.h"

// One or two channels give an 8-bit image of channel 0 with the identity gray
// ramp; three or more give 24-bit direct colour of channels 0, 1, 2 (red,
// green, blue); alpha and further channels are not kept. Null with code XSE_READ_ERROR
// (short header), XSE_BAD_MAGIC (bad magic), XSE_LAYOUT (more than two bytes per channel),
// XSE_DATA_READ (data short, row tables pointing outside the file, corrupt runs) or
// XSE_NO_MEMORY.
XSImage* XSReadIRIS(FILE* stream);
// Run-length coded; colormap images and bitmaps as one channel of luminance,
// every other kind as three channels. 1, or 0 with code XSE_READ_ERROR, XSE_DATA_WRITE,
// XSE_NO_MEMORY, XSE_VARIANT (a side longer than 65535) or XSE_KIND.
int XSWriteIRIS(FILE* stream, XSImage* image);
int XSInfoIRIS();
