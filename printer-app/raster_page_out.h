// Pages at the printer's resolution sent as one job: the set-up, each page's
// set-up, halftoned lines and form feed, then the closing reset.
#pragma once

#include <cstdio>

#include "settings.h"
#include "xsimage.h"

struct PageWriter;

// Null with errno when the job cannot start.
PageWriter* start_page_writer(const Settings* settings, FILE* out);
// Prints one page held as 8-bit gray or 1-bit at the settings' resolution; a
// cancelled job ends the page early.
bool write_page(PageWriter* writer, XSImage* page, bool cancelled);
// The closing reset; frees the writer. True when everything went out.
bool end_page_writer(PageWriter* writer);
