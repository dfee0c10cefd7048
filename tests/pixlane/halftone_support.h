// Hand-built pictures and whole pages printed through a halftoner.
#pragma once

#include "halftone.h"
#include "resample.h"

#include <functional>
#include <vector>

// A picture whose plane is allocated to the exact byte, so that a read past
// the last row or column trips AddressSanitizer.
struct HandPicture {
    XSImage image{};
    std::vector<unsigned char> plane;

    // 8-bit gray; value(x, y) gives the pixel, 0 black .. 255 white.
    static HandPicture gray(int width, int height, const std::function<int(int, int)>& value);
    // Bitmap; black(x, y) says which bits are set.
    static HandPicture bitmap(int width, int height, const std::function<bool(int, int)>& black);
};

// One printed transmission: lines of (N + 7) / 8 bytes.
struct HalftonedPage {
    long dots = 0;
    std::vector<std::vector<unsigned char>> lines;

    bool black(long row, long i) const { return lines[row][i / 8] & (0x80 >> (i % 8)); }
    long count_black() const;
};

// Prints every line of the picture with first = 1 on line 0, as one
// transmission does, through `job` (a fresh one when null); each line buffer
// is exactly B bytes.
HalftonedPage halftone_page(halftoner method, HandPicture& picture, double x_scale, double y_scale,
                Settings* settings = nullptr, RasterJob* job = nullptr);
// The same page as send_data makes it (make_lines), with a second thread
// whatever the page's size when two_threads, else on the calling thread only.
HalftonedPage halftone_page_lines(halftoner method, HandPicture& picture, double x_scale, double y_scale,
                                  Settings* settings, bool two_threads);
