// Pages of a spooler raster document (CUPS raster versions 1 to 3, PWG
// raster, Apple raster), read through libcups a header and then a row at a
// time, each row made 8-bit gray or 1-bit black as the raster job runner
// takes it; memory is one raster line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <cups/raster.h>

#include "job_request.h"
#include "raster_page.h"
#include "xsown.h"

struct read_ahead;

struct raster_input {
    FILE* file = nullptr;
    read_ahead* ahead = nullptr;   // where the bytes come from when set, else file
    bool ended = false;            // the file has no bytes left
    int read_error = 0;            // errno of a failed read
    cups_raster_t* raster = nullptr;
    int pages = 0;                 // pages read so far
    cups_page_header2_t header{};  // the current page's
    int kind = 0;                  // what its lines hold
    bool bits = false;             // 1-bit black rows, else 8-bit gray
    unsigned rows_read = 0;
    std::vector<unsigned char> line, row;

    explicit raster_input(FILE* in, read_ahead* from = nullptr);
    ~raster_input();
    raster_input(const raster_input&) = delete;
    raster_input& operator=(const raster_input&) = delete;
};

enum class raster_read { page, end, failed };

// The next page's header: its setup (as below) and a line for the job's log;
// its rows then come from read_raster_row, in.header.cupsHeight of them.
raster_read read_raster_header(raster_input& in, raster_page_setup* setup, std::string* description,
                               std::string* error);
// The page's next row as the page setup takes it: 8-bit gray (0 black) or
// 1-bit black, in.header.cupsWidth pixels; valid until the next call. Null
// with the reason in *error when the raster ends early.
const unsigned char* read_raster_row(raster_input& in, std::string* error);

// The next page held whole (tools and benchmarks): its picture and its setup (sheet, resolutions, page number,
// the page's own copies; the halftone is left for the caller), and a line for the job's log
// describing it. At the end of the document, raster_read::end; a document
// without pages, a page header this printer cannot take, or pixels cut short
// give raster_read::failed with the reason in *error.
raster_read read_raster_page(raster_input& in, XslImagePtr* picture, raster_page_setup* setup,
                             std::string* description, std::string* error);

// What the job asks of every raster page, wherever the page came from: the
// halftoning method and the brightness and gamma corrections (a page drawn
// by a spooler's chain or a Printer Application keeps its own gamma unless
// the job asks for another).
void set_job_tone(const job_request& request, raster_page_setup* setup);

// The sheet of a page header: the header's page size in points, or the
// pixels' own extent when it gives none; and where the pixels begin on it,
// the imaging box's top left (a page drawn inside the PPD's margins starts at
// them).
void sheet_points(const cups_page_header2_t& h, raster_page_setup* setup);
