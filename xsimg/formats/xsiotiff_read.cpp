// Reading one page of a TIFF file into an image of the library's pixel kinds.
#include "xsiotiff.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "xsaffine.h"
#include "xsdensity.h"
#include "xsiotiff_pieces.h"
#include "xsiotiff_stream.h"
#include "xsreadkit.h"
#include "xssample16.h"

using namespace xstiff;

thread_local const char* XSReadFileName = nullptr;

namespace {

using Bytes = XslBuffer<unsigned char>;

// Sample layout of an accepted page.
struct PageLayout {
    uint32_t width;
    uint32_t height;
    uint16_t bits;  // of a sample as converted: wider samples are first narrowed to 8
    uint16_t stored_bits;  // of a sample in the file: 1 to 8, 16, or 32 and 64 for floating point
    bool floating;
    uint16_t samples;
    uint16_t photometric;  // after YCbCr became RGB
    uint32_t depth;        // 1, 8 or 24
    long row_bytes;        // bytes per row of the image
    long scan_needed;      // bytes of a scan line the conversion reads
    // A 16-bit palette indexes more colours than a colormap holds: its
    // pixels become direct colour through the file's map.
    const uint16_t* map[3];
};

// The file's palette, 16-bit channels cut to 8; entries beyond the 2^bits
// the file can index are white.
int attach_palette(TIFF* tif, XSImage* image, const PageLayout& page)
{
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || red == nullptr ||
        green == nullptr || blue == nullptr) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    unsigned char bytes[256 * 3];
    std::memset(bytes, 255, sizeof bytes);
    const int n = 1 << page.bits;
    for (int i = 0; i < n; ++i) {
        bytes[3 * i] = static_cast<unsigned char>(red[i] >> 8);
        bytes[3 * i + 1] = static_cast<unsigned char>(green[i] >> 8);
        bytes[3 * i + 2] = static_cast<unsigned char>(blue[i] >> 8);
    }
    return XslSetPalette(image, bytes, 256, XS_PALETTE_RGB);
}

// An empty image of the page's kind, with its gray ramp or palette. One-bit
// gray rows are stored with set bits black, so their two entries are always
// white then black.
XslImagePtr make_image(TIFF* tif, const PageLayout& page)
{
    const int w = static_cast<int>(page.width), h = static_cast<int>(page.height);
    switch (page.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: {
        const bool min_is_white = page.bits == 1 || page.photometric == PHOTOMETRIC_MINISWHITE;
        if (page.depth != 1)
            return XslNewGrayImage(w, h, 1 << page.bits, min_is_white);
        XslImagePtr image = XslNewBitmap(w, h);
        if (image && !XslSetGrayRamp(image.get(), 2, min_is_white))
            return nullptr;
        return image;
    }
    case PHOTOMETRIC_PALETTE: {
        if (page.map[0] != nullptr)
            return XslNewDirectImage(w, h, 3);
        XslImagePtr image = XslNewColormapImage(w, h);
        if (image && !attach_palette(tif, image.get(), page))
            return nullptr;
        return image;
    }
    default:
        return XslNewDirectImage(w, h, 3);
    }
}

// Decides whether the page is of an accepted kind; fills the layout.
int check_page(TIFF* tif, PageLayout* page)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (!known_compression(compression)) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    uint16_t planar = PLANARCONFIG_CONTIG, bits = 1, samples = 1, photometric = 0xFFFF;
    uint16_t inkset = INKSET_CMYK, format = SAMPLEFORMAT_UINT;
    uint32_t width = 0, height = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkset);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);

    // Samples wider than a byte: 16-bit integers, 32- and 64-bit floating
    // point (which libtiff hands over in the host's order); the sample format
    // of narrower ones is not looked at.
    const bool floating = bits > 8 && format == SAMPLEFORMAT_IEEEFP;
    if (floating && bits != 32 && bits != 64) {
        xslerrno = XSE_FLOAT_SAMPLES;
        return 0;
    }
    if (bits == 0 || (bits > 8 && !floating && (bits != 16 || format == SAMPLEFORMAT_INT))) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    const uint16_t stored_bits = bits;
    if (bits > 8)
        bits = 8;
    uint32_t depth;
    switch (samples) {
    case 1: depth = bits == 1 ? 1 : 8; break;
    case 2: depth = 8; break;
    case 3:
    case 4: depth = 24; break;
    default: xslerrno = XSE_VARIANT; return 0;
    }
    // Colour data must be 8-bit, gray with an extra sample 8-bit; their
    // samples may be interleaved or in separate planes.
    const bool whole_bytes = bits == 1 || bits == 2 || bits == 4 || bits == 8;
    bool ok;
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        ok = (samples == 1 && whole_bytes) || (samples == 2 && bits == 8);
        break;
    case PHOTOMETRIC_PALETTE:
        ok = samples == 1 && !floating && (whole_bytes || stored_bits == 16);
        if (ok && stored_bits == 16) {
            uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
            ok = TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue;
            page->map[0] = red, page->map[1] = green, page->map[2] = blue;
            depth = 24;
        }
        break;
    case PHOTOMETRIC_RGB:
        ok = (samples == 3 || samples == 4) && bits == 8;
        break;
    case PHOTOMETRIC_SEPARATED:
        ok = inkset == INKSET_CMYK && samples == 4 && bits == 8;
        if (ok)
            WriteCMYK = 1;
        break;
    case PHOTOMETRIC_YCBCR:
        ok = planar == PLANARCONFIG_CONTIG
            && (compression == COMPRESSION_JPEG || compression == COMPRESSION_OJPEG) && samples == 3
            && stored_bits == 8;
        if (ok) {
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            photometric = PHOTOMETRIC_RGB;
        }
        break;
    default:
        ok = false;
        break;
    }
    if (!ok) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    long bytes_per_pixel = depth == 24 ? 3 : 1;
    if (!XSLSizeOK(width, height, bytes_per_pixel)) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    page->width = width;
    page->height = height;
    page->bits = bits;
    page->stored_bits = stored_bits;
    page->floating = floating;
    page->samples = samples;
    page->photometric = photometric;
    page->depth = depth;
    long w = width;
    const bool bitmap = depth == 1 && photometric != PHOTOMETRIC_PALETTE;
    page->row_bytes = bitmap ? (w + 7) / 8 : w * bytes_per_pixel;
    page->scan_needed = (w * samples * stored_bits + 7) / 8;
    return 1;
}

