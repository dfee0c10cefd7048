// WebP files made through libwebp for the tests.
#pragma once

#include <string>
#include <vector>

#include <webp/encode.h>

#include "png_maker.h"

// Lossless when quality is negative, else lossy at that quality. Pixels are
// R, G, B (and A when alpha) bytes, row by row.
inline std::string makeWebp(const std::vector<unsigned char>& pixels, int width, int height, bool alpha,
                            float quality = -1)
{
    uint8_t* out = nullptr;
    const int stride = width * (alpha ? 4 : 3);
    size_t size;
    if (quality < 0)
        size = alpha ? WebPEncodeLosslessRGBA(pixels.data(), width, height, stride, &out)
                     : WebPEncodeLosslessRGB(pixels.data(), width, height, stride, &out);
    else
        size = alpha ? WebPEncodeRGBA(pixels.data(), width, height, stride, quality, &out)
                     : WebPEncodeRGB(pixels.data(), width, height, stride, quality, &out);
    std::string file(reinterpret_cast<char*>(out), size);
    WebPFree(out);
    return file;
}

// A smooth picture of `channels` bytes per pixel (the fourth, alpha, a ramp).
inline std::vector<unsigned char> smoothPicture(int width, int height, int channels)
{
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<unsigned char>(x * 255 / width));
            pixels.push_back(static_cast<unsigned char>(y * 255 / height));
            pixels.push_back(static_cast<unsigned char>(128 + (x - y) / 2));
            if (channels == 4)
                pixels.push_back(static_cast<unsigned char>((x + y) * 255 / (width + height)));
        }
    return pixels;
}

// R, G, B, A pixels put over white paper, as R, G, B.
inline std::vector<unsigned char> composited(const std::vector<unsigned char>& rgba)
{
    std::vector<unsigned char> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            rgb.push_back(static_cast<unsigned char>(over_white(rgba[i + c], rgba[i + 3])));
    return rgb;
}
