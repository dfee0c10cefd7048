// Octree colour quantisation: direct-colour and RGB-plane pictures become
// colormap pictures of a bounded number of colours.
#pragma once

#include "xsimage.h"

// Turns a direct-colour picture (one plane of 1 to 4 bytes per pixel with three
// non-empty masks) or an RGB-plane picture into a colormap picture of at most
// `colors` entries (at most 256; larger requests mean 256, smaller than 1 mean
// 1). A bitmap or a picture that already has a colormap is left alone. Result 1,
// or 0 with code XSE_NO_MEMORY (memory) or XSE_KIND (no such pixel kind); a failure leaves the
// picture as it was.
int XSLQuantize(XSImage* image, int colors);

// Pixel records for colour reducers: the colours of the first `count` pixels
// of a one-plane direct-colour picture (channels scaled to 0..255) or of an
// RGB-plane picture, index fields 0. The picture keeps its pixels, so the
// caller frees them only once it has their replacement. Result 1, or 0 with
// code XSE_KIND when the picture is not of that kind.
int XSLQuantizeSubDirectColor(const XSImage* image, XSColor* records, long count);
int XSLQuantizeSubRGBColor(const XSImage* image, XSColor* records, long count);

// Makes a reduced picture a colormap picture: its old planes and colormap are
// freed and it takes `pixels` (one index byte per pixel) and `colormap`.
void XslTakeReducedPixels(XSImage* image, unsigned char* pixels, XSColor* colormap, int ncolors);
