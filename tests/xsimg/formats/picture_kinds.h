// One small picture of every pixel kind, for the writer -> reader round trips
// of the library's own files.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../memfile.h"
#include "../test_images.h"
#include "xsio.h"

struct PictureKind {
    std::string name;
    Image image;
};

// Pixel bytes that differ from row to row and plane to plane.
inline void fillPattern(unsigned char* plane, long size, unsigned seed)
{
    for (long i = 0; i < size; ++i)
        plane[i] = static_cast<unsigned char>(i * 37 + seed * 11 + (i >> 3));
}

// Bitmap, gray and colour colormaps, 16-, 24- and 32-bit direct colour and RGB
// planes, each with its own resolution; widths that are no multiple of 8.
inline std::vector<PictureKind> allPictureKinds(int width = 11, int height = 5)
{
    std::vector<PictureKind> kinds;
    auto add = [&](const char* name, XSImage* image, uint16_t resolution) {
        image->resolution = resolution;
        fillPattern(image->data, XSLDataSize(image), 1);
        if (image->planes == 3) {
            fillPattern(image->data_g, XSLDataSize(image), 2);
            fillPattern(image->data_b, XSLDataSize(image), 3);
        }
        kinds.push_back({name, Image(image)});
        return image;
    };
    add("bitmap", XSLCrNewBit(width, height), 300);

    XSImage* gray = add("gray", XSLCrNewZmap2(width, height, 8), 72);
    std::vector<XSColor> ramp;
    for (int i = 0; i < 256; ++i)
        ramp.push_back(Entry(i, i, i, i));
    attachColormap(gray, ramp);

    XSImage* colour = add("colormap", XSLCrNewZmap2(width, height, 8), 150);
    attachColormap(
        colour, {Entry(0, 255, 0, 0), Entry(1, 0, 128, 255), Entry(2, 10, 20, 30), Entry(3, 255, 255, 255)});
    for (long i = 0; i < XSLDataSize(colour); ++i)
        colour->data[i] &= 3;

    XSImage* d16 = add("direct16", XSLCrNewZmap2(width, height, 16), 96);
    d16->red_mask = 0xF800, d16->green_mask = 0x07E0, d16->blue_mask = 0x001F;
    XSImage* d24 = add("direct24", XSLCrNewZmap2(width, height, 24), 200);
    d24->red_mask = 0xFF0000, d24->green_mask = 0x00FF00, d24->blue_mask = 0x0000FF;
    XSImage* d32 = add("direct32", XSLCrNewZmap2(width, height, 32), 600);
    d32->red_mask = 0x0000FF, d32->green_mask = 0x00FF00, d32->blue_mask = 0xFF0000;
    add("rgb", XSLCrNewZmap(width, height, 8), 0);
    return kinds;
}

// The colour of every pixel, through the library's own pixel access.
inline std::vector<int> coloursOf(XSImage* image)
{
    std::vector<int> colours;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            int r, g, b;
            XSLGetPixel(image, x, y, &r, &g, &b);
            colours.insert(colours.end(), {r, g, b});
        }
    return colours;
}

inline std::vector<XSColor> colormapOf(const XSImage* image)
{
    return std::vector<XSColor>(image->colormap, image->colormap + image->ncolors);
}

inline bool operator==(const XSColor& a, const XSColor& b)
{
    return a.index == b.index && a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// The file a writer makes of the image (expected to succeed).
inline std::string writtenBy(XSWriter writer, XSImage* image)
{
    auto f = empty_stream();
    EXPECT_EQ(writer(f.get(), image), 1) << "code " << xslerrno;
    return contents_of(f.get());
}

// What a reader makes of the bytes; xslerrno is cleared first.
inline Image readBy(XSReader reader, const std::string& file)
{
    auto f = stream_of(file);
    xslerrno = 0;
    return Image(reader(f.get()));
}

// One small file of every pixel kind, for the conformance suite.
template <XSWriter writer>
std::vector<std::string> everyKindWritten()
{
    std::vector<std::string> files;
    for (auto& kind : allPictureKinds(9, 3))
        files.push_back(writtenBy(writer, kind.image.get()));
    return files;
}
