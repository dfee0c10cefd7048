// Small images for the library tests, freed automatically.
#pragma once

#include "xsimage.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

struct ImageFree {
    void operator()(XSImage* image) const { XSLFree(image); }
};
using Image = std::unique_ptr<XSImage, ImageFree>;

// A one-plane 8-bit image of the given pixel bytes and colormap entries
// {red, green, blue}; index fields are the entries' positions.
inline Image colormapImage(int width, int height, std::initializer_list<int> pixels,
                           std::initializer_list<std::initializer_list<int>> entries)
{
    Image image(XSLCrNewZmap2(width, height, 8));
    int i = 0;
    for (int p : pixels)
        image->data[i++] = static_cast<unsigned char>(p);
    image->ncolors = static_cast<uint16_t>(entries.size());
    image->colormap = static_cast<XSColor*>(malloc(entries.size() * sizeof(XSColor)));
    i = 0;
    for (auto entry : entries) {
        auto c = entry.begin();
        image->colormap[i] = XSColor{uint16_t(i), uint16_t(c[0]), uint16_t(c[1]), uint16_t(c[2])};
        i++;
    }
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

inline std::vector<int> bytes(const unsigned char* data, int n)
{
    return std::vector<int>(data, data + n);
}
