// Small images for the library tests, freed automatically.
#pragma once

#include "xsimage.h"

#include <cstdlib>
#include <initializer_list>
#include <memory>

struct ImageFree {
    void operator()(XSImage* image) const { XSLFree(image); }
};
using Image = std::unique_ptr<XSImage, ImageFree>;

// A one-plane 8-bit image of the given pixel bytes with the given colormap entries
// (red, green, blue each); index fields are their positions.
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
