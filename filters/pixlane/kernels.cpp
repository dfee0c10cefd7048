#include "kernels.h"

#include <atomic>

namespace {

// Process-wide: the path new jobs take, found once from the processor and
// changed only by tests and benchmarks (jobs copy it when they are made).
std::atomic<VectorPath> default_path{avx2::available() ? VectorPath::avx2 : VectorPath::plain};

void plain_blend(const ResampleColumns& c, const unsigned char* pixels, double* out, long from)
{
    for (long i = from; i < c.dots; ++i)
        out[i] = c.gx[i] * pixels[c.x0[i]] + c.fx[i] * pixels[c.x1[i]];
}

}  // namespace

VectorPath vector_path()
{
    return default_path.load(std::memory_order_relaxed);
}

bool use_vector_path(VectorPath path)
{
    if (path == VectorPath::avx2 && !avx2::available())
        return false;
    default_path.store(path, std::memory_order_relaxed);
    return true;
}

void blend_row(VectorPath path, const ResampleColumns& c, const unsigned char* pixels, double* out)
{
    long from = 0;
    if (path == VectorPath::avx2) {
        avx2::blend_row(c, pixels, out);
        from = c.pair_dots;
    }
    plain_blend(c, pixels, out, from);
}

void combine_rows(VectorPath path, const double* upper, const double* lower, double gy, double fy,
                  long n, unsigned char* dark)
{
    if (path == VectorPath::avx2)
        return avx2::combine_rows(upper, lower, gy, fy, n, dark);
    for (long i = 0; i < n; ++i)
        dark[i] = static_cast<unsigned char>(255 - static_cast<int>(gy * upper[i] + fy * lower[i]));
}

void pack_at_least(VectorPath path, unsigned char* line, const unsigned char* dark, long n,
                   const int32_t levels[8])
{
    long done = path == VectorPath::avx2 ? avx2::pack_at_least(line, dark, n, levels) : 0;
    // done is a multiple of 8, so dot i of the rest keeps its level i mod 8.
    pack_dots(line + done / 8, n - done, [&](long i) { return dark[done + i] >= levels[i & 7]; });
}

void floyd_sums(VectorPath path, const unsigned char* dark, const int32_t* above, long from,
                long to, int32_t* sums)
{
    if (path == VectorPath::avx2)
        from = avx2::floyd_sums(dark, above, from, to, sums);
    for (long i = from; i < to; ++i)
        sums[i] = 16 * dark[i] + static_cast<int16_t>(above[i] + 5 * above[i + 1] + 3 * above[i + 2]);
}

void floyd_black(VectorPath path, const int32_t* sums, const int32_t* errors, long from, long to,
                 unsigned char* black)
{
    if (path == VectorPath::avx2)
        from = avx2::floyd_black(sums, errors, from, to, black);
    for (long i = from; i < to; ++i)
        black[i] = sums[i] + (errors[i] >> 16) >= 2048 ? 255 : 0;
}

void jarvis_sums(VectorPath path, const int32_t* back, const int32_t* above, long from, long to,
                 int32_t* sums)
{
    if (path == VectorPath::avx2)
        from = avx2::jarvis_sums(back, above, from, to, sums);
    for (long i = from; i < to; ++i) {
        const int32_t* b = back + i;
        const int32_t* p = above + i;
        sums[i] = b[0] + 3 * b[1] + 5 * b[2] + 3 * b[3] + b[4] + 3 * p[0] + 5 * p[1] + 7 * p[2] + 5 * p[3] + 3 * p[4];
    }
}
