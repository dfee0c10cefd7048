// Reading tiled and separately planed TIFF pages into contiguous scan lines.
#include "xsiotiff_pieces.h"

#include <algorithm>
#include <cstring>

#include "xsimage.h"
#include "xsiotiff_stream.h"
#include "xsown.h"

namespace xstiff {

namespace {
// A piece is a tile, or a strip as wide as the page.
struct PieceShape {
    uint32_t width;
    uint32_t length;
    long row_bytes;   // one row of one piece, of one plane when planes are separate
    long bytes;       // room a decoded piece needs
    bool tiled;
    bool separate;
};

bool refuse(int code)
{
    xslerrno = code;
    return false;
}

// Pieces far larger than the page they tile are damage, not a layout; they
// would only cost memory.
constexpr uint64_t kMostSparePiecePixels = 1u << 20;

bool shape_of(TIFF* tif, uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, PieceShape* p)
{
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    p->separate = planar == PLANARCONFIG_SEPARATE && samples > 1;
    p->tiled = TIFFIsTiled(tif) != 0;
    if (p->separate && bits % 8 != 0)
        return refuse(XSE_VARIANT);
    tmsize_t whole;
    if (p->tiled) {
        p->width = p->length = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &p->width);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &p->length);
        p->row_bytes = long(TIFFTileRowSize(tif));
        whole = TIFFTileSize(tif);
    } else {
        uint32_t rows = height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
        p->width = width;
        p->length = std::min(rows, height);
        p->row_bytes = long(TIFFScanlineSize(tif));
        whole = TIFFStripSize(tif);
    }
    const int piece_samples = p->separate ? 1 : samples;
    const uint64_t piece_pixels = uint64_t(p->width) * p->length;
    if (p->width == 0 || p->length == 0 || p->row_bytes <= 0 || whole <= 0 ||
        piece_pixels > std::max<uint64_t>(4 * uint64_t(width) * height, kMostSparePiecePixels))
        return refuse(XSE_VARIANT);
    // A tile must start on a whole byte of the scan line, and its rows hold its samples.
    if ((uint64_t(p->width) * bits * piece_samples) % 8 != 0 ||
        uint64_t(p->row_bytes) < (uint64_t(p->width) * bits * piece_samples + 7) / 8)
        return refuse(XSE_VARIANT);
    const uint64_t rows_bytes = uint64_t(p->row_bytes) * p->length;
    p->bytes = long(std::max<uint64_t>(rows_bytes, uint64_t(whole)));
    return true;
}

// Copies the decoded piece at column x0, plane `plane`, into the band.
void place(const PieceShape& p, const unsigned char* piece, uint32_t x0, int plane, uint32_t rows, uint32_t width,
           uint16_t bits, uint16_t samples, long scan_bytes, unsigned char* band)
{
    if (!p.separate) {
        const long offset = long(uint64_t(x0) * bits * samples / 8);
        const auto n = size_t(std::min(p.row_bytes, scan_bytes - offset));
        for (uint32_t r = 0; r < rows; ++r)
            memcpy(band + r * scan_bytes + offset, piece + r * p.row_bytes, n);
        return;
    }
    const uint32_t end = std::min(width, x0 + p.width);
    const long size = bits / 8;  // bytes of a sample
    for (uint32_t r = 0; r < rows; ++r) {
        unsigned char* out = band + r * scan_bytes + plane * size;
        const unsigned char* in = piece + r * p.row_bytes;
        for (uint32_t x = x0; x < end; ++x)
            memcpy(out + long(x) * samples * size, in + (x - x0) * size, size_t(size));
    }
}
}  // namespace

bool stored_in_pieces(TIFF* tif, uint16_t samples)
{
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    return TIFFIsTiled(tif) || (planar == PLANARCONFIG_SEPARATE && samples > 1);
}

bool read_pieces(TIFF* tif, uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, long scan_bytes,
                 const RowSink& row)
{
    PieceShape p;
    if (!shape_of(tif, width, height, bits, samples, &p))
        return false;
    const uint32_t band_rows = std::min(p.length, height);
    if (scan_bytes <= 0 || band_rows > uint64_t(LONG_MAX) / uint64_t(scan_bytes))
        return refuse(XSE_NO_MEMORY);
    XslBuffer<unsigned char> piece = XslAllocBuffer<unsigned char>(p.bytes);
    XslBuffer<unsigned char> band = XslAllocBuffer<unsigned char>(long(band_rows) * scan_bytes);
    if (!piece || !band)
        return false;
    const int planes = p.separate ? samples : 1;
    for (uint32_t y0 = 0; y0 < height; y0 += p.length) {
        const uint32_t rows = std::min(p.length, height - y0);
        for (int plane = 0; plane < planes; ++plane)
            for (uint32_t x0 = 0; x0 < width; x0 += p.width) {
                memset(piece.get(), 0, size_t(p.bytes));
                const tmsize_t got =
                    p.tiled ? TIFFReadTile(tif, piece.get(), x0, y0, 0, uint16_t(plane))
                            : TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y0, uint16_t(plane)), piece.get(),
                                                   tmsize_t(p.bytes));
                if (got < 0 || library_failed)
                    return refuse(XSE_DATA_READ);
                place(p, piece.get(), x0, plane, rows, width, bits, samples, scan_bytes, band.get());
            }
        for (uint32_t r = 0; r < rows; ++r)
            row(y0 + r, band.get() + long(r) * scan_bytes);
        if (p.length > height - y0)
            break;
    }
    return true;
}

}  // namespace xstiff
