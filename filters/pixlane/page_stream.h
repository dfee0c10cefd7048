// One raster page printed as its pixel rows arrive: rows go into a ring of a
// few lines, the halftoner reads them from there, and each output line goes
// out as soon as the rows it needs are in. Memory is a few lines whatever the
// page's size. The stream is compact: a run of blank lines is one vertical
// move, a line's trailing white bytes are not sent; the printer puts the same
// dots on the sheet as the full stream of every line would.
#pragma once

#include <cstdio>

#include "job_context.h"
#include "raster_page.h"

struct PageStream;

// Starts a page of width x height pixels (1-bit black when `bits`, else 8-bit
// gray, 0 black) drawn as `setup` says. The page's set-up goes to setup_out
// (none when null) at once; then, with the first row, "\e[copies v" (none
// when copies is 0) and the page's lines to body_out. Null with errno on failure (EINVAL: a setup with
// a problem).
PageStream* start_page_stream(const raster_page_setup& setup, long width, long height, bool bits,
                              FILE* setup_out, FILE* body_out, int copies, const job_context* context);
// The page's next pixel row: at least `width` pixels (8 a byte when bits).
// Rows beyond the sheet are dropped. 1, or 0 with errno (ECANCELED: the page
// was ended early).
int page_stream_row(PageStream* page, const unsigned char* row);
// The lines not yet sent (missing rows print white) and the form feed.
int end_page_stream(PageStream* page);
void free_page_stream(PageStream* page);
