#include "test_picture.h"

#include <cmath>

unsigned char test_picture_pixel(int x, int y, int width, int height)
{
    double u = double(x) / width, v = double(y) / height;
    double ramp = 255 * (0.5 * u + 0.5 * v);
    double ripple = 40 * std::sin(40 * u) * std::cos(27 * v);
    double grain = ((x * 7919 + y * 104729) % 23) - 11;  // a little texture
    double value = ramp + ripple + grain;
    return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
}
