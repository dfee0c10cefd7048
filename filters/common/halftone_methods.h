// The halftoning methods the printer offers: pixlane's -di number, the PPD
// keyword the spooler takes, and the name people see. The raster output, the
// spooler's option mapping and the PPD file all read this one table.
#pragma once

#include <iterator>

struct halftone_method {
    int number;               // pixlane's -di number
    const char* ppd_keyword;  // the Halftoning choice in the PPD file
    const char* name;
};

// In the order of their numbers; the first is the default.
inline constexpr halftone_method halftone_methods[] = {
    {0, "ErrorDiffusion", "Error diffusion (3 x 2)"},
    {1, "ErrorDiffusion5x3", "Error diffusion (5 x 3)"},
    {2, "Bayer", "Ordered dither (Bayer matrix)"},
    {3, "Scroll", "Ordered dither (scroll matrix)"},
    {4, "Random", "Random dither"},
    {5, "Threshold", "Threshold"},
};
inline constexpr int halftone_method_count = static_cast<int>(std::size(halftone_methods));

// Whether pixlane knows the method number.
inline bool known_halftone(int number)
{
    return number >= 0 && number < halftone_method_count;
}
