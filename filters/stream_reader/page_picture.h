// A page as the printer would put it on paper: one bit per printer dot over
// the whole sheet, at the resolution of the page's raster lines.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "printer_state.h"

struct PagePicture {
    long width = 0, height = 0;     // the sheet in dots
    int resolution = 0;
    size_t row_bytes = 0;
    std::vector<uint8_t> bits;      // rows top first, set bit = black dot
    // The printable frame in dots (inclusive edges); has_frame false without one.
    bool has_frame = false;
    long frame_left = 0, frame_top = 0, frame_right = 0, frame_bottom = 0;
};

// The largest page drawn, in dots (an A3 sheet at 1200 dpi is 278 million).
constexpr double most_page_dots = 1u << 29;

// Draws the page's dots; false (and an empty picture) when the sheet would be
// larger than most_page_dots. Dots outside the sheet, and lines at another
// resolution than the page's first, are left out.
bool draw_page(std::string_view stream, const Page& page, PagePicture& picture);

bool picture_dot(const PagePicture& picture, long x, long y);

// Output row `row` of the picture reduced by `scale`: for each output pixel,
// the number of black dots in its scale x scale block (blocks at the right
// and bottom edges are cut by the sheet, and counted out of `area`).
void reduce_row(const PagePicture& picture, int scale, long row, std::vector<uint32_t>& black,
                std::vector<uint32_t>& area);

// Whether the output pixel (x, y) at `scale` lies on the frame's outline.
bool on_frame(const PagePicture& picture, int scale, long x, long y);
