// Channel brightness: linear scaling of red, green and blue by percentages
// (100 = unchanged), additive per channel or subtractive as ink amounts.
#pragma once

#include "xsimage.h"

enum { XSL_CHANNEL_RED = 1, XSL_CHANNEL_GREEN = 2, XSL_CHANNEL_BLUE = 4, XSL_CHANNEL_ALL = 7 };

int XSLBrightenChannl(XSImage* image, int channels, double red_percent, double green_percent,
                      double blue_percent);
int XSLBrighten(XSImage* image, double percent);
int XSLBrightenCMY(XSImage* image, double cyan_percent, double magenta_percent, double yellow_percent);
