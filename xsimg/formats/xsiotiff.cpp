// TIFF reading and writing. libtiff works on a client handle over the caller's
// stdio stream, so closing the handle never closes the caller's descriptor and
// the stream stays usable after a failed read.
#include "xsiotiff.h"

#include <tiffio.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "xsaffine.h"
#include "xsconv.h"
#include "xsown.h"

const char* XSReadFileName = nullptr;

namespace {

struct CompressSetting {
    uint16_t scheme;
    uint16_t option;
};

CompressSetting Compress = {COMPRESSION_LZW, 0};
int WriteCMYK = 0;
int bLittleEndian = 0;
int iRequestPage = 1;

// Set by the error handler; any library error ends the read or write.
bool library_failed = false;

struct comp_entry {
    const char* name;
    uint16_t code;
};

const comp_entry comp_tbl[] = {
    {"NONE", 1},        {"LZW", 5},           {"PACKBITS", 32773}, {"THUNDER", 32809},
    {"NEXT", 32766},    {"JPEG", 7},          {"RLE", 2},          {"RLEW", 32771},
    {"FAX3", 3},        {"FAX4", 4},          {"JBIG", 34661},     {"ZIP", 32946},
    {"ADOBE", 8},       {"PIXARFILM", 32908}, {"PIXARLOG", 32909}, {"SGI", 34676},
    {"SGI24", 34677},
};

const comp_entry* find_compression(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (const comp_entry& row : comp_tbl) {
        if (std::strcmp(row.name, name) == 0)
            return &row;
    }
    return nullptr;
}

bool known_compression(uint16_t code)
{
    for (const comp_entry& row : comp_tbl) {
        if (row.code == code)
            return true;
    }
    return false;
}

// ---- libtiff client over a stdio stream; offsets count from where the image starts.

struct StreamClient {
    FILE* stream;
    off_t base;
};

tmsize_t client_read(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* client = static_cast<StreamClient*>(handle);
    if (size <= 0)
        return 0;
    return static_cast<tmsize_t>(std::fread(buffer, 1, static_cast<size_t>(size), client->stream));
}

tmsize_t client_write(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* client = static_cast<StreamClient*>(handle);
    if (size <= 0)
        return 0;
    return static_cast<tmsize_t>(std::fwrite(buffer, 1, static_cast<size_t>(size), client->stream));
}

toff_t client_seek(thandle_t handle, toff_t offset, int whence)
{
    auto* client = static_cast<StreamClient*>(handle);
    const toff_t failed = static_cast<toff_t>(-1);
    int rc;
    if (whence == SEEK_SET) {
        if (offset > static_cast<toff_t>(INT64_MAX - client->base))
            return failed;
        rc = fseeko(client->stream, client->base + static_cast<off_t>(offset), SEEK_SET);
    } else {
        rc = fseeko(client->stream, static_cast<off_t>(offset), whence);
    }
    if (rc != 0)
        return failed;
    off_t pos = ftello(client->stream);
    if (pos < client->base)
        return failed;
    return static_cast<toff_t>(pos - client->base);
}

int client_close(thandle_t)
{
    return 0;  // the stream belongs to the caller
}

toff_t client_size(thandle_t handle)
{
    auto* client = static_cast<StreamClient*>(handle);
    off_t here = ftello(client->stream);
    if (here < 0 || fseeko(client->stream, 0, SEEK_END) != 0)
        return 0;
    off_t end = ftello(client->stream);
    fseeko(client->stream, here, SEEK_SET);
    return end > client->base ? static_cast<toff_t>(end - client->base) : 0;
}

int client_map(thandle_t, void**, toff_t*)
{
    return 0;
}

void client_unmap(thandle_t, void*, toff_t) {}

TIFF* open_client(StreamClient* client, FILE* stream, const char* name, const char* mode)
{
    off_t here = ftello(stream);
    if (here < 0)
        return nullptr;
    client->stream = stream;
    client->base = here;
    return TIFFClientOpen(name != nullptr ? name : "None", mode, client, client_read, client_write,
                          client_seek, client_close, client_size, client_map, client_unmap);
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

using Bytes = XslBuffer<unsigned char>;

// ---- reading

// Sample layout of an accepted page.
struct PageLayout {
    uint32_t width;
    uint32_t height;
    uint16_t bits;
    uint16_t samples;
    uint16_t photometric;  // after YCbCr became RGB
    uint32_t depth;        // 1, 8 or 24
    long row_bytes;        // bytes per row of the image
    long scan_needed;      // bytes of a scan line the conversion reads
};

// Gray levels of the 2^bits sample values. One-bit rows are stored with
// set bits black, so their two entries are always white then black.
int attach_gray_ramp(XSImage* image, const PageLayout& page)
{
    int n = 1 << page.bits;
    auto* map = static_cast<XSColor*>(std::calloc(static_cast<size_t>(n), sizeof(XSColor)));
    if (map == nullptr) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    int step = 255 / (n - 1);
    bool min_is_white = page.bits == 1 || page.photometric == PHOTOMETRIC_MINISWHITE;
    for (int i = 0; i < n; ++i) {
        uint16_t v = static_cast<uint16_t>(min_is_white ? 255 - step * i : step * i);
        map[i] = XSColor{static_cast<uint16_t>(i), v, v, v};
    }
    image->colormap = map;
    image->ncolors = static_cast<uint16_t>(n);
    return 1;
}

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
    auto* map = static_cast<XSColor*>(std::calloc(256, sizeof(XSColor)));
    if (map == nullptr) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    int n = 1 << page.bits;
    for (int i = 0; i < 256; ++i) {
        if (i < n)
            map[i] = XSColor{static_cast<uint16_t>(i), static_cast<uint16_t>(red[i] >> 8),
                             static_cast<uint16_t>(green[i] >> 8), static_cast<uint16_t>(blue[i] >> 8)};
        else
            map[i] = XSColor{static_cast<uint16_t>(i), 255, 255, 255};
    }
    image->colormap = map;
    image->ncolors = 256;
    return 1;
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
    uint16_t inkset = INKSET_CMYK;
    uint32_t width = 0, height = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkset);

