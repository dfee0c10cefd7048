// Pictures as rows of pixel values, for checking what a reader made of a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format_bytes.h"

using Rows = std::vector<std::vector<uint32_t>>;

// `file` with `part` written over it at `at`.
inline std::string patched(const std::string& file, size_t at, const std::string& part)
{
    return file.substr(0, at) + part + file.substr(at + part.size());
}

// `count` distinct 0xRRGGBB colours.
inline std::vector<uint32_t> test_palette(int count)
{
    std::vector<uint32_t> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(uint32_t(i * 0x0D0B07 + 0x203040) & 0xFFFFFF);
    return palette;
}

inline uint32_t rgb_of(const XSColor& c)
{
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

// Pixel (x, y) as the file meant it: a bitmap's bit, an index, or 0xRRGGBB of
// RGB planes or of 3-byte direct colour stored blue, green, red.
inline uint32_t value_at(const XSImage* image, int x, int y)
{
    if (image->type == 0)
        return (image->data[y * XSLBytesPerLine(image) + x / 8] >> (7 - x % 8)) & 1;
    const long at = long(y) * image->width + x;
    if (image->planes == 3)
        return uint32_t(image->data[at]) << 16 | uint32_t(image->data_g[at]) << 8 | image->data_b[at];
    const unsigned char* p = image->data + (long(y) * image->width + x) * image->bytes_per_pixel;
    if (image->bytes_per_pixel == 3)
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    return p[0];
}

inline Rows rows_of(const XSImage* image)
{
    Rows rows(image->height, std::vector<uint32_t>(image->width));
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            rows[y][x] = value_at(image, x, y);
    return rows;
}

// A scrambled picture of values below 2^bits.
inline Rows pattern(int width, int height, int bits)
{
    const uint32_t mask = bits >= 24 ? 0xFFFFFF : (1u << bits) - 1;
    Rows rows(height, std::vector<uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = (uint32_t(x * 0x3F1D27 + y * 0x1B0577 + 5) ^ uint32_t(x * y)) & mask;
    return rows;
}

