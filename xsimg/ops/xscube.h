// Colour reduction by a tree of colour boxes: every node is an axis-aligned box
// of red, green and blue ranges whose children halve each range; the nodes
// crossed by the fewest pixels are folded into their parents until few enough
// colour-holding boxes remain.
#pragma once

#include "xsimage.h"

// Turns a direct-colour or RGB-planes image into a colormap image of at most
// `colors` entries (at most 256). A bitmap or an image that already has a
// colormap is left alone (1). 0 with code XSE_KIND for another kind, a channel mask
// of 0 or `colors` below 1, or XSE_NO_MEMORY when memory runs out; a failure leaves the
// image as it was.
int XSLOctreeQuantize(XSImage* image, int colors);

// Reduces the colours of `count` pixel records (their red, green and blue) to
// at most `colors` entries written to `colormap`, and sets each record's index
// to its entry. The number of entries, or 0 with code XSE_KIND (no records or more
// than XS_MAX_PIXELS, `colors` below 1) or XSE_NO_MEMORY.
int alcols(XSColor* records, long count, XSColor* colormap, int colors);

// The colours of a colormap image's pixels into `count` records (at least one
// per pixel); the pixel plane and the colormap are released. 1, or 0 with
// code XSE_KIND for another kind or too few records. A pixel beyond the colormap
// gives black.
int XSLQuantizeSubMAPColor(XSImage* image, XSColor* records, long count);