// Turns one scan line into one row of the image.
void convert_row(const PageLayout& page, const unsigned char* scan, unsigned char* row)
{
    const long w = page.width;
    switch (page.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        if (page.bits == 1) {
            if (page.photometric == PHOTOMETRIC_MINISWHITE) {
                std::memcpy(row, scan, static_cast<size_t>(page.row_bytes));
            } else {
                for (long i = 0; i < page.row_bytes; ++i)
                    row[i] = static_cast<unsigned char>(~scan[i]);
                // Bits beyond the last pixel stay clear, as in every bitmap.
                if (w % 8 != 0)
                    row[page.row_bytes - 1] &= static_cast<unsigned char>(0xFF00 >> (w % 8));
            }
        } else if (page.samples == 2) {
            for (long x = 0; x < w; ++x)
                row[x] = scan[2 * x];
        } else {
            XslUnpackBits(scan, row, w, page.bits);
        }
        break;
    case PHOTOMETRIC_PALETTE:
        XslUnpackBits(scan, row, w, page.bits);  // one-bit palettes too: a byte per pixel
        break;
    case PHOTOMETRIC_RGB:
        if (page.samples == 4) {
            for (long x = 0; x < w; ++x) {
                row[3 * x] = scan[4 * x];
                row[3 * x + 1] = scan[4 * x + 1];
                row[3 * x + 2] = scan[4 * x + 2];
            }
        } else {
            std::memcpy(row, scan, static_cast<size_t>(w * 3));
        }
        break;
    case PHOTOMETRIC_SEPARATED:
        for (long x = 0; x < w; ++x) {
            int k = scan[4 * x + 3];
            for (int c = 0; c < 3; ++c) {
                int ink = scan[4 * x + c] + k;
                row[3 * x + c] = static_cast<unsigned char>(255 - (ink > 255 ? 255 : ink));
            }
        }
        break;
    }
}

// Floating-point samples run from 0 (black) to 1 (white); beyond is clamped.
template <typename Float>
void narrow_floats(const unsigned char* in, long count, unsigned char* out)
{
    for (long i = 0; i < count; ++i) {
        Float v;
        std::memcpy(&v, in + i * long(sizeof v), sizeof v);
        out[i] = !(v > 0) ? 0 : v >= 1 ? 255 : static_cast<unsigned char>(v * 255 + Float(0.5));
    }
}

// Turns one scan line of any sample width into one row of the image; `narrow`
// holds a scan line's samples at 8 bits.
void put_row(const PageLayout& page, const unsigned char* scan, unsigned char* narrow, unsigned char* row)
{
    if (page.stored_bits <= 8) {
        convert_row(page, scan, row);
        return;
    }
    const long count = long(page.width) * page.samples;
    if (page.map[0] != nullptr) {
        for (long x = 0; x < count; ++x) {
            uint16_t index;
            std::memcpy(&index, scan + 2 * x, 2);
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = XslSample16To8(page.map[c][index]);
        }
        return;
    }
    if (!page.floating)
        XslNarrowSamples16(scan, count, narrow);
    else if (page.stored_bits == 32)
        narrow_floats<float>(scan, count, narrow);
    else
        narrow_floats<double>(scan, count, narrow);
    convert_row(page, narrow, row);
}

