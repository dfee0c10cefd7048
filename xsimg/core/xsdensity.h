// Unequal horizontal and vertical densities: how far apart they may be before
// they are taken as damaged rather than as pixels to be made square.
#pragma once

// A picture whose densities differ by more than this factor is read as it is,
// not made square: no real scanner or camera makes pixels 16 times taller than
// wide, and making them square would turn a tiny file into a huge picture.
constexpr double XS_MAX_DENSITY_RATIO = 16.0;

// 1 when both densities are positive and within XS_MAX_DENSITY_RATIO of each other.
int XslDensitiesPlausible(double x, double y);