    if (bits == 0 || bits > 8) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    uint32_t depth;
    switch (samples) {
    case 1: depth = bits == 1 ? 1 : 8; break;
    case 2: depth = 8; break;
    case 3:
    case 4: depth = 24; break;
    default: xslerrno = XSE_VARIANT; return 0;
    }
    // Sample planes stored apart are only read for single-sample data; colour
    // data must be 8-bit and interleaved, gray with an extra sample 8-bit.
    bool ok;
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        ok = (samples == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) ||
             (samples == 2 && bits == 8 && planar == PLANARCONFIG_CONTIG);
        break;
    case PHOTOMETRIC_PALETTE:
        ok = samples == 1 && (bits == 1 || bits == 8);
        break;
    case PHOTOMETRIC_RGB:
        ok = (samples == 3 || samples == 4) && bits == 8 && planar == PLANARCONFIG_CONTIG;
        break;
    case PHOTOMETRIC_SEPARATED:
        ok = inkset == INKSET_CMYK && samples == 4 && bits == 8 && planar == PLANARCONFIG_CONTIG;
        if (ok)
            WriteCMYK = 1;
        break;
    case PHOTOMETRIC_YCBCR:
        ok = planar == PLANARCONFIG_CONTIG && (compression == COMPRESSION_JPEG ||
                                               compression == COMPRESSION_OJPEG) &&
             samples == 3 && bits == 8;
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
    page->samples = samples;
    page->photometric = photometric;
    page->depth = depth;
    long w = width;
    page->row_bytes = depth == 1 ? (w + 7) / 8 : w * bytes_per_pixel;
    page->scan_needed = (w * samples * bits + 7) / 8;
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
        } else if (page.bits == 2) {
            for (long x = 0; x < w; ++x)
                row[x] = (scan[x / 4] >> (6 - 2 * (x % 4))) & 3;
        } else if (page.bits == 4) {
            for (long x = 0; x < w; ++x)
                row[x] = (scan[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
        } else if (page.samples == 2) {
            for (long x = 0; x < w; ++x)
                row[x] = scan[2 * x];
        } else {
            std::memcpy(row, scan, static_cast<size_t>(w));
        }
        break;
    case PHOTOMETRIC_PALETTE:
        std::memcpy(row, scan, static_cast<size_t>(page.row_bytes));
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

// One-bit palette rows become one byte per pixel (0 or 1).
int widen_palette_bits(XSImage* image, const PageLayout& page)
{
    long w = page.width;
    long packed = (w + 7) / 8;
    auto* wide = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(w) * page.height));
    if (wide == nullptr) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    for (long y = 0; y < page.height; ++y) {
        const unsigned char* src = image->data + y * packed;
        unsigned char* dst = wide + y * w;
        for (long x = 0; x < w; ++x)
            dst[x] = (src[x / 8] & XslMsbMask[x % 8]) ? 1 : 0;
    }
    std::free(image->data);
    image->data = wide;
    return 1;
}

// Densities are sanitised: negative, non-finite or absurd values count as absent.
float clean_density(float value)
{
    if (!std::isfinite(value) || value <= 0.0f)
        return 0.0f;
    return value > 65535.0f ? 65535.0f : value;
}

// Makes the pixels square at the higher density.
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
    int ok = xres < yres ? XSScale(image, yres / xres, 1.0) : XSScale(image, 1.0, xres / yres);
    if (!ok)
        return 0;
    image->resolution = static_cast<uint16_t>(xres < yres ? yres : xres);
    return 1;
}

