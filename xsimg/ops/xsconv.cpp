// Pixel-kind conversions: to RGB planes, to 8-bit gray, bitmap expansions.
#include "xsconv.h"
#include "xsdirect.h"
#include "xsown.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using Buffer = XslBuffer<unsigned char>;

Buffer newBuffer(long size)
{
    return Buffer(XslAllocPlane(size, false));
}

long pixelCount(const XSImage* image)
{
    return long(image->width) * image->height;
}

struct FastWeights {
    static int gray(int r, int g, int b) { return XslFastGray(r, g, b); }
};
struct ExactWeights {
    static int gray(int r, int g, int b) { return XslExactGray(r, g, b); }
};

// Runs work with the weights the flag selects, so no loop tests the flag.
template <class Work>
void withWeights(int fast, Work&& work)
{
    if (fast)
        work(FastWeights{});
    else
        work(ExactWeights{});
}

// Writes one byte per bitmap pixel: set for a set bit, clear for a clear one.
// Bits beyond the width in a row's last byte are never read as pixels.
void expandBits(const XSImage* bitmap, unsigned char* out, unsigned char clear, unsigned char set)
{
    const long bytes_per_line = XSLBytesPerLine(bitmap);
    const int width = bitmap->width;
    for (int y = 0; y < bitmap->height; y++) {
        const unsigned char* row = bitmap->data + y * bytes_per_line;
        for (int x = 0; x < width; x++)
            *out++ = (row[x >> 3] & XslMsbMask[x & 7]) ? set : clear;
    }
}

// Marks the record as one byte per pixel in one plane.
void becomeBytes(XSImage* image)
{
    image->type = 1;
    image->depth = 8;
    image->bytes_per_pixel = 1;
}

void installGrayRamp(XSImage* image, XSColor* ramp)
{
    free(image->colormap);
    image->colormap = ramp;
    image->ncolors = 256;
}

// Conversions to RGB planes.
namespace to_rgb {

int BitMap(XSImage* image)
{
    XSImage* rgb = XSLCrNewZmap(image->width, image->height, 8);
    if (!rgb)
        return 0;
    const long size = pixelCount(image);
    expandBits(image, rgb->data, 255, 0);
    memcpy(rgb->data_g, rgb->data, size);
    memcpy(rgb->data_b, rgb->data, size);
    XSLFreeData(image);
    becomeBytes(image);
    image->planes = 3;
    image->bits_per_sample = rgb->bits_per_sample;
    image->data = rgb->data;
    image->data_g = rgb->data_g;
    image->data_b = rgb->data_b;
    free(rgb);                      // only the shell: its planes now belong to image
    return 1;
}

// Allocates the green and blue planes for a one-plane image; both or neither.
bool newGreenBlue(const XSImage* image, Buffer& green, Buffer& blue)
{
    green = newBuffer(pixelCount(image));
    blue = newBuffer(pixelCount(image));
    if (green && blue)
        return true;
    xslerrno = XSE_NO_MEMORY;
    return false;
}

void takeGreenBlue(XSImage* image, Buffer& green, Buffer& blue)
{
    image->data_g = green.release();
    image->data_b = blue.release();
    image->depth = 8;
    image->bytes_per_pixel = 1;
    image->planes = 3;
}

int ColorMap(XSImage* image)
{
    Buffer green, blue;
    if (!newGreenBlue(image, green, blue))
        return 0;
    // Bytes beyond the colormap have no entry and read as black.
    unsigned char lut[3][256] = {};
    for (int i = 0; i < image->ncolors && i < 256; i++) {
        lut[0][i] = static_cast<unsigned char>(image->colormap[i].red);
        lut[1][i] = static_cast<unsigned char>(image->colormap[i].green);
        lut[2][i] = static_cast<unsigned char>(image->colormap[i].blue);
    }
    unsigned char* red = image->data;
    unsigned char* g = green.get();
    unsigned char* b = blue.get();
    for (long i = 0, n = pixelCount(image); i < n; i++) {
        const unsigned char p = red[i];
        red[i] = lut[0][p];
        g[i] = lut[1][p];
        b[i] = lut[2][p];
    }
    free(image->colormap);
    image->colormap = nullptr;
    image->ncolors = 0;
    takeGreenBlue(image, green, blue);
    return 1;
}

// Red is written over the start of the pixel buffer itself: byte i lands at or
// before the pixel being read, so nothing unread is overwritten.
template <class Pixel>
int Direct(XSImage* image)
{
    Buffer green, blue;
    if (!newGreenBlue(image, green, blue))
        return 0;
    XslDirectReader reader;
    XslInitDirectReader(&reader, image);
    const unsigned char* source = image->data;
    unsigned char* red = image->data;
    unsigned char* g = green.get();
    unsigned char* b = blue.get();
    for (long i = 0, n = pixelCount(image); i < n; i++, source += Pixel::size) {
        unsigned char rgb[3];
        reader.read(Pixel::fetch(source), rgb);
        red[i] = rgb[0];
        g[i] = rgb[1];
        b[i] = rgb[2];
    }
    // Shrinking cannot lose data; should realloc refuse, the larger block serves.
    if (auto* shrunk = static_cast<unsigned char*>(realloc(image->data, pixelCount(image))))
        image->data = shrunk;
    takeGreenBlue(image, green, blue);
    image->red_mask = image->green_mask = image->blue_mask = 0;
    return 1;
}

int Direct16(XSImage* image) { return Direct<XslPixel16>(image); }
int Direct24(XSImage* image) { return Direct<XslPixel24>(image); }
int Direct32(XSImage* image) { return Direct<XslPixel32>(image); }

} // namespace to_rgb

