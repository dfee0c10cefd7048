// Settings and pictures for running the page set-up and raster stages in memory.
#pragma once

#include <memory>
#include <string>

#include "settings.h"
#include "xsimage.h"
#include "xsown.h"

using Image = XslImagePtr;

// The defaults of a job run without options, writing to `out`.
inline Settings default_settings(FILE* out)
{
    Settings s{};
    set_default(&s);
    // With no placement given, the picture's corner goes to the margins' corner.
    s.layout = LAYOUT_X_GIVEN | LAYOUT_Y_GIVEN;
    s.x_origin = s.margin_left;
    s.y_origin = s.margin_top;
    s.output = out;
    return s;
}

// An RGB picture whose pixel (x, y) has the gray level level(x, y) in all channels.
template <typename Level>
Image rgb_picture(int width, int height, Level level)
{
    Image image(XSLCrNewZmap(width, height, 8));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<unsigned char>(level(x, y));
            const long at = static_cast<long>(y) * width + x;
            image->data[at] = image->data_g[at] = image->data_b[at] = v;
        }
    return image;
}

inline Image uniform_picture(int width, int height, int level)
{
    return rgb_picture(width, height, [level](int, int) { return level; });
}

// Page set-up as a job without options sends it.
inline const std::string default_setup =
    "\x1b<\x1b[0q\x1b[2 I\x1b[11h\x1b[?2h\x1b[?1l\x1b[1;1 G\x1b[14p\x1b[0;1;0x"
    "\x1b[141e\x1b[141a\x1b[0t\x1b[2t\x1b[8135e\x1b[5669a\x1b[1t\x1b[3t";
