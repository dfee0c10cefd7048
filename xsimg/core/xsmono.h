// Two-colour pictures become bitmaps: whatever the palette says, the darker of
// its two colours prints black (set bits) and the lighter one white.
#pragma once

#include "xsimage.h"

// Index (0 or 1) of the darker of two palette entries by luminance
// (77 R + 150 G + 29 B) / 256; entry 0 when both are equally dark.
int XslDarkerEntry(const XSColor& first, const XSColor& second);
