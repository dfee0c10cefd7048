// One transmission of raster pages as an object: everything the halftoners
// and the resampler keep from one output line to the next (column tables,
// row blends, error rows and held lines of error diffusion, the random
// sequence, the threshold level, the vector kernels in use). A job is made
// per print job (or per page), handed to every call explicitly and freed at
// the end; two jobs never share state, so they may run on two threads.
#pragma once

#include <memory>

#include "job_context.h"
#include "job_report.h"
#include "page_layout.h"
#include "settings.h"
#include "xsimage.h"

struct RasterJob;

// A fresh job, using the kernels vector_path() names at this moment; null
// with errno ENOMEM. On a machine with two or more processors, one of them
// free, the job halftones large pages on a second thread of its own (see
// page_lines.h); PIXLANE_THREADS=1 in the environment keeps it to one, 2 (or
// more) asks for two whatever the page's size and the machine's load.
RasterJob* make_raster_job();
// Whether a job may take a second thread at all: two or more processors,
// and PIXLANE_THREADS is not 1.
bool second_thread_allowed();
// Pages of at least `dots` dots (dots per line times lines) use the second
// thread; -1: never.
void set_second_thread_from(RasterJob* job, long dots);
// Error diffusion on two threads: how long (microseconds) the calling thread
// waits for the second to start before it makes lines itself; 0 unless set.
// The tests wait long, so that both threads make lines of small pages.
void set_second_thread_patience(RasterJob* job, int microseconds);
// Frees the job and whatever its halftoners hold; null is ignored.
void free_raster_job(RasterJob* job);

// Where a job's halftoners read the picture's rows: the picture itself by
// default; a page read as it arrives holds only the few rows around the line
// being made, and hands them out by number through `row`.
struct RowSource {
    const unsigned char* (*row)(void* context, long y) = nullptr;
    void* context = nullptr;
    // The rows hold darkness (255 - gray) already, for a picture printed
    // dot for pixel (scales 1 and 1): the halftoners take them as they are.
    bool darkness = false;
};
void set_row_source(RasterJob* job, RowSource source);
// The context the job asks after every line whether it was cancelled; may be null.
void set_job_context(RasterJob* job, const job_context* context);
// Row y of the picture, as the job's row source gives it.
const unsigned char* picture_row(const RasterJob* job, const XSImage* picture, long y);

struct RasterJobFree {
    void operator()(RasterJob* job) const { free_raster_job(job); }
};
using RasterJobPtr = std::unique_ptr<RasterJob, RasterJobFree>;

// The halftoner contract: fill one output line of dots (MSB first, set bit =
// black) for output row `row` of the page at the given scales (printer dots
// per picture pixel); first = 1 on the first line of a transmission restarts
// the job's kept state. Lines of a transmission come in order 0, 1, 2, ....
// 1, or 0 when the line cannot be made (no memory).
typedef int (*halftoner)(RasterJob* job, const Settings* settings, XSImage* picture, unsigned char* line,
                         double x_scale, double y_scale, int row, int first);

// Sends the raster pages of a picture the page set-up has prepared, placed
// and scaled as `layout` says, through `job`: each transmission of at most 99 copies is the copies command, the
// vertical move, every line and a form feed. Each transmission sent whole is
// told to `report` as page 1 with its copies. A job cancelled (its context says so)
// stops after the current line, ends the page and returns 0 with errno
// ECANCELED. 1, or 0 with errno (or xslerrno) on failure.
int send_data(RasterJob* job, const Settings* settings, const PageLayout* layout, XSImage* picture,
              const job_report* report = nullptr);
