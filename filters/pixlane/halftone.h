// The halftoner contract: fill one output line of dots (MSB first, set bit =
// black) for output row `row`; restart any kept state when `first` is 1.
#pragma once

#include "settings.h"
#include "xsimage.h"

typedef int (*halftoner)(Settings* settings, XSImage* picture, unsigned char* line,
                         double x_scale, double y_scale, int row, int first);

int floyd_gray(Settings*, XSImage*, unsigned char*, double, double, int, int);
int error_gray(Settings*, XSImage*, unsigned char*, double, double, int, int);
int bayer_gray(Settings*, XSImage*, unsigned char*, double, double, int, int);
int scroll_gray(Settings*, XSImage*, unsigned char*, double, double, int, int);
int random_gray(Settings*, XSImage*, unsigned char*, double, double, int, int);
int threshold_gray(Settings*, XSImage*, unsigned char*, double, double, int, int);
int null_func(Settings*, XSImage*, unsigned char*, double, double, int, int);

// The ordered-dither worker: thresholds is one row of 8 matrix values, taken
// by dot column mod 8.
int matrix_gray(Settings*, XSImage*, unsigned char*, double, double, int, const int32_t* thresholds);
