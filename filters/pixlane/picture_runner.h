// The one way a picture document is printed, whoever asks: pixlane's command
// line, the spooler's picture filter and the Printer Application. Each page
// is a whole job of its own (set-up, raster pages, reset); copies are the
// printer's where one transmission can carry them.
#pragma once

#include <functional>

#include "job_context.h"
#include "settings.h"
#include "xsimage.h"

struct picture_run {
    Settings settings;            // filled from a command line or from a job's request; input and output set
    bool every_page = false;      // every page of a TIFF; otherwise its first, as pixlane prints it
    bool collate = false;         // copies of several pages in page order, one copy a pass
    // Sizes the picture once its size is known (a job's scaling), after the
    // settings' own rules; may be empty.
    std::function<void(Settings* settings, const XSImage* picture)> size_picture;
    // Told what the user should know of a picture that prints anyway.
    std::function<void(const char* text)> warn;
};

// The pages of a picture document: those of a TIFF (when every_page), else 1.
// The stream is left where it was.
int picture_document_pages(FILE* in, bool every_page);

// Prints the document; 0 when every page went out, else the first failing
// page's exit status (the report has said why). Pages are numbered through
// the document as they go out; a cancelled job stops after its page.
int run_picture_job(const picture_run& run, job_context* context);
