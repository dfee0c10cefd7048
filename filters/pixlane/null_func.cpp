// Bitmap sampler: the resampling rule over bits (set = 255, black); a dot
// prints when the blended value reaches 128.
#include "halftone.h"
#include "resample.h"

namespace {

inline double bit_value(const unsigned char* row, long x)
{
    return (row[x >> 3] & XslMsbMask[x & 7]) ? 255.0 : 0.0;
}

}  // namespace

int null_func(RasterJob* job, const Settings*, XSImage* picture, unsigned char* line, double x_scale,
              double y_scale, int row, int)
{
    long n = resample_count(picture->width, x_scale);
    if (n == 0)
        return 1;
    if (!picture->data || picture->height <= 0)
        return 0;
    const ResampleColumns* c = resample_columns(job, picture->width, x_scale, 0);
    if (!c)
        return 0;  // no memory for the column table (or no usable dot count)
    ResampleRow r = resample_row(picture->height, y_scale, row);
    const unsigned char* upper = picture_row(job, picture, r.upper);
    const unsigned char* lower = picture_row(job, picture, r.lower);
    pack_dots(line, n, [&](long i) {
        double top = c->gx[i] * bit_value(upper, c->x0[i]) + c->fx[i] * bit_value(upper, c->x1[i]);
        double bottom = c->gx[i] * bit_value(lower, c->x0[i]) + c->fx[i] * bit_value(lower, c->x1[i]);
        return static_cast<int>(r.gy * top + r.fy * bottom) >= 128;
    });
    return 1;
}
