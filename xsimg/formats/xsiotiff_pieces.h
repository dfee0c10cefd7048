// Pages stored in tiles or in separate sample planes, read piece by piece
// through libtiff's tile and strip interfaces and put together as the
// contiguous scan lines the scan-line interface would give.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <functional>

namespace xstiff {

// True when the page cannot be read as scan lines of interleaved samples:
// it is tiled, or its samples (more than one) lie in separate planes.
bool stored_in_pieces(TIFF* tif, uint16_t samples);

// Hands `row` every scan line of the page, top row first, as `scan_bytes`
// bytes with the samples interleaved. Pieces are decoded one band (a strip
// or a row of tiles) at a time. Separate planes must hold samples of whole bytes.
// false with xslerrno XSE_VARIANT (a layout not read), XSE_NO_MEMORY or
// XSE_DATA_READ (a piece that does not decode).
using RowSink = std::function<void(uint32_t y, const unsigned char* scan)>;
bool read_pieces(TIFF* tif, uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, long scan_bytes,
                 const RowSink& row);

}  // namespace xstiff
