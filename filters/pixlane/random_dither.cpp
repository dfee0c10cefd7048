// Random dither and fixed threshold: the two memoryless halftoners.
#include "halftone.h"
#include "raster_job_state.h"

#include <cmath>

int random_gray(RasterJob* job, const Settings*, XSImage* picture, unsigned char* line, double x_scale,
                double y_scale, int row, int first)
{
    if (first)
        job->random.restart(random_dither_seed);  // every transmission draws the same sequence
    long n;
    const unsigned char* dark = gray_darkness(job, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    // One draw per dot, in order, whatever the dot's darkness.
    RandomSequence& random = job->random;
    pack_dots(line, n, [&](long i) { return dark[i] > (random.next() & 255); });
    return 1;
}

namespace {

// trunc(threshold * 256 + 0.5), held within 0 .. 256: below 0 every dot
// prints, from 256 none, so the clamp changes nothing but keeps a wild
// value (1e30, NaN from the command line) from overflowing the conversion.
int32_t threshold_from(double threshold)
{
    double t = std::trunc(threshold * 256 + 0.5);
    if (t >= 256 || std::isnan(t))
        return 256;
    return t <= 0 ? 0 : static_cast<int32_t>(t);
}

}  // namespace

int threshold_gray(RasterJob* job, const Settings* settings, XSImage* picture, unsigned char* line,
                   double x_scale, double y_scale, int row, int first)
{
    if (first || !job->threshold_set) {
        job->threshold_level = threshold_from(settings->threshold);
        job->threshold_set = true;
    }
    long n;
    const unsigned char* dark = gray_darkness(job, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const int32_t t = job->threshold_level;
    const int32_t levels[8] = {t, t, t, t, t, t, t, t};
    pack_at_least(job->path, line, dark, n, levels);
    return 1;
}
