// Dots of a raster line: bit 7 of byte 0 is the first dot, a set bit is black.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>

#include "printer_units.h"  // dot_index

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

