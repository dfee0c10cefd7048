// Quarter turns of an image, in place, for every pixel kind.
#pragma once

#include "xsimage.h"

// A quarter turn counter-clockwise: pixel (x, y) goes to column y, row W - 1 - x.
int XSLRotate90(XSImage* image);

// A quarter turn clockwise: pixel (x, y) goes to column H - 1 - y, row x.
int XSLRotate270(XSImage* image);
