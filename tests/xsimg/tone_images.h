// Small images of every pixel kind for the colour-correction tests.
#pragma once

#include "xsimage.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tone {

using Image = std::unique_ptr<XSImage, decltype(&XSLFree)>;
using Bytes = std::vector<unsigned char>;

inline Image Own(XSImage* image)
{
    return Image(image, &XSLFree);
}

inline Bytes Plane(const unsigned char* plane, size_t n)
{
    return Bytes(plane, plane + n);
}

// The identity channel table.
inline const unsigned char* Identity()
{
    static const auto table = [] {
        std::vector<unsigned char> t(256);
        for (int i = 0; i < 256; ++i) t[i] = uint8_t(i);
        return t;
    }();
    return table.data();
}

// One row of RGB planes.
inline Image RgbRow(const Bytes& r, const Bytes& g, const Bytes& b)
{
    Image image = Own(XSLCrNewZmap(int(r.size()), 1, 8));
    std::memcpy(image->data, r.data(), r.size());
    std::memcpy(image->data_g, g.data(), g.size());
    std::memcpy(image->data_b, b.data(), b.size());
    return image;
}

// One row of 8-bit pixels, with a colormap when one is given.
inline Image IndexedRow(const Bytes& pixels, const std::vector<XSColor>& colormap = {})
{
    Image image = Own(XSLCrNewZmap2(int(pixels.size()), 1, 8));
    std::memcpy(image->data, pixels.data(), pixels.size());
    if (!colormap.empty()) {
        image->colormap = static_cast<XSColor*>(std::malloc(colormap.size() * sizeof(XSColor)));
        std::memcpy(image->colormap, colormap.data(), colormap.size() * sizeof(XSColor));
        image->ncolors = uint16_t(colormap.size());
    }
    return image;
}

inline XSColor Entry(int index, int red, int green, int blue)
{
    return {uint16_t(index), uint16_t(red), uint16_t(green), uint16_t(blue)};
}

// One row of direct-colour pixels in the library's layout for the size.
inline Image DirectRow(int bytes, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask,
                       const std::vector<uint32_t>& values)
{
    Image image = Own(XSLCrNewZmap2(int(values.size()), 1, bytes * 8));
    image->red_mask = red_mask;
    image->green_mask = green_mask;
    image->blue_mask = blue_mask;
    for (size_t i = 0; i < values.size(); ++i) {
        unsigned char* p = image->data + i * bytes;
        const uint32_t v = values[i];
        if (bytes == 2) { const uint16_t w = uint16_t(v); std::memcpy(p, &w, 2); }
        if (bytes == 3) { p[0] = uint8_t(v >> 16); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v); }
        if (bytes == 4) std::memcpy(p, &v, 4);
    }
    return image;
}

inline uint32_t DirectAt(const XSImage* image, size_t i)
{
    const unsigned char* p = image->data + i * image->bytes_per_pixel;
    switch (image->bytes_per_pixel) {
    case 2: { uint16_t w; std::memcpy(&w, p, 2); return w; }
    case 3: return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
    }
}

}  // namespace tone