XSImage* read_page(TIFF* tif)
{
    PageLayout page{};
    if (!check_page(tif, &page))
        return nullptr;

    XslImagePtr image(static_cast<XSImage*>(std::calloc(1, sizeof(XSImage))));
    if (!image) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    if (page.photometric == PHOTOMETRIC_MINISWHITE || page.photometric == PHOTOMETRIC_MINISBLACK) {
        if (!attach_gray_ramp(image.get(), page))
            return nullptr;
    } else if (page.photometric == PHOTOMETRIC_PALETTE) {
        if (!attach_palette(tif, image.get(), page))
            return nullptr;
    }

    image->data = static_cast<unsigned char*>(
        std::calloc(static_cast<size_t>(page.row_bytes), page.height));
    tmsize_t scan_size = TIFFScanlineSize(tif);
    if (scan_size < page.scan_needed || scan_size <= 0) {
        xslerrno = scan_size <= 0 ? XSE_DATA_READ : XSE_VARIANT;
        return nullptr;
    }
    Bytes scan(static_cast<unsigned char*>(std::malloc(static_cast<size_t>(scan_size))));
    if (image->data == nullptr || !scan) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    for (uint32_t y = 0; y < page.height; ++y) {
        if (TIFFReadScanline(tif, scan.get(), y, 0) < 0 || library_failed) {
            xslerrno = XSE_DATA_READ;
            return nullptr;
        }
        convert_row(page, scan.get(), image->data + static_cast<long>(y) * page.row_bytes);
    }
    scan.reset();

    XSImage* im = image.get();
    im->width = static_cast<int32_t>(page.width);
    im->height = static_cast<int32_t>(page.height);
    im->planes = 1;
    im->resolution = 100;
    if (page.depth == 1 && page.photometric != PHOTOMETRIC_PALETTE) {
        im->type = 0;
        im->depth = 1;
    } else {
        if (page.depth == 1 && !widen_palette_bits(im, page))
            return nullptr;
        im->type = 1;
        im->bits_per_sample = 8;
        if (page.depth == 24) {
            im->depth = 24;
            im->bytes_per_pixel = 3;
            im->red_mask = 0xFF0000;
            im->green_mask = 0x00FF00;
            im->blue_mask = 0x0000FF;
        } else {
            im->depth = 8;
            im->bytes_per_pixel = 1;
        }
    }
    if (!apply_resolution(tif, im))
        return nullptr;
    return image.release();
}

