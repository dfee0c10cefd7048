// Hue, saturation and brightness adjustment in several colour models.
#pragma once

#include "xsimage.h"

// mode 0: XSLBrightenChannl (channels, percentages in hue/saturation/brightness);
// mode 1: XSLBrightenCMY; 2: luminance-chroma polar model; 3: hexcone HSV;
// 5: HLS; 6: HLS with signed lightness. Saturation and brightness are percentages
// (100 = unchanged), hue a shift in degrees. Mode 4 and unknown modes give 0 without a code.
int XSLBrightenColor(XSImage* image, int mode, int channels, double hue, double saturation,
                     double brightness);

// The model functions: three channel values in, unclipped new values out.
void ModifiedHSV(int* red, int* green, int* blue, double hue, double saturation, double brightness);
void ModifiedHSV2(int* red, int* green, int* blue, double hue, double saturation, double value);
void ModifiedHLS(int* red, int* green, int* blue, double hue, double saturation, double lightness);
void ModifiedHSL(int* red, int* green, int* blue, double hue, double saturation, double lightness);
