// One page that arrives already drawn at printer resolution (a spooler's
// raster page, a Printer Application's page) sent to the printer: the page's
// own set-up (paper, frame), its raster lines through pixlane's halftoners and
// raster output, and its form feed. Every caller that hands over the same page
// gets the same bytes; a job of several pages is one page after the other,
// then end_raster_job.
#pragma once

#include <cstdio>

#include "job_report.h"
#include "xsimage.h"

// How one page is printed.
struct raster_page_setup {
    // The sheet the page was drawn for, in points (1/72 inch), as it lies:
    // a paper of the table within a millimetre either way (turned papers are
    // rows of their own), otherwise a custom size of 1 to 17 inches a side.
    double width_points = 0;
    double height_points = 0;
    // Where the page's first pixel lies on the sheet: points from its left
    // and top edges (a page drawn only inside margins starts at them).
    double left_points = 0;
    double top_points = 0;
    // Dots per inch of the page's pixels across and down. The printer prints
    // at the first; lines are resampled when the second differs.
    int x_resolution = 240;
    int y_resolution = 240;
    int copies = 1;         // 1 to 9999; the printer repeats the page
    int halftone = 0;       // pixlane's -di method 0 to 5, for gray pages
    int page_number = 1;    // for report->page_sent
    // The picture corrections a gray page takes before halftoning: a
    // brightness step of -100 to 100 and a gamma (1: as drawn).
    int brightness = 0;
    double gamma = 1.0;
};

// Resolutions the printer takes, and the sheet sides it feeds, in inches.
constexpr int min_raster_resolution = 60;
constexpr int max_raster_resolution = 2400;
constexpr double min_sheet_inches = 1.0;
constexpr double max_sheet_inches = 17.0;

// Why the page cannot be printed (resolution, sheet size, copies out of the
// bounds above, a first pixel off the sheet), or null.
const char* raster_page_problem(const raster_page_setup& setup);

// The most pixels across and down of a page that stay on the sheet it prints
// on (the table's paper when the page's size is one): a caller keeps no more
// of its page than this (what lies beyond would print off the paper). Only for
// a setup without a problem.
void raster_page_limits(const raster_page_setup& setup, long* width, long* height);

// The settings of pixlane's page set-up that print such a page: its paper,
// resolution, place, copies and halftoning, one pixel one dot.
struct Settings;
void raster_page_settings(const raster_page_setup& setup, Settings* s);

// Sends one page held whole (see page_stream.h for a page sent as it arrives). `page` holds the page's pixels from the place the setup
// gives: 8-bit gray (one byte a pixel, 0 black to 255 white, with or without
// a gray colormap) corrected by the setup's brightness and gamma and halftoned
// by setup.halftone, or a bitmap (type 0, set bit
// black) whose dots go out as they are. Pixels beyond raster_page_limits are
// dropped, and no dot beyond the sheet is sent. Writes to `out`; tells
// `report` of each transmission once its form feed has gone out. 1, or 0
// with errno or xslerrno set.
int print_raster_page(FILE* out, XSImage* page, const raster_page_setup& setup, const job_report* report);

// After the last page: the closing reset. 1, or 0 when the output failed.
int end_raster_job(FILE* out);