// Conversions to 8-bit gray; each leaves the identity ramp to its caller.
namespace to_gray {

int ColorMap(XSImage* image, int fast)
{
    unsigned char lut[256] = {};        // bytes beyond the colormap become 0
    withWeights(fast, [&](auto weights) {
        for (int i = 0; i < image->ncolors && i < 256; i++) {
            const XSColor& e = image->colormap[i];
            lut[i] = static_cast<unsigned char>(weights.gray(e.red & 0xFF, e.green & 0xFF, e.blue & 0xFF));
        }
    });
    XslMapBytes(image->data, pixelCount(image), lut);
    return 1;
}

template <class Pixel>
int Direct(XSImage* image, int fast)
{
    Buffer gray = newBuffer(pixelCount(image));
    if (!gray) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    XslDirectReader reader;
    XslInitDirectReader(&reader, image);
    withWeights(fast, [&](auto weights) {
        const unsigned char* source = image->data;
        unsigned char* out = gray.get();
        for (long i = 0, n = pixelCount(image); i < n; i++, source += Pixel::size) {
            unsigned char rgb[3];
            reader.read(Pixel::fetch(source), rgb);
            out[i] = static_cast<unsigned char>(weights.gray(rgb[0], rgb[1], rgb[2]));
        }
    });
    XSLFreeData(image);
    image->data = gray.release();
    image->bytes_per_pixel = 1;
    image->depth = 8;
    image->planes = 1;
    return 1;
}

int Direct16(XSImage* image, int fast) { return Direct<XslPixel16>(image, fast); }
int Direct24(XSImage* image, int fast) { return Direct<XslPixel24>(image, fast); }
int Direct32(XSImage* image, int fast) { return Direct<XslPixel32>(image, fast); }

int Rgb(XSImage* image, int fast)
{
    withWeights(fast, [&](auto weights) {
        unsigned char* red = image->data;
        const unsigned char* green = image->data_g;
        const unsigned char* blue = image->data_b;
        for (long i = 0, n = pixelCount(image); i < n; i++)
            red[i] = static_cast<unsigned char>(weights.gray(red[i], green[i], blue[i]));
    });
    free(image->data_g);
    free(image->data_b);
    image->data_g = image->data_b = nullptr;
    image->planes = 1;
    image->bytes_per_pixel = 1;
    image->depth = 8;
    return 1;
}

} // namespace to_gray

