// Where and how large the picture prints on the sheet: worked out once by the
// page set-up from the settings (which stay as parsed) and the picture, and
// read by the set-up's stream and by the raster output.
#pragma once

#include <cstdint>

#include "page_options.h"
#include "settings.h"
#include "xsimage.h"

struct PageLayout {
    int32_t paper_code;          // the paper table's code; -1 for a custom size
    float sheet_width;           // the sheet in inches, lying in portrait
    float sheet_height;
    PageFrame frame_inches;      // the printable frame: edges in inches from the sheet's top left
    PageFrame frame;             // the same edges in printer units, truncated
    int32_t width;               // the picture's pixels as it stands on the sheet
    int32_t height;              // (turned for landscape)
    double x_scale;              // printer dots per picture pixel (single-precision values)
    double y_scale;
    double x_origin;             // the picture's upper-left corner in printer units, truncated
    double y_origin;
    // Set for the spooler filters: no dot beyond the sheet is sent. The dots
    // that land on it stay the same dots in the same places.
    bool clip_to_sheet;
    double sheet_units_across;   // the sheet as the printer takes it, in printer units
    double sheet_units_down;
};

// The layout the page set-up will use for a picture as read (before it is
// turned for landscape). Nothing is changed or written.
PageLayout page_layout(const Settings* settings, const XSImage* picture);
