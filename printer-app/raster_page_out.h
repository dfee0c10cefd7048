// Pages at the printer's resolution sent as one job, the same bytes as the
// spooler's raster filter: each page's set-up, halftoned lines and form feed,
// then the closing reset.
#pragma once

#include <cstdio>

#include "settings.h"
#include "xsimage.h"

struct PageWriter;

// Null with errno when the job cannot start.
PageWriter* start_page_writer(const Settings* settings, FILE* out);
// Prints one page held as 8-bit gray or 1-bit at its resolution field, cut
// from a sheet of sheet_width x sheet_height dots whose first kept pixel lies
// left x top dots in; a cancelled job ends the page early.
bool write_page(PageWriter* writer, XSImage* page, long sheet_width, long sheet_height, long left,
                long top, bool cancelled);
// The closing reset when a page went out; frees the writer. True when
// everything went out.
bool end_page_writer(PageWriter* writer);
