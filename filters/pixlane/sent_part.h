// What of a page's lines goes to the printer, and which halftoner makes
// them: shared by pixlane's raster output and the raster-page runner, so both
// send the same dots.
#pragma once

#include "page_layout.h"
#include "raster_job.h"
#include "settings.h"

// Most copies the printer makes of one transmission.
constexpr int max_copies_per_transmission = 99;

// The halftoner of a gray picture for a dither method; a number the printer
// filter does not know falls back to the default error diffusion.
halftoner gray_halftoner(int method);

// Dots [first, first + count) of a line, packed from the top bit of out's
// first byte; the bits after them are cleared. `line` holds a byte beyond
// the one of its last dot.
void take_dots(const unsigned char* line, long first, long count, unsigned char* out);

// What goes out of the picture's dots and lines: dots [first_dot, end_dot)
// of lines [first_line, end_line), the first dot at x_start, the first line
// at y_start (printer units).
struct SentPart {
    long first_dot, end_dot, first_line, end_line;
    double x_start, y_start;
};

// Everything, or for a layout clipped to the sheet what lands on it.
SentPart sent_part(const Settings* s, const PageLayout* layout, long dots, long lines);
