// Dots of a raster line: bit 7 of byte 0 is the first dot, a set bit is black.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>

// Black dots among dots [from, to) of a line.
inline long count_black(const unsigned char* data, long from, long to)
{
    long black = 0;
    for (long i = from; i < to && (i & 7) != 0; ++i)
        black += (data[i >> 3] >> (7 - (i & 7))) & 1;
    long i = std::min(to, (from + 7) & ~7L);
    for (; i + 8 <= to; i += 8)
        black += std::popcount(static_cast<unsigned>(data[i >> 3]));
    for (; i < to; ++i)
        black += (data[i >> 3] >> (7 - (i & 7))) & 1;
    return black;
}

inline bool dot_is_set(const unsigned char* data, long i)
{
    return (data[i >> 3] >> (7 - (i & 7))) & 1;
}

// The dot (column or row, at `resolution` dots per inch) under a position
// in 1/720 inch. Positions a raster line reached by its own height are
// fractions of a unit; the small allowance keeps them on their dot.
inline long dot_index(double units, int resolution)
{
    const double dots = std::floor(units * resolution / 720.0 + 1e-6);
    return static_cast<long>(std::clamp(dots, -1e15, 1e15));
}
