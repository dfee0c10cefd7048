// Colour to 8-bit gray through three channel tables, in one pass.
#pragma once

#include "xsimage.h"

// Makes a direct-colour or colormap picture 8-bit gray with the identity gray
// ramp, each pixel the fast gray of its 8-bit red, green and blue put through
// the three tables: the pixels XSLConv24RGB, the tables over the planes and
// XSLConvGray give one after the other, without the two extra whole-picture
// planes. The gray is written over the pixels. 1, or 0 with xslerrno (XSE_KIND
// for another kind, XSE_NO_MEMORY; the picture is then unchanged).
int XSLTablesToGray(XSImage* image, const unsigned char* table_red, const unsigned char* table_green,
                    const unsigned char* table_blue);
