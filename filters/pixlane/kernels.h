// The inner loops of the gray resampling, of the threshold halftoners and of
// error diffusion's sums, in a plain version and an AVX2 version picked at run
// time. Both give the same bytes: the vector code does the same double
// operations in the same order (no fused multiply-add), only four dots at a
// time, and the sums are exact integers.
#pragma once

#include "resample.h"

#include <cstdint>

// Which code runs the loops; each job keeps its own choice.
enum class VectorPath { plain, avx2 };

// Horizontal blends of one source row: out[i] = gx[i] * p[x0[i]] + fx[i] * p[x1[i]].
void blend_row(VectorPath path, const ResampleColumns& columns, const unsigned char* pixels, double* out);

// Darkness of n dots from the blends of the upper and lower source rows:
// 255 - trunc(gy * upper[i] + fy * lower[i]).
void combine_rows(VectorPath path, const double* upper, const double* lower, double gy, double fy,
                  long n, unsigned char* dark);

// Packs n dots into line (MSB first, whole bytes); dot i prints when its
// darkness reaches levels[i mod 8], each level 0 (always) .. 256 (never).
void pack_at_least(VectorPath path, unsigned char* line, const unsigned char* dark, long n,
                   const int32_t levels[8]);

// What the lines above give each dot of an error-diffusion line, for dots
// from .. to - 1 (row entry k + border is column k):
// Floyd-Steinberg, with the dot's own darkness, from rows whose entries hold
// an error e as e + 65536 x 7e (the low 16 bits of the weighted sum are the
// weighted sum of the errors, at most 9 x 127 either way):
//   sums[i] = 16 dark[i] + low16(above[i] + 5 above[i + 1] + 3 above[i + 2]);
// five by three, the two lines above weighted 1 3 5 3 1 and 3 5 7 5 3:
//   sums[i] = back[i] + 3 back[i + 1] + ... + 3 above[i + 4].
void floyd_sums(VectorPath path, const unsigned char* dark, const int32_t* above, long from,
                long to, int32_t* sums);
void jarvis_sums(VectorPath path, const int32_t* back, const int32_t* above, long from, long to,
                 int32_t* sums);
// Floyd-Steinberg's dots from .. to - 1 of a line made: dot i prints (black
// 255, else 0) when sums[i] + 7 x the error of dot i - 1 (errors[i] >> 16)
// reaches 2048.
void floyd_black(VectorPath path, const int32_t* sums, const int32_t* errors, long from, long to,
                 unsigned char* black);

// The path new jobs take: AVX2 where the processor has it.
VectorPath vector_path();
// Chooses the path for jobs made from now on (the tests and the benchmark
// run both); false, and no change, when the processor lacks it.
bool use_vector_path(VectorPath path);

// The AVX2 versions, defined only on x86; call them through the functions above.
namespace avx2 {
bool available();
void blend_row(const ResampleColumns& columns, const unsigned char* pixels, double* out);
void combine_rows(const double* upper, const double* lower, double gy, double fy, long n,
                  unsigned char* dark);
long pack_at_least(unsigned char* line, const unsigned char* dark, long n, const int32_t levels[8]);
long floyd_sums(const unsigned char* dark, const int32_t* above, long from, long to, int32_t* sums);
long jarvis_sums(const int32_t* back, const int32_t* above, long from, long to, int32_t* sums);
long floyd_black(const int32_t* sums, const int32_t* errors, long from, long to, unsigned char* black);
}  // namespace avx2
