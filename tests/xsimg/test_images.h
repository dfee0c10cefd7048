// Small images of every pixel kind for the library tests, freed automatically.
#pragma once

#include "xsimage.h"
#include "xsown.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

using Image = XslImagePtr;
using Bytes = std::vector<unsigned char>;

inline XSColor Entry(int index, int red, int green, int blue)
{
    return {uint16_t(index), uint16_t(red), uint16_t(green), uint16_t(blue)};
}

// Gives the image a malloc'd copy of the entries as its colormap.
inline void attachColormap(XSImage* image, const std::vector<XSColor>& entries)
{
    image->colormap = static_cast<XSColor*>(malloc(entries.size() * sizeof(XSColor)));
    memcpy(image->colormap, entries.data(), entries.size() * sizeof(XSColor));
    image->ncolors = static_cast<uint16_t>(entries.size());
}

// A one-plane 8-bit image of the given pixel bytes and colormap entries
// {red, green, blue}; index fields are the entries' positions.
inline Image colormapImage(int width, int height, std::initializer_list<int> pixels,
                           std::initializer_list<std::initializer_list<int>> entries)
{
    Image image(XSLCrNewZmap2(width, height, 8));
    int i = 0;
    for (int p : pixels)
        image->data[i++] = static_cast<unsigned char>(p);
    std::vector<XSColor> colormap;
    for (auto entry : entries) {
        auto c = entry.begin();
        colormap.push_back(Entry(int(colormap.size()), c[0], c[1], c[2]));
    }
    attachColormap(image.get(), colormap);
    return image;
}

// One row of 8-bit pixels, with a colormap when one is given.
inline Image IndexedRow(const Bytes& pixels, const std::vector<XSColor>& colormap = {})
{
    Image image(XSLCrNewZmap2(int(pixels.size()), 1, 8));
    memcpy(image->data, pixels.data(), pixels.size());
    if (!colormap.empty())
        attachColormap(image.get(), colormap);
    return image;
}

// One row of RGB planes.
inline Image RgbRow(const Bytes& r, const Bytes& g, const Bytes& b)
{
    Image image(XSLCrNewZmap(int(r.size()), 1, 8));
    memcpy(image->data, r.data(), r.size());
    memcpy(image->data_g, g.data(), g.size());
    memcpy(image->data_b, b.data(), b.size());
    return image;
}

// A zero-filled one-plane direct-colour image with the given masks.
inline Image directImage(int width, int height, int depth, uint32_t red, uint32_t green, uint32_t blue)
{
    Image image(XSLCrNewZmap2(width, height, depth));
    std::fill_n(image->data, XSLDataSize(image.get()), 0);
    image->red_mask = red;
    image->green_mask = green;
    image->blue_mask = blue;
    return image;
}

// One row of direct-colour pixels of 2, 3 or 4 bytes, written in the library's
// layout by hand: 2 and 4 bytes in host order, 3 bytes most significant first.
inline Image DirectRow(int bytes, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask,
                       const std::vector<uint32_t>& values)
{
    Image image = directImage(int(values.size()), 1, bytes * 8, red_mask, green_mask, blue_mask);
    for (size_t i = 0; i < values.size(); ++i) {
        unsigned char* p = image->data + i * bytes;
        const uint32_t v = values[i];
        if (bytes == 2) { const uint16_t w = uint16_t(v); memcpy(p, &w, 2); }
        if (bytes == 3) { p[0] = uint8_t(v >> 16); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v); }
        if (bytes == 4) memcpy(p, &v, 4);
    }
    return image;
}

// Direct-colour pixel i of a one-plane image, read by hand like DirectRow writes it.
inline uint32_t DirectAt(const XSImage* image, size_t i)
{
    const unsigned char* p = image->data + i * image->bytes_per_pixel;
    switch (image->bytes_per_pixel) {
    case 2: { uint16_t w; memcpy(&w, p, 2); return w; }
    case 3: return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    default: { uint32_t v; memcpy(&v, p, 4); return v; }
    }
}

// The identity channel table.
inline const unsigned char* Identity()
{
    static const auto table = [] {
        Bytes t(256);
        for (int i = 0; i < 256; ++i) t[i] = uint8_t(i);
        return t;
    }();
    return table.data();
}

inline std::vector<int> bytes(const unsigned char* data, int n)
{
    return std::vector<int>(data, data + n);
}

inline Bytes Plane(const unsigned char* plane, size_t n)
{
    return Bytes(plane, plane + n);
}
