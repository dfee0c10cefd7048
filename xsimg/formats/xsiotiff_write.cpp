// Writing one TIFF page, and the writer's settings.
#include "xsiotiff.h"

#include <cstdlib>
#include <cstring>

#include "xsconv.h"
#include "xsiotiff_stream.h"
#include "xsreadkit.h"

using namespace xstiff;

namespace {

using Bytes = XslBuffer<unsigned char>;

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
    case Layout::Rgb:
        XslPlanesToRow(im->data + y * w, im->data_g + y * w, im->data_b + y * w, w, 3, out);
        break;
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
    Bytes row = XslAllocBuffer<unsigned char>(row_bytes);
    if (!row)
        return 0;

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

