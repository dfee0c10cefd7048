// Whole numbers from doubles: the numbers of printer commands and the
// truncated numbers of the command line.
#pragma once

#include <climits>
#include <cmath>

// Truncates toward zero; values beyond the range of int (absurd margins,
// scales or option numbers) and NaN are held at its ends (NaN at 0) instead
// of overflowing.
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
