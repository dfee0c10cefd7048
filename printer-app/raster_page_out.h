// Pages at the printer's resolution sent as one job, the same bytes as the
// spooler's raster filter: each page's set-up, halftoned lines and form feed,
// then the closing reset.
#pragma once

#include <cstdio>

#include "raster_page.h"
#include "xsimage.h"

struct PageWriter;

// Every page goes out with the halftoning and corrections of `job`.
PageWriter* start_page_writer(const raster_page_setup& job, FILE* out);
// Prints one page held as 8-bit gray or 1-bit, on the sheet and at the
// resolutions `sheet` gives; a cancelled job ends the page early.
bool write_page(PageWriter* writer, XSImage* page, const raster_page_setup& sheet, bool cancelled);
// The closing reset when a page went out; frees the writer. True when
// everything went out.
bool end_page_writer(PageWriter* writer);
