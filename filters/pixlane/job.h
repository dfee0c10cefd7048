// The stages of one image job.
#pragma once

#include "job_report.h"
#include "raster_job.h"
#include "settings.h"
#include "xsimage.h"

XSImage* read_data(Settings* settings);
int initialize(Settings* settings, XSImage* picture);
// The second half of initialize, for a picture already upright and gray (or a
// bitmap): writes the set-up stream and rewrites the settings into dots and
// 1/720 inch for send_data.
void set_up_page(Settings* settings, const XSImage* picture);

// Largest raster a job may send: far beyond every real sheet (A0 at 1200 dpi is
// about 40000 dots wide), so that absurd scales or resolutions are refused
// before anything is written instead of exhausting memory.
constexpr long max_dots_per_line = 65536;
constexpr double max_dots_per_page = 4294967296.0;
// Why the page asked for cannot be printed (a resolution or scale that is not
// a finite positive number, a raster beyond the bounds above), or null.
const char* page_problem(const Settings* settings, const XSImage* picture);
// The page the settings ask for, as the set-up will compute it: the printable
// frame in inches, the picture's size in pixels as it stands on the sheet
// (turned for landscape) and its scale in printer dots per pixel. Nothing is
// changed or written.
struct picture_plan {
    float frame_width;
    float frame_height;
    int width;
    int height;
    float x_scale;
    float y_scale;
};
picture_plan plan_picture(const Settings* settings, const XSImage* picture);

// send_data, the raster pages: see raster_job.h.
int terminate(Settings* settings);