void unixWarningHandler(const char* module, const char* format, va_list arguments)
{
    (void)module;
    std::fputs("TIFF Warning: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputs(".\n", stderr);
}

void unixErrorHandler(const char* module, const char* format, va_list arguments)
{
    (void)module;
    std::fputs("TIFF Error: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputs(".\n", stderr);
    library_failed = true;
}

void install_handlers()
{
    TIFFSetErrorHandler(unixErrorHandler);
    TIFFSetWarningHandler(unixWarningHandler);
    library_failed = false;
}

// ---- writing

enum class Layout { Bitmap, Palette, Gray, Cmyk, Rgb };

void fill_row(Layout layout, const XSImage* im, long y, long row_bytes, unsigned char* out)
{
    const long w = im->width;
    switch (layout) {
    case Layout::Bitmap:
    case Layout::Palette:
    case Layout::Gray:
        std::memcpy(out, im->data + y * row_bytes, static_cast<size_t>(row_bytes));
        break;
    case Layout::Cmyk: {
        const unsigned char* r = im->data + y * w;
        const unsigned char* g = im->data_g + y * w;
        const unsigned char* b = im->data_b + y * w;
        for (long x = 0; x < w; ++x) {
            int c = 255 - r[x], m = 255 - g[x], ye = 255 - b[x];
            int k = c < m ? c : m;
            if (ye < k)
                k = ye;
            out[4 * x] = static_cast<unsigned char>(c - k);
            out[4 * x + 1] = static_cast<unsigned char>(m - k);
            out[4 * x + 2] = static_cast<unsigned char>(ye - k);
            out[4 * x + 3] = static_cast<unsigned char>(k);
        }
        break;
    }
    case Layout::Rgb: {
        const unsigned char* r = im->data + y * w;
        const unsigned char* g = im->data_g + y * w;
        const unsigned char* b = im->data_b + y * w;
        for (long x = 0; x < w; ++x) {
            out[3 * x] = r[x];
            out[3 * x + 1] = g[x];
            out[3 * x + 2] = b[x];
        }
        break;
    }
    }
}

// Writes a bitmap, colormap, plain 8-bit (as gray levels) or RGB-plane image.
int write_image(TIFF* tif, const XSImage* im)
{
    Layout layout;
    uint16_t photometric, samples = 1, bits = 8;
    long w = im->width;
    long row_bytes = w;
    switch (XslKindOf(im)) {
    case XSK_BITMAP:
        layout = Layout::Bitmap;
        photometric = PHOTOMETRIC_MINISWHITE;
        bits = 1;
        row_bytes = (w + 7) / 8;
        break;
    case XSK_COLORMAP:
        layout = Layout::Palette;
        photometric = PHOTOMETRIC_PALETTE;
        break;
    case XSK_PLAIN8:
        layout = Layout::Gray;
        photometric = PHOTOMETRIC_MINISBLACK;
        break;
    default:  // RGB planes
        layout = WriteCMYK ? Layout::Cmyk : Layout::Rgb;
        photometric = WriteCMYK ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB;
        samples = WriteCMYK ? 4 : 3;
        row_bytes = w * samples;
        break;
    }
    Bytes row(static_cast<unsigned char*>(std::malloc(static_cast<size_t>(row_bytes))));
    if (!row) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }

    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(im->width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(im->height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, Compress.scheme);
    if (Compress.scheme == COMPRESSION_CCITTFAX3 && Compress.option != 0)
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, static_cast<uint32_t>(Compress.option));
    if (Compress.scheme == COMPRESSION_CCITTFAX3 || Compress.scheme == COMPRESSION_CCITTFAX4)
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 0xFFFFFFFFu);
    else
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (Compress.scheme == COMPRESSION_JPEG) {
        if (Compress.option == 0 || Compress.option > 100)
            Compress.option = 75;
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, static_cast<int>(Compress.option));
    }
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    if (layout == Layout::Palette) {
        uint16_t red[256] = {}, green[256] = {}, blue[256] = {};
        for (int i = 0; i < im->ncolors && i < 256; ++i) {
            red[i] = static_cast<uint16_t>(im->colormap[i].red * 257);
            green[i] = static_cast<uint16_t>(im->colormap[i].green * 257);
            blue[i] = static_cast<uint16_t>(im->colormap[i].blue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
    }
    if (layout == Layout::Cmyk)
        TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(im->resolution));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(im->resolution));
    TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, "converted TKIMG file");
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (library_failed) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }

    long image_row_bytes = XSLBytesPerLine(im);
    for (long y = 0; y < im->height; ++y) {
        fill_row(layout, im, y, image_row_bytes, row.get());
        if (TIFFWriteScanline(tif, row.get(), static_cast<uint32_t>(y), 0) < 0 || library_failed) {
            xslerrno = XSE_DATA_WRITE;
            return 0;
        }
    }
    if (!TIFFFlushData(tif) || library_failed) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
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

int XSWriteTiff(FILE* stream, XSImage* image, const char* name)
{
    install_handlers();
    std::fflush(stream);
    // Direct colour goes out as RGB planes, converted on a copy.
    const XslPixelKind kind = XslKindOf(image);
    if (kind == XSK_OTHER || kind == XSK_WIDE)
        return XslRefuseKind(kind);
    XslImagePtr copy;
    const XSImage* source = image;
    if (kind == XSK_DIRECT) {
        copy.reset(XSLAllocAndCopy(image));
        if (!copy || !XSLConv24RGB(copy.get()))
            return 0;
        source = copy.get();
    }
    StreamClient client;
    TiffHandle tif(open_client(&client, stream, name, bLittleEndian ? "wl" : "wb"));
    if (!tif || library_failed) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    if (name != nullptr)
        TIFFSetFileName(tif.get(), name);

    if (!write_image(tif.get(), source))
        return 0;
    TIFFClose(tif.release());
    // The last directory link may still sit in the stream's buffer.
    if (std::fflush(stream) != 0 || library_failed) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
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

int XSTiffCompress(int scheme, int option)
{
    Compress.scheme = static_cast<uint16_t>(scheme);
    Compress.option = static_cast<uint16_t>(option);
    return option;
}

int XSTiffCompress2(const char* name, int option)
{
    Compress.scheme = COMPRESSION_LZW;
    Compress.option = static_cast<uint16_t>(option);
    const comp_entry* row = find_compression(name);
    if (row == nullptr)
        return 0;
    Compress.scheme = row->code;
    return row->code;
}

int XSTiffCompresClass(const char* name)
{
    const comp_entry* row = find_compression(name);
    Compress.scheme = row != nullptr ? row->code : static_cast<uint16_t>(COMPRESSION_LZW);
    return Compress.scheme;
}

int XSTiffColor(int cmyk)
{
    WriteCMYK = cmyk;
    return cmyk;
}

int XSIsTiffColor()
{
    return WriteCMYK;
}

int XSTiffEndian(int little)
{
    bLittleEndian = little != 0 ? 1 : 0;
    return little;
}
