// The halftoning methods the printer offers: pixlane's -di number, the PPD
// keyword the spooler takes, the IPP keyword of the Printer Application's
// vendor attribute, and the name people see. The raster output, the spooler's
// option mapping, the PPD file and the Printer Application all read this one
// table.
#pragma once

#include <iterator>

struct halftone_method {
    int number;               // pixlane's -di number
    const char* ppd_keyword;  // the Halftoning choice in the PPD file
    const char* ipp_keyword;  // the lane-halftoning value of an IPP job
    const char* name;
};

// In the order of their numbers; the first is the default.
inline constexpr halftone_method halftone_methods[] = {
    {0, "ErrorDiffusion", "error-diffusion", "Error diffusion (3 x 2)"},
    {1, "ErrorDiffusion5x3", "error-diffusion-5x3", "Error diffusion (5 x 3)"},
    {2, "Bayer", "bayer", "Ordered dither (Bayer matrix)"},
    {3, "Scroll", "scroll", "Ordered dither (scroll matrix)"},
    {4, "Random", "random", "Random dither"},
    {5, "Threshold", "threshold", "Threshold"},
};
inline constexpr int halftone_method_count = static_cast<int>(std::size(halftone_methods));

// Whether pixlane knows the method number.
inline bool known_halftone(int number)
{
    return number >= 0 && number < halftone_method_count;
}
