// Helpers the format tests share: big-endian fields, reading and writing
// through a format's functions, and the colour of every pixel.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "../memfile.h"
#include "xsio.h"
#include "xsown.h"
#include "xsreadkit.h"

using Rgb = std::array<int, 3>;

// The low n bytes of v, most significant first.
inline std::string be_bytes(uint32_t v, int n = 4)
{
    unsigned char b[4];
    XslPut32BE(b, v);
    return std::string(reinterpret_cast<char*>(b) + 4 - n, static_cast<size_t>(n));
}

// xslerrno is cleared first, so a refusal shows the reader's own code.
inline XslImagePtr read_with(XSReader reader, const std::string& file)
{
    FilePtr f = stream_of(file);
    xslerrno = 0;
    return XslImagePtr(reader(f.get()));
}

inline std::string written_with(XSWriter writer, XSImage* image)
{
    FilePtr out(std::tmpfile(), &std::fclose);
    EXPECT_EQ(writer(out.get(), image), 1) << "code " << xslerrno;
    return contents_of(out.get());
}

// Pixels top row first, as XSLGetPixel sees them.
inline std::vector<Rgb> colours_of(XSImage* image)
{
    std::vector<Rgb> colours;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            Rgb c;
            XSLGetPixel(image, x, y, &c[0], &c[1], &c[2]);
            colours.push_back(c);
        }
    return colours;
}
