// Ordered dither: each dot's darkness against a threshold from an 8 x 8
// matrix that tiles the picture from its upper-left dot.
#include "halftone.h"
#include "raster_job_state.h"

namespace {

// The Bayer index matrix times 4: dispersed dots.
const int32_t bayer_matrix[8][8] = {
    {0, 128, 32, 160, 8, 136, 40, 168},
    {192, 64, 224, 96, 200, 72, 232, 104},
    {48, 176, 16, 144, 56, 184, 24, 152},
    {240, 112, 208, 80, 248, 120, 216, 88},
    {12, 140, 44, 172, 4, 132, 36, 164},
    {204, 76, 236, 108, 196, 68, 228, 100},
    {60, 188, 28, 156, 52, 180, 20, 148},
    {252, 124, 220, 92, 244, 116, 212, 84},
};

// A square spiral from the tile's centre: clustered dots that grow outwards.
const int32_t scroll_matrix[8][8] = {
    {168, 172, 176, 180, 184, 188, 192, 196},
    {164, 80, 84, 88, 92, 96, 100, 200},
    {160, 76, 24, 28, 32, 36, 104, 204},
    {156, 72, 20, 0, 4, 40, 108, 208},
    {152, 68, 16, 12, 8, 44, 112, 212},
    {148, 64, 60, 56, 52, 48, 116, 216},
    {144, 140, 136, 132, 128, 124, 120, 220},
    {252, 248, 244, 240, 236, 232, 228, 224},
};

}  // namespace

int matrix_gray(RasterJob* job, const Settings*, XSImage* picture, unsigned char* line, double x_scale,
                double y_scale, int row, const int32_t* thresholds)
{
    long n;
    const unsigned char* dark = gray_darkness(job, picture, x_scale, y_scale, row, 0, &n);
    if (!dark)
        return 0;
    int32_t levels[8];  // d > t is d >= t + 1
    for (int k = 0; k < 8; ++k)
        levels[k] = thresholds[k] + 1;
    pack_at_least(job->path, line, dark, n, levels);
    return 1;
}

int bayer_gray(RasterJob* job, const Settings* settings, XSImage* picture, unsigned char* line,
               double x_scale, double y_scale, int row, int first)
{
    if (first)
        resample_restart(job);
    return matrix_gray(job, settings, picture, line, x_scale, y_scale, row, bayer_matrix[row & 7]);
}

int scroll_gray(RasterJob* job, const Settings* settings, XSImage* picture, unsigned char* line,
                double x_scale, double y_scale, int row, int first)
{
    if (first)
        resample_restart(job);
    return matrix_gray(job, settings, picture, line, x_scale, y_scale, row, scroll_matrix[row & 7]);
}
