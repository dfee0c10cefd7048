// Two-colour palettes of monochrome files: which entry prints black.
#pragma once

#include "xsimage.h"

// Of a palette's first two entries, the index (0 or 1) of the darker one by
// luminance (77 R + 150 G + 29 B) / 256; 0 when both are equally dark. Readers
// that turn a two-colour picture into a bitmap set the bits of the pixels
// holding this index, so black-and-white files print as before and two other
// colours print with the darker one black.
inline int XslDarkerEntry(const XSColor* colormap)
{
    const XSColor& first = colormap[0];
    const XSColor& second = colormap[1];
    return XslFastGray(second.red, second.green, second.blue) < XslFastGray(first.red, first.green, first.blue)
               ? 1
               : 0;
}
