// The inner loops of the gray resampling and of the threshold halftoners, in
// a plain version and an AVX2 version picked at run time. Both give the same
// bytes: the vector code does the same double operations in the same order
// (no fused multiply-add), only four dots at a time.
#pragma once

#include "resample.h"

#include <cstdint>

// Horizontal blends of one source row: out[i] = gx[i] * p[x0[i]] + fx[i] * p[x1[i]].
void blend_row(const ResampleColumns& columns, const unsigned char* pixels, double* out);

// Darkness of n dots from the blends of the upper and lower source rows:
// 255 - trunc(gy * upper[i] + fy * lower[i]).
void combine_rows(const double* upper, const double* lower, double gy, double fy, long n,
                  unsigned char* dark);

// Packs n dots into line (MSB first, whole bytes); dot i prints when its
// darkness reaches levels[i mod 8], each level 0 (always) .. 256 (never).
void pack_at_least(unsigned char* line, const unsigned char* dark, long n, const int32_t levels[8]);

enum class VectorPath { plain, avx2 };

// The path in use: AVX2 where the processor has it.
VectorPath vector_path();
// Chooses a path (the tests run both); false, and no change, when the
// processor lacks it.
bool use_vector_path(VectorPath path);

// The AVX2 versions, defined only on x86; call them through the functions above.
namespace avx2 {
bool available();
void blend_row(const ResampleColumns& columns, const unsigned char* pixels, double* out);
void combine_rows(const double* upper, const double* lower, double gy, double fy, long n,
                  unsigned char* dark);
long pack_at_least(unsigned char* line, const unsigned char* dark, long n, const int32_t levels[8]);
}  // namespace avx2
