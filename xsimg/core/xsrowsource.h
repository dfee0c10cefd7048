// Rows of any pixel kind as 8-bit gray or red-green-blue samples, for the
// writers of formats that take their pictures row by row.
#pragma once

#include "xsdirect.h"
#include "xsimage.h"

struct XslRowSource {
    const XSImage* image;
    void (*convert)(const XslRowSource& source, long row, unsigned char* out);
    int components;              // 1: gray (bitmaps, gray colormaps), 3: R, G, B
    unsigned char cmap[3][256];  // colormap channels by position, 0 beyond the colormap
    XslDirectReader channels;
};

// Chooses the converter for the image's pixel kind: 1, or 0 with xslerrno
// XSE_KIND (no pixel kind) or XSE_PROCESS_KIND (a direct size that cannot be read).
int XslInitRowSource(XslRowSource* source, const XSImage* image);

// Fills `out` (width x components bytes) with the samples of row `row`.
inline void XslReadRow(const XslRowSource& source, long row, unsigned char* out)
{
    source.convert(source, row, out);
}
