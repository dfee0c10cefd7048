// The halftoning rules written out dot by dot, with no table, cache or vector
// code: the plain reference that the filter's fast paths must match bit for bit.
#pragma once

#include "xsimage.h"

#include <vector>

// The resampling rule written out per dot, with no table and no row cache;
// pixel(row pointer, x) gives a pixel value 0 .. 255.
template <class Pixel>
int rule_value(const XSImage& p, long stride, double x_scale, double y_scale, long row, long i,
               Pixel pixel)
{
    double ry = row / y_scale;
    long y0 = static_cast<long>(ry);
    const unsigned char* upper = p.data + y0 * stride;
    const unsigned char* lower = upper;
    double fy = 0;
    if (y0 < p.height - 1) {
        lower = upper + stride;
        fy = ry - y0;
    }
    double rx = i / x_scale;
    long x0 = static_cast<long>(rx);
    double p00 = pixel(upper, x0), p10 = pixel(lower, x0), p01 = 0, p11 = 0, fx = 0;
    if (x0 < p.width - 1) {
        fx = rx - x0;
        p01 = pixel(upper, x0 + 1);
        p11 = pixel(lower, x0 + 1);
    }
    return static_cast<int>((1 - fy) * ((1 - fx) * p00 + fx * p01) + fy * ((1 - fx) * p10 + fx * p11));
}

inline double reference_gray_pixel(const unsigned char* row, long x) { return row[x]; }
inline double reference_bit_pixel(const unsigned char* row, long x)
{
    return (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
}

// One transmission of the page by dither method 0 .. 5, as lines of
// (N + 7) / 8 bytes; threshold is the setting method 5 reads.
std::vector<std::vector<unsigned char>> reference_page(int method, const XSImage& picture,
                                                       double x_scale, double y_scale,
                                                       double threshold);
