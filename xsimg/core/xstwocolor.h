// Two-colour palettes: whether they are black and white, and which entry prints black.
#pragma once

#include "xsimage.h"

// Of a palette's first two entries, the index (0 or 1) of the darker one by
// luminance (77 R + 150 G + 29 B) / 256; 0 when both are equally dark. Readers
// that turn a black-and-white picture into a bitmap set the bits of the pixels
// holding this index.
inline int XslDarkerEntry(const XSColor* colormap)
{
    const XSColor& first = colormap[0];
    const XSColor& second = colormap[1];
    return XslFastGray(second.red, second.green, second.blue) < XslFastGray(first.red, first.green, first.blue)
               ? 1
               : 0;
}

// True when the first two entries are pure black and pure white, in either
// order. Only such a pair makes a bitmap; any other two colours are a
// colormap picture printed by their gray levels.
inline bool XslBlackAndWhite(const XSColor* colormap)
{
    auto is = [](const XSColor& c, int v) { return c.red == v && c.green == v && c.blue == v; };
    return (is(colormap[0], 0) && is(colormap[1], 255)) || (is(colormap[0], 255) && is(colormap[1], 0));
}
