// Whole numbers for printer commands and numeric options, shared by both filters.
#pragma once

#include <climits>
#include <cmath>
#include <cstdlib>

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
