// The lines of one transmission, made by the job on the calling thread and,
// for a large page whose method allows it, on a second thread the job starts
// for the transmission and joins before it returns. Either way every line
// has the same bytes.
#pragma once

#include <functional>

#include "raster_job.h"

// Takes each line, in order, on the calling thread: its row and its bytes
// (B of them and a zero byte after). False stops the transmission.
using LineTaker = std::function<bool(long row, const unsigned char* line)>;

// Makes lines 0 .. lines - 1 of a transmission of `dots` dots per line with
// `fill` (the halftoner contract: row 0 with first = 1) and hands each to
// take. 1 when every line was taken or take stopped; 0 when a line could not
// be made (errno).
int make_lines(RasterJob* job, halftoner fill, const Settings* settings, XSImage* picture, double x_scale,
               double y_scale, long lines, long dots, const LineTaker& take);
