// The stages of one image job.
#pragma once

#include "job_context.h"
#include "job_report.h"
#include "page_layout.h"
#include "raster_job.h"
#include "settings.h"
#include "xsimage.h"

// Reads and corrects the picture; the context (may be null) names the page
// of a TIFF to read and learns whether a JPEG was cut short.
XSImage* read_data(Settings* settings, job_context* context = nullptr);
// Turns the picture for landscape, brings it to 8-bit gray, writes the
// printer's set-up for it and fills *layout; the settings are only read.
int initialize(const Settings* settings, XSImage* picture, PageLayout* layout);
// The second half of initialize, for a picture already upright and gray (or a
// bitmap): fills *layout and writes the set-up stream.
void set_up_page(const Settings* settings, const XSImage* picture, PageLayout* layout);

// Largest raster a job may send: far beyond every real sheet (A0 at 1200 dpi is
// about 40000 dots wide), so that absurd scales or resolutions are refused
// before anything is written instead of exhausting memory.
constexpr long max_dots_per_line = 65536;
constexpr double max_dots_per_page = 4294967296.0;
// Why the page asked for cannot be printed (a resolution or scale that is not
// a finite positive number, a raster beyond the bounds above), or null.
const char* page_problem(const Settings* settings, const XSImage* picture);
// send_data, the raster pages: see raster_job.h.
int terminate(const Settings* settings);