// The worker behind the gray conversions of colour kinds.
int colorToGray(XSImage* image, int fast)
{
    int (*member)(XSImage*, int) = nullptr;
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_PLAIN8:
        return 0;  // no colormap: failure without a code
    case XSK_COLORMAP: member = to_gray::ColorMap; break;
    case XSK_RGB: member = to_gray::Rgb; break;
    case XSK_DIRECT:
        member = image->bytes_per_pixel == 2 ? to_gray::Direct16
                 : image->bytes_per_pixel == 3 ? to_gray::Direct24 : to_gray::Direct32;
        break;
    default:
        return XslRefuseKind(kind);
    }
    // The ramp is taken first so that running out of memory leaves the image as it was.
    XslBuffer<XSColor> ramp(XslNewGrayRamp());
    if (!ramp) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    if (!member(image, fast))
        return 0;
    installGrayRamp(image, ramp.release());
    return 1;
}

bool isBitmap(const XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    return kind == XSK_BITMAP || XslRefuseKind(kind);
}

} // namespace

int XSLConv24RGB(XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_BITMAP: return to_rgb::BitMap(image);
    case XSK_RGB: return 1;
    case XSK_COLORMAP: return to_rgb::ColorMap(image);
    case XSK_PLAIN8: return 0;  // no colormap: failure without a code
    case XSK_DIRECT:
        switch (image->bytes_per_pixel) {
        case 2: return to_rgb::Direct16(image);
        case 3: return to_rgb::Direct24(image);
        default: return to_rgb::Direct32(image);
        }
    default: return XslRefuseKind(kind);
    }
}

int XSLConvGray(XSImage* image)
{
    if (image->type == 0)
        return XSLBitmapToGray(image);
    return colorToGray(image, 1);
}

int XSLFastColorToGray(XSImage* image)
{
    return colorToGray(image, 1);
}

int XSLColorToGray(XSImage* image)
{
    return colorToGray(image, 0);
}

int XSLBitmapToGray(XSImage* image)
{
    if (!isBitmap(image))
        return 0;
    Buffer gray(XslAllocPlane(pixelCount(image), true));
    XslBuffer<XSColor> ramp(XslNewGrayRamp());
    if (!gray || !ramp) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    // Levels of a clear and a set bit: white and black, or the exact grays of
    // the palette's entries 0 and 1 (a set bit stays black without entry 1).
    unsigned char clear = 255, set = 0;
    if (image->ncolors > 0 && image->colormap) {
        const XSColor* map = image->colormap;
        clear = static_cast<unsigned char>(XslExactGray(map[0].red & 0xFF, map[0].green & 0xFF, map[0].blue & 0xFF));
        if (image->ncolors > 1)
            set = static_cast<unsigned char>(XslExactGray(map[1].red & 0xFF, map[1].green & 0xFF, map[1].blue & 0xFF));
    }
    expandBits(image, gray.get(), clear, set);
    free(image->data);
    image->data = gray.release();
    becomeBytes(image);
    image->bits_per_sample = 8;
    installGrayRamp(image, ramp.release());
    return 1;
}

int XSLMonoColorToColormap(XSImage* image)
{
    if (!isBitmap(image))
        return 0;
    // Pixel values 0 and 1 must both name an entry.
    if (image->ncolors < 2 || !image->colormap) {
        xslerrno = XSE_NO_CMAP;
        return 0;
    }
    Buffer indexed = newBuffer(pixelCount(image));
    if (!indexed) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    expandBits(image, indexed.get(), 0, 1);
    free(image->data);
    image->data = indexed.release();
    becomeBytes(image);
    image->bits_per_sample = 8;
    return 1;
}
