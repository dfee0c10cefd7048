// Bilinear resampling of the picture onto the printer's dot grid, shared by
// every halftoner. Dot i of output line row maps to source position
// (i / x_scale, row / y_scale); the value blends the four pixels around it in
// double precision, and a position on the last column or row takes no
// neighbour beyond it.
#pragma once

#include "xsimage.h"

#include <cstdint>
#include <vector>

struct RasterJob;

// trunc(pixels * scale): dots per line or lines per page. -1 when the product
// is not a count an int can hold (NaN, infinite, too large); 0 or less means
// nothing to print.
long resample_count(int pixels, double scale);

// Per-column work of one job, built once for a picture width and x scale:
// dot i reads source columns x0[i] and x1[i] with weights gx[i] = 1 - fx[i]
// and fx[i]. On the last column fx is 0 and x1 = x0, which gives exactly the
// value the rule gets with a zero right neighbour.
struct ResampleColumns {
    long dots;
    long pair_dots;  // leading dots whose x1 is x0 + 1 (all but those on the last column)
    const int32_t* x0;
    const int32_t* x1;
    const double* fx;
    const double* gx;
};

// Source rows and weights of one output line: upper/lower row index,
// fy and gy = 1 - fy. The bottom row is its own lower neighbour with fy 0.
struct ResampleRow {
    long upper;
    long lower;
    double fy;
    double gy;
};

// What a job keeps between lines: the column table, keyed by width and x
// scale, and the horizontal blends (1 - fx) * left + fx * right of the two
// source rows the current output line needs. Enlarged pictures reuse the
// blends for several output lines; each is the same double the full
// expression would compute first.
struct ResampleCache {
    bool valid = false;
    int width = 0;
    double x_scale = 0;
    unsigned generation = 0;  // bumped on every column rebuild, so row blends follow
    std::vector<int32_t> x0, x1;
    std::vector<double> fx, gx;
    ResampleColumns view{};

    const unsigned char* data = nullptr;  // the rows' picture
    long stride = 0;
    unsigned row_generation = 0;
    long source[2] = {-1, -1};
    std::vector<double> blend[2];
    std::vector<unsigned char> darkness;
};

// The job's column table for (width, x_scale); rebuilt when either changes or
// when restart is 1. Null with errno ENOMEM when it cannot be allocated, or
// when the dot count is unusable (see resample_count).
const ResampleColumns* resample_columns(RasterJob* job, int width, double x_scale, int restart);

// Source rows for output line row, clamped to the picture so that no caller
// reads outside it, even for a row beyond the last line.
ResampleRow resample_row(int height, double y_scale, int row);

// Darkness 0 (white) .. 255 (black) of every dot of output line row of an
// 8-bit gray picture: 255 minus the resampled value. *dots receives N. The
// buffer belongs to the job and stays valid until its next call.
// restart = 1, or row 0, drops every cache (start of a transmission). Null on failure
// (no memory, unusable scale, picture without pixels while N > 0).
const unsigned char* gray_darkness(RasterJob* job, const XSImage* picture, double x_scale,
                                   double y_scale, int row, int restart, long* dots);
// Whether gray_darkness hands out the rows themselves, which stay put while
// the lines read from them are made: rows held as darkness, dot for pixel.
bool darkness_in_place(const RasterJob* job, double x_scale, double y_scale);

// to[i] = 255 - from[i]: gray made darkness.
void copy_inverted(const unsigned char* from, unsigned char* to, long n);

// Drops the job's caches so that the next line is built afresh from the picture.
void resample_restart(RasterJob* job);

// Packs n dots into line, eight to a byte, most significant bit first;
// black(i) is asked once per dot, in order, and decides whether it prints.
// Whole bytes are written; the unused low bits of the last byte are 0.
template <class Black>
inline void pack_dots(unsigned char* line, long n, Black black)
{
    long i = 0;
    for (long byte = 0; byte < n / 8; ++byte) {
        unsigned bits = 0;
        for (int k = 0; k < 8; ++k, ++i)
            bits = (bits << 1) | (black(i) ? 1u : 0u);
        line[byte] = static_cast<unsigned char>(bits);
    }
    if (n % 8) {
        unsigned bits = 0;
        for (int k = 0; k < 8; ++k, ++i)
            bits = (bits << 1) | (i < n && black(i) ? 1u : 0u);
        line[n / 8] = static_cast<unsigned char>(bits);
    }
}
