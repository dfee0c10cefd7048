// The printer's units, and whole numbers for printer commands and numeric
// options: shared by both filters and the stream viewer.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

// Every printer command measures in 1/720 inch from the sheet's upper-left
// corner (the sheet lying in portrait).
constexpr double units_per_inch = 720.0;
// A transmission starts its moves at the page start: 144 units (0.2 inch) in
// from the sheet's top and left edges.
constexpr double page_start = 144.0;
// In compatible mode the printer stays on a raster line's row after it; the
// stream steps down this many units after every line instead.
constexpr double compatible_line_step = 3.0;

// The dot (column or row, at `resolution` dots per inch) under a position
// in 1/720 inch: the printer's dots lie on a grid from the sheet's corner.
// Positions a raster line reached by its own height are fractions of a unit;
// the small allowance keeps them on their dot.
inline long dot_index(double units, int resolution)
{
    const double dots = std::floor(units * resolution / units_per_inch + 1e-6);
    return static_cast<long>(std::clamp(dots, -1e15, 1e15));
}

// Truncates toward zero; values beyond the range of int (absurd numbers from
// the command line) are held at its ends instead of overflowing, NaN reads as 0.
inline int to_units(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

// A numeric option: the text read with atof, then truncated as above.
inline int truncated(const char* text)
{
    return to_units(std::atof(text));
}
