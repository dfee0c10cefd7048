// PDF documents: rendered to gray pages at the printer's resolution by
// Ghostscript, or by Poppler's pdftoppm when Ghostscript is missing, and
// printed page by page like raster pages.
#pragma once

#include <pappl/pappl.h>

// Whether either renderer is installed; without one PDF is not offered.
bool pdf_renderer_installed();

bool print_pdf_pages(pappl_job_t* job, pappl_device_t* device);
