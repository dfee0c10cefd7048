// The six halftoning methods and the bitmap sampler, each a halftoner (see
// raster_job.h): they keep their state between lines in the job.
#pragma once

#include "raster_job.h"

int floyd_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);
int error_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);
int bayer_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);
int scroll_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);
int random_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);
int threshold_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);
int null_func(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int, int);

// The ordered-dither worker: thresholds is one row of 8 matrix values, taken
// by dot column mod 8.
int matrix_gray(RasterJob*, const Settings*, XSImage*, unsigned char*, double, double, int,
                const int32_t* thresholds);
