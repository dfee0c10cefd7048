// Raster documents written with libcups's own writer, for the raster filter's
// tests: one page header and pixel rows per page.
#pragma once

#include <cups/raster.h>

#include <cstring>
#include <string>
#include <vector>

struct RasterPage {
    cups_cspace_t space = CUPS_CSPACE_W;
    unsigned bits = 8;             // bits per colour
    unsigned width = 0, height = 0;
    unsigned dpi = 240, dpi_y = 0; // dpi_y 0: as dpi
    unsigned page_points[2] = {595, 842};
    unsigned copies = 1;
    std::vector<unsigned char> rows;  // height rows of bytes_per_line bytes

    unsigned colours() const
    {
        return space == CUPS_CSPACE_RGB || space == CUPS_CSPACE_SRGB || space == CUPS_CSPACE_ADOBERGB ? 3 : 1;
    }
    unsigned bytes_per_line() const { return (width * bits * colours() + 7) / 8; }
};

// A page of the size and kind whose rows are all `fill`.
inline RasterPage blank_raster_page(cups_cspace_t space, unsigned bits, unsigned width, unsigned height,
                                    unsigned char fill)
{
    RasterPage p;
    p.space = space;
    p.bits = bits;
    p.width = width;
    p.height = height;
    p.rows.assign(static_cast<size_t>(p.bytes_per_line()) * height, fill);
    return p;
}

inline cups_page_header2_t raster_header(const RasterPage& p)
{
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    std::strcpy(h.MediaClass, "PwgRaster");
    h.HWResolution[0] = p.dpi;
    h.HWResolution[1] = p.dpi_y != 0 ? p.dpi_y : p.dpi;
    h.PageSize[0] = p.page_points[0];
    h.PageSize[1] = p.page_points[1];
    h.cupsPageSize[0] = static_cast<float>(p.page_points[0]);
    h.cupsPageSize[1] = static_cast<float>(p.page_points[1]);
    h.NumCopies = p.copies;
    h.cupsWidth = p.width;
    h.cupsHeight = p.height;
    h.cupsBitsPerColor = p.bits;
    h.cupsBitsPerPixel = p.bits * p.colours();
    h.cupsBytesPerLine = p.bytes_per_line();
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.cupsColorSpace = p.space;
    h.cupsNumColors = p.colours();
    return h;
}

// The pages as one raster document in the writer's mode (CUPS_RASTER_WRITE
// for version 3, _COMPRESSED for version 2, _PWG for PWG raster).
inline std::string raster_document(const std::vector<RasterPage>& pages, cups_mode_t mode = CUPS_RASTER_WRITE)
{
    std::string bytes;
    auto append = [](void* context, unsigned char* data, size_t n) -> ssize_t {
        static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), n);
        return static_cast<ssize_t>(n);
    };
    cups_raster_t* r = cupsRasterOpenIO(append, &bytes, mode);
    for (const RasterPage& p : pages) {
        cups_page_header2_t h = raster_header(p);
        cupsRasterWriteHeader2(r, &h);
        std::vector<unsigned char> rows = p.rows;
        for (unsigned y = 0; y < p.height; ++y)
            cupsRasterWritePixels(r, rows.data() + static_cast<size_t>(y) * p.bytes_per_line(), p.bytes_per_line());
    }
    cupsRasterClose(r);
    return bytes;
}

// A sheet as a client renders it: steps across (in colour, each channel its
// own), a black bar near the top left; 1-bit pages get the bar and every
// eighth column of the steps' darker half.
inline RasterPage sample_raster_page(cups_cspace_t space, unsigned bits, unsigned dpi, unsigned width_points,
                                     unsigned height_points)
{
    const unsigned width = width_points * dpi / 72, height = height_points * dpi / 72;
    RasterPage page = blank_raster_page(space, bits, width, height, bits == 1 ? 0 : 255);
    page.dpi = dpi;
    page.page_points[0] = width_points;
    page.page_points[1] = height_points;
    const unsigned colours = page.colours();
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            const bool bar = y > dpi / 3 && y < dpi * 4 / 3 && x > dpi / 3 && x < dpi * 4;
            if (bits == 1) {
                if (bar || (x % 8 == 0 && x > width / 2))
                    page.rows[static_cast<size_t>(y) * page.bytes_per_line() + x / 8] |=
                        static_cast<unsigned char>(0x80 >> (x % 8));
                continue;
            }
            for (unsigned c = 0; c < colours; ++c)
                page.rows[(static_cast<size_t>(y) * width + x) * colours + c] =
                    bar ? 0 : static_cast<unsigned char>(x * 255 / width / (1 + c));
        }
    return page;
}
