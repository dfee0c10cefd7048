#include "kernels.h"

namespace {

VectorPath chosen = avx2::available() ? VectorPath::avx2 : VectorPath::plain;

void plain_blend(const ResampleColumns& c, const unsigned char* pixels, double* out, long from)
{
    for (long i = from; i < c.dots; ++i)
        out[i] = c.gx[i] * pixels[c.x0[i]] + c.fx[i] * pixels[c.x1[i]];
}

}  // namespace

VectorPath vector_path()
{
    return chosen;
}

bool use_vector_path(VectorPath path)
{
    if (path == VectorPath::avx2 && !avx2::available())
        return false;
    chosen = path;
    return true;
}

void blend_row(const ResampleColumns& c, const unsigned char* pixels, double* out)
{
    long from = 0;
    if (chosen == VectorPath::avx2) {
        avx2::blend_row(c, pixels, out);
        from = c.pair_dots;
    }
    plain_blend(c, pixels, out, from);
}

void combine_rows(const double* upper, const double* lower, double gy, double fy, long n,
                  unsigned char* dark)
{
    if (chosen == VectorPath::avx2)
        return avx2::combine_rows(upper, lower, gy, fy, n, dark);
    for (long i = 0; i < n; ++i)
        dark[i] = static_cast<unsigned char>(255 - static_cast<int>(gy * upper[i] + fy * lower[i]));
}

void pack_at_least(unsigned char* line, const unsigned char* dark, long n, const int32_t levels[8])
{
    long done = chosen == VectorPath::avx2 ? avx2::pack_at_least(line, dark, n, levels) : 0;
    // done is a multiple of 8, so dot i of the rest keeps its level i mod 8.
    pack_dots(line + done / 8, n - done, [&](long i) { return dark[done + i] >= levels[i & 7]; });
}
