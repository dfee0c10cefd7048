// AVX2 versions of the kernels, compiled for AVX2 only (never FMA: a fused
// multiply-add rounds once where the plain code rounds twice).
#include "kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstring>

namespace avx2 {

bool available()
{
    __builtin_cpu_init();  // asked during static initialisation, maybe before the library's own
    return __builtin_cpu_supports("avx2");
}

// clang (the fuzz build) takes the target as a function attribute.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

// Four dots at a time. The two bytes p[x0], p[x1] of a dot are read as one
// 16-bit word (before pair_dots, x1 is always x0 + 1); later dots are left to
// the plain loop. Plain loads beat the gather instruction here.
inline int pair_at(const unsigned char* pixels, int32_t x)
{
    uint16_t pair;
    memcpy(&pair, pixels + x, 2);
    return pair;
}

void blend_row(const ResampleColumns& c, const unsigned char* pixels, double* out)
{
    const __m128i byte = _mm_set1_epi32(0xFF);
    const int32_t* x0 = c.x0;
    const double* gx = c.gx;
    const double* fx = c.fx;
    const long end = c.pair_dots;
    for (long i = 0; i + 4 <= end; i += 4) {
        __m128i words = _mm_setr_epi32(pair_at(pixels, x0[i]), pair_at(pixels, x0[i + 1]),
                                       pair_at(pixels, x0[i + 2]), pair_at(pixels, x0[i + 3]));
        __m256d left = _mm256_cvtepi32_pd(_mm_and_si128(words, byte));
        __m256d right = _mm256_cvtepi32_pd(_mm_srli_epi32(words, 8));
        __m256d sum = _mm256_add_pd(_mm256_mul_pd(_mm256_loadu_pd(gx + i), left),
                                    _mm256_mul_pd(_mm256_loadu_pd(fx + i), right));
        _mm256_storeu_pd(out + i, sum);
    }
    // The last group of fewer than four: one dot at a time, same arithmetic.
    for (long i = end & ~3L; i < end; ++i)
        out[i] = gx[i] * pixels[x0[i]] + fx[i] * pixels[c.x1[i]];
}

void combine_rows(const double* upper, const double* lower, double gy, double fy, long n,
                       unsigned char* dark)
{
    const __m256d wy = _mm256_set1_pd(gy), wf = _mm256_set1_pd(fy);
    const __m128i white = _mm_set1_epi8(static_cast<char>(0xFF));
    auto four = [&](long i) {
        __m256d v = _mm256_add_pd(_mm256_mul_pd(wy, _mm256_loadu_pd(upper + i)),
                                  _mm256_mul_pd(wf, _mm256_loadu_pd(lower + i)));
        return _mm256_cvttpd_epi32(v);  // truncation toward zero, 0 .. 255
    };
    long i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i low = _mm_packs_epi32(four(i), four(i + 4));
        __m128i high = _mm_packs_epi32(four(i + 8), four(i + 12));
        __m128i v = _mm_packus_epi16(low, high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dark + i), _mm_xor_si128(v, white));  // 255 - v
    }
    for (; i < n; ++i)
        dark[i] = static_cast<unsigned char>(255 - static_cast<int>(gy * upper[i] + fy * lower[i]));
}

// 32 dots to four whole bytes per step; returns the dots done (a multiple of 32).
long pack_at_least(unsigned char* line, const unsigned char* dark, long n, const int32_t levels[8])
{
    // Compared as 16-bit numbers, darkness > level - 1 holds for levels 0 and 256 too.
    alignas(32) int16_t below[16];
    for (int k = 0; k < 16; ++k)
        below[k] = static_cast<int16_t>(levels[k & 7] - 1);
    const __m256i limit = _mm256_load_si256(reinterpret_cast<const __m256i*>(below));
    // Reverses each group of eight bytes, so that movemask puts the group's
    // first dot in the high bit of its byte.
    const __m256i reverse = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,
                                             7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    long i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dark + i));
        __m256i first = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(d));
        __m256i second = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(d, 1));
        __m256i black = _mm256_packs_epi16(_mm256_cmpgt_epi16(first, limit),
                                           _mm256_cmpgt_epi16(second, limit));
        black = _mm256_permute4x64_epi64(black, 0xD8);  // packs interleaves the halves
        uint32_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_shuffle_epi8(black, reverse)));
        memcpy(line + i / 8, &bits, 4);  // byte k holds dots 8k .. 8k + 7 on little-endian x86
    }
    return i;
}

// Eight dots per step, in exact integer arithmetic; returns where the plain
// loop takes over.
inline __m256i load8(const int32_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

inline __m256i times(__m256i v, int k)
{
    return _mm256_mullo_epi32(v, _mm256_set1_epi32(k));
}

long floyd_sums(const unsigned char* dark, const int32_t* above, long from, long to, int32_t* sums)
{
    long i = from;
    for (; i + 8 <= to; i += 8) {
        __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dark + i));
        __m256i s = _mm256_add_epi32(load8(above + i), times(load8(above + i + 1), 5));
        s = _mm256_add_epi32(s, times(load8(above + i + 2), 3));
        s = _mm256_srai_epi32(_mm256_slli_epi32(s, 16), 16);  // the low 16 bits, signed
        s = _mm256_add_epi32(s, _mm256_slli_epi32(_mm256_cvtepu8_epi32(bytes), 4));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i), s);
    }
    return i;
}

long jarvis_sums(const int32_t* back, const int32_t* above, long from, long to, int32_t* sums)
{
    long i = from;
    for (; i + 8 <= to; i += 8) {
        const int32_t* b = back + i;
        const int32_t* p = above + i;
        __m256i ones = _mm256_add_epi32(load8(b), load8(b + 4));
        __m256i threes = _mm256_add_epi32(_mm256_add_epi32(load8(b + 1), load8(b + 3)),
                                          _mm256_add_epi32(load8(p), load8(p + 4)));
        __m256i fives = _mm256_add_epi32(_mm256_add_epi32(load8(b + 2), load8(p + 1)), load8(p + 3));
        __m256i s = _mm256_add_epi32(_mm256_add_epi32(ones, times(threes, 3)),
                                     _mm256_add_epi32(times(fives, 5), times(load8(p + 2), 7)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i), s);
    }
    return i;
}

long floyd_black(const int32_t* sums, const int32_t* errors, long from, long to, unsigned char* black)
{
    const __m256i below = _mm256_set1_epi32(2047);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);  // undoes the packs' interleaving
    auto eight = [&](long i) {
        __m256i t = _mm256_add_epi32(load8(sums + i), _mm256_srai_epi32(load8(errors + i), 16));
        return _mm256_cmpgt_epi32(t, below);
    };
    long i = from;
    for (; i + 32 <= to; i += 32) {
        __m256i low = _mm256_packs_epi32(eight(i), eight(i + 8));
        __m256i high = _mm256_packs_epi32(eight(i + 16), eight(i + 24));
        __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packs_epi16(low, high), order);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(black + i), bytes);
    }
    return i;
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

}  // namespace avx2

#else

namespace avx2 {
bool available() { return false; }
void blend_row(const ResampleColumns&, const unsigned char*, double*) {}
void combine_rows(const double*, const double*, double, double, long, unsigned char*) {}
long pack_at_least(unsigned char*, const unsigned char*, long, const int32_t*) { return 0; }
long floyd_sums(const unsigned char*, const int32_t*, long from, long, int32_t*) { return from; }
long jarvis_sums(const int32_t*, const int32_t*, long from, long, int32_t*) { return from; }
long floyd_black(const int32_t*, const int32_t*, long from, long, unsigned char*) { return from; }
}  // namespace avx2

#endif
