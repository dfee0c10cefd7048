// The one road of raster pages to the printer, whichever front end reads
// them (the spooler's raster filter, the Printer Application's raster
// callbacks and its PDF renderer's pages): each page's rows go out as they
// arrive, halftoned and placed as the job asks, and copies are made as the
// job asks. The same page and options give the same bytes from every caller.
#pragma once

#include <cstdio>

#include "job_context.h"
#include "job_request.h"
#include "raster_page.h"

struct raster_job_runner;

// A runner writing to `out`, telling the context's report of pages as they
// go out whole and asking it after every line whether the job was cancelled;
// the context must outlive the runner. Copies the printer repeats of each
// page: the job's, or with `page_copies` the page's own from its setup (the
// document's chain already made the job's copies page by page). Null with
// errno when it cannot be made.
raster_job_runner* start_raster_job(const job_request& request, FILE* out, job_context* context, bool page_copies);
// A page of width x height pixels (1-bit black when bits, else 8-bit gray, 0
// black) for the sheet, place and resolutions of `sheet`. 1, or 0 with errno.
int raster_job_page(raster_job_runner* run, const raster_page_setup& sheet, long width, long height, bool bits);
// The page's next row of pixels.
int raster_job_row(raster_job_runner* run, const unsigned char* row);
int raster_job_end_page(raster_job_runner* run);
// Collated copies of a document of several pages are sent once its last page
// is in, then the closing reset when a page went out; frees the runner.
// 1 when everything went out (errno ECANCELED for a cancelled job).
int end_raster_job_runner(raster_job_runner* run);