// Densities are sanitised: negative, non-finite or absurd values count as absent.
float clean_density(float value)
{
    if (!std::isfinite(value) || value <= 0.0f)
        return 0.0f;
    return value > 65535.0f ? 65535.0f : value;
}

// Makes the pixels square at the higher density (not for densities more than
// XS_MAX_DENSITY_RATIO apart).
int apply_resolution(TIFF* tif, XSImage* image)
{
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit != RESUNIT_INCH && unit != RESUNIT_CENTIMETER)
        return 1;
    float xres = 0.0f, yres = 0.0f;
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
    xres = clean_density(xres);
    yres = clean_density(yres);
    if (xres == 0.0f && yres == 0.0f)
        return 1;
    if (xres == 0.0f)
        xres = yres;
    if (yres == 0.0f)
        yres = xres;
    if (unit == RESUNIT_CENTIMETER) {
        xres = clean_density(static_cast<float>(xres * 2.54));
        yres = clean_density(static_cast<float>(yres * 2.54));
    }
    if (xres == yres) {
        image->resolution = static_cast<uint16_t>(xres);
        return 1;
    }
    // Densities too far apart are damage, not a shape: the picture is read as
    // it is, at its horizontal density (as a JPEG is).
    if (!XslDensitiesPlausible(xres, yres)) {
        image->resolution = static_cast<uint16_t>(xres);
        return 1;
    }
    int ok = xres < yres ? XSScale(image, yres / xres, 1.0) : XSScale(image, 1.0, xres / yres);
    if (!ok)
        return 0;
    image->resolution = static_cast<uint16_t>(xres < yres ? yres : xres);
    return 1;
}

XSImage* finish_page(TIFF* tif, XslImagePtr image)
{
    image->resolution = 100;
    if (!apply_resolution(tif, image.get()))
        return nullptr;
    return image.release();
}

XSImage* read_page(TIFF* tif)
{
    PageLayout page{};
    if (!check_page(tif, &page))
        return nullptr;
    XslImagePtr image = make_image(tif, page);
    if (!image)
        return nullptr;
    Bytes narrow;
    if (page.stored_bits > 8 && !(narrow = XslAllocBuffer<unsigned char>(long(page.width) * page.samples)))
        return nullptr;
    if (stored_in_pieces(tif, page.samples)) {
        XSImage* out = image.get();
        const auto put = [&](uint32_t y, const unsigned char* scan) {
            put_row(page, scan, narrow.get(), out->data + static_cast<long>(y) * page.row_bytes);
        };
        if (!read_pieces(tif, page.width, page.height, page.stored_bits, page.samples, page.scan_needed, put))
            return nullptr;
        return finish_page(tif, std::move(image));
    }
    tmsize_t scan_size = TIFFScanlineSize(tif);
    if (scan_size < page.scan_needed || scan_size <= 0) {
        xslerrno = scan_size <= 0 ? XSE_DATA_READ : XSE_VARIANT;
        return nullptr;
    }
    Bytes scan = XslAllocBuffer<unsigned char>(scan_size);
    if (!scan)
        return nullptr;
    for (uint32_t y = 0; y < page.height; ++y) {
        if (TIFFReadScanline(tif, scan.get(), y, 0) < 0 || library_failed) {
            xslerrno = XSE_DATA_READ;
            return nullptr;
        }
        put_row(page, scan.get(), narrow.get(), image->data + static_cast<long>(y) * page.row_bytes);
    }
    scan.reset();
    return finish_page(tif, std::move(image));
}

}  // namespace

XSImage* XSReadTiff(FILE* stream)
{
    install_handlers();
    WriteCMYK = 0;
    StreamClient client;
    TiffHandle tif(open_client(&client, stream, XSReadFileName, "rm"));
    if (!tif || library_failed) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    for (int page = 1; page < iRequestPage; ++page) {
        if (!TIFFReadDirectory(tif.get()) || library_failed) {
            xslerrno = XSE_DATA_READ;
            return nullptr;
        }
    }
    XSImage* image = read_page(tif.get());
    if (image != nullptr && library_failed) {
        XSLFree(image);
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    return image;
}

int XSInfoTIFF()
{
    return 0;
}

int XSCheckMultiPageTiff(FILE* stream)
{
    install_handlers();
    StreamClient client;
    TiffHandle tif(open_client(&client, stream, XSReadFileName, "rm"));
    if (!tif || library_failed) {
        xslerrno = XSE_DATA_READ;
        return -1;
    }
    int pages = 1;
    while (TIFFReadDirectory(tif.get()) && !library_failed)
        ++pages;
    if (library_failed) {
        xslerrno = XSE_DATA_READ;
        return -1;
    }
    return pages;
}

int XSTiffSetPage(int page)
{
    iRequestPage = page;
    return page;
}
