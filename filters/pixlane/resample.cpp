#include "resample.h"

#include "raster_job_state.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace {

const double* blended_row(RasterJob* job, const XSImage* picture, long y, long keep)
{
    ResampleCache& rows = job->resample;
    for (int slot = 0; slot < 2; ++slot)
        if (rows.source[slot] == y)
            return rows.blend[slot].data();
    int slot = rows.source[0] == keep ? 1 : 0;
    const unsigned char* pixels = picture_row(job, picture, y);
    double* out = rows.blend[slot].data();
    blend_row(job->path, rows.view, pixels, out);
    rows.source[slot] = y;
    return out;
}

// A picture at the printer's own resolution: every dot is its pixel, as the
// blend gives it with weights 1 and 0, with no blending at all.
const unsigned char* own_darkness(RasterJob* job, const XSImage* picture, int row, long n)
{
    const long y = resample_row(picture->height, 1.0, row).upper;
    if (job->rows.darkness)
        return picture_row(job, picture, y);
    std::vector<unsigned char>& out = job->resample.darkness;
    if (static_cast<long>(out.size()) < n) {
        try {
            out.resize(n);
        } catch (const std::bad_alloc&) {
            errno = ENOMEM;
            return nullptr;
        }
    }
    const unsigned char* pixels = picture_row(job, picture, y);
    copy_inverted(pixels, out.data(), n);
    return out.data();
}

}  // namespace

void copy_inverted(const unsigned char* from, unsigned char* to, long n)
{
    // 255 - v is ~v: 16 at a time, in the vectors every x86-64 has.
    using Bytes16 = unsigned char __attribute__((vector_size(16)));
    long i = 0;
    for (; i + 16 <= n; i += 16) {
        Bytes16 v;
        std::memcpy(&v, from + i, 16);
        v = ~v;
        std::memcpy(to + i, &v, 16);
    }
    for (; i < n; ++i)
        to[i] = static_cast<unsigned char>(255 - from[i]);
}

long resample_count(int pixels, double scale)
{
    double product = pixels * scale;
    if (!(product < 2147483648.0))  // also NaN
        return -1;
    return product < 1.0 ? 0 : static_cast<long>(product);
}

void resample_restart(RasterJob* job)
{
    job->resample.valid = false;
    job->resample.source[0] = job->resample.source[1] = -1;
}

const ResampleColumns* resample_columns(RasterJob* job, int width, double x_scale, int restart)
{
    ResampleCache& columns = job->resample;
    if (!restart && columns.valid && columns.width == width && columns.x_scale == x_scale)
        return &columns.view;
    columns.valid = false;
    ++columns.generation;
    long n = resample_count(width, x_scale);
    if (n < 0) {
        errno = ENOMEM;
        return nullptr;
    }
    try {
        columns.x0.resize(n);
        columns.x1.resize(n);
        columns.fx.resize(n);
        columns.gx.resize(n);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return nullptr;
    }
    double last = width - 1;
    long pair_dots = 0;
    for (long i = 0; i < n; ++i) {
        double rx = i / x_scale;
        if (rx < last) {
            int32_t x0 = static_cast<int32_t>(rx);
            columns.x0[i] = x0;
            columns.x1[i] = x0 + 1;
            columns.fx[i] = rx - x0;
            pair_dots = i + 1;  // rx never decreases: these dots lead
        } else {  // last column, or (by rounding) past it: no right neighbour
            columns.x0[i] = columns.x1[i] = static_cast<int32_t>(last);
            columns.fx[i] = 0;
        }
        columns.gx[i] = 1 - columns.fx[i];
    }
    columns.view = {n, pair_dots, columns.x0.data(), columns.x1.data(), columns.fx.data(), columns.gx.data()};
    columns.width = width;
    columns.x_scale = x_scale;
    columns.valid = true;
    return &columns.view;
}

ResampleRow resample_row(int height, double y_scale, int row)
{
    double ry = row / y_scale;
    double last = height - 1;
    if (ry >= 0 && ry < last) {
        long y0 = static_cast<long>(ry);
        return {y0, y0 + 1, ry - y0, 1 - (ry - y0)};
    }
    long y = ry >= last && height > 0 ? height - 1 : 0;  // NaN and negatives: top row
    return {y, y, 0.0, 1.0};
}

bool darkness_in_place(const RasterJob* job, double x_scale, double y_scale)
{
    return job->rows.darkness && x_scale == 1.0 && y_scale == 1.0;
}

const unsigned char* gray_darkness(RasterJob* job, const XSImage* picture, double x_scale,
                                   double y_scale, int row, int restart, long* dots)
{
    ResampleCache& rows = job->resample;
    static const unsigned char nothing = 0;
    // Line 0 starts a transmission even for a caller that passes no restart
    // (the ordered-dither worker): a new picture may sit at a freed one's address.
    if (restart || row == 0)
        resample_restart(job);
    long n = resample_count(picture->width, x_scale);
    if (n < 0) {
        errno = ENOMEM;
        return nullptr;
    }
    *dots = n;
    if (n == 0)
        return &nothing;
    if (!picture->data || picture->height <= 0) {
        errno = EINVAL;
        return nullptr;
    }
    if (x_scale == 1.0 && y_scale == 1.0)
        return own_darkness(job, picture, row, n);
    const ResampleColumns* c = resample_columns(job, picture->width, x_scale, 0);
    if (!c)
        return nullptr;
    long stride = XSLBytesPerLine(picture);
    if (rows.data != picture->data || rows.stride != stride || rows.row_generation != rows.generation) {
        rows.source[0] = rows.source[1] = -1;
        try {
            for (auto& b : rows.blend)
                b.resize(n);
            rows.darkness.resize(n);
        } catch (const std::bad_alloc&) {
            errno = ENOMEM;
            return nullptr;
        }
        rows.data = picture->data;
        rows.stride = stride;
        rows.row_generation = rows.generation;
    }
    ResampleRow r = resample_row(picture->height, y_scale, row);
    const double* upper = blended_row(job, picture, r.upper, -1);
    const double* lower = r.lower == r.upper ? upper : blended_row(job, picture, r.lower, r.upper);
    unsigned char* out = rows.darkness.data();
    combine_rows(job->path, upper, lower, r.gy, r.fy, n, out);
    return out;
}
