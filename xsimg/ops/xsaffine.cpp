// Affine transform of an image: every output pixel is sampled from the source
// through the inverse matrix, bilinearly for gray and colour data and by nearest
// neighbour for colormap indices.
#include "xsaffine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "xsdirect.h"
#include "xsgamma.h"
#include "xsmatrix.h"
#include "xsown.h"

namespace {

using Bytes = XslBuffer<unsigned char>;

Bytes newBytes(long size)
{
    Bytes bytes(XslAllocPlane(size, false));
    if (!bytes)
        xslerrno = XSE_NO_MEMORY;
    return bytes;
}

// A span rounded up to a whole number of pixels.
int wholePixels(double span)
{
    double whole;
    if (std::modf(span, &whole) != 0.0)
        whole += 1.0;
    return static_cast<int>(whole);
}

// Sets the translation of m so that the transformed picture starts at (0, 0) and
// gives the size of its bounding box. 0 when the box is empty, not finite or wider
// than any image may be, so the size can never overflow.
int NewSizeCalc(int width, int height, double* m, int* new_width, int* new_height)
{
    const double corners[4][2] = {{0.0, 0.0}, {double(width), 0.0}, {0.0, double(height)},
                                  {double(width), double(height)}};
    double min_x = 0.0, max_x = 0.0, min_y = 0.0, max_y = 0.0;
    for (int k = 0; k < 4; ++k) {
        double x, y;
        XSDTransForm(corners[k][0], corners[k][1], m, &x, &y);
        if (k == 0 || x < min_x)
            min_x = x;
        if (k == 0 || x > max_x)
            max_x = x;
        if (k == 0 || y < min_y)
            min_y = y;
        if (k == 0 || y > max_y)
            max_y = y;
    }
    const double span_x = max_x - min_x;
    const double span_y = max_y - min_y;
    const double limit = double(XS_MAX_PIXELS);
    if (!(span_x > 0.0 && span_x <= limit && span_y > 0.0 && span_y <= limit))
        return 0;
    m[XS_MTX] = -std::trunc(min_x);
    m[XS_MTY] = -std::trunc(min_y);
    *new_width = wholePixels(span_x);
    *new_height = wholePixels(span_y);
    return 1;
}

// Entry j = j * step: the column part of every source position.
double* MakeIndex(int count, double step)
{
    auto* table = static_cast<double*>(malloc(sizeof(double) * size_t(count)));
    if (!table) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    for (int j = 0; j < count; ++j)
        table[j] = j * step;
    return table;
}

// The output grid: inverse matrix, new size and the two index tables.
struct Frame {
    const double* inv;
    int width;
    int height;
    const double* col_x;
    const double* col_y;
};

// Calls inside(i, j, x0, y0, fx, fy) for every output pixel (row i, column j)
// whose rounded source position (x0, y0) lies in the w x h picture; fx and fy are
// the offsets from it, -0.5 to 0.5.
template <class Inside>
void walkBilinear(const Frame& f, int w, int h, Inside inside)
{
    for (int i = 0; i < f.height; ++i) {
        const double row_x = f.inv[XS_MC] * i + f.inv[XS_MTX];
        const double row_y = f.inv[XS_MD] * i + f.inv[XS_MTY];
        for (int j = 0; j < f.width; ++j) {
            const double sx = f.col_x[j] + row_x;
            const double sy = f.col_y[j] + row_y;
            const double hx = sx + 0.5;
            const double hy = sy + 0.5;
            // Truncation toward zero takes (-1, 0) to column 0; compare before converting.
            if (!(hx > -1.0 && hx < w && hy > -1.0 && hy < h))
                continue;
            const int x0 = static_cast<int>(hx);
            const int y0 = static_cast<int>(hy);
            inside(i, j, x0, y0, sx - x0, sy - y0);
        }
    }
}

// The pixel (x0, y0) and its right, lower and lower-right neighbours; 0 where a
// neighbour falls beyond the last column or row.
template <class T, class Fetch>
void neighbours(int x0, int y0, int w, int h, Fetch fetch, T (&p)[4])
{
    const bool right = x0 < w - 1;
    const bool down = y0 < h - 1;
    p[0] = fetch(x0, y0);
    p[1] = right ? fetch(x0 + 1, y0) : 0;
    p[2] = down ? fetch(x0, y0 + 1) : 0;
    p[3] = right && down ? fetch(x0 + 1, y0 + 1) : 0;
}

int blend(int p00, int p10, int p01, int p11, double fx, double fy)
{
    const double v = (1.0 - fy) * ((1.0 - fx) * p00 + fx * p10) + fy * ((1.0 - fx) * p01 + fx * p11);
    return std::clamp(static_cast<int>(v), 0, 255);
}

void install(XSImage* image, const Frame& f, unsigned char* data, unsigned char* data_g = nullptr,
             unsigned char* data_b = nullptr)
{
    free(image->data);
    free(image->data_g);
    free(image->data_b);
    image->data = data;
    image->data_g = data_g;
    image->data_b = data_b;
    image->width = f.width;
    image->height = f.height;
}

// A one-byte plane of the new size filled with the background: its red as a
// level, or, with a colormap, the index of the colour (appended when missing and
// there is room).
Bytes backgroundPlane(XSImage* image, const Frame& f, XSColor background)
{
    const long size = long(f.width) * f.height;
    Bytes out = newBytes(size);
    if (!out)
        return out;
    int fill = background.red & 0xFF;
    if (image->ncolors) {
        fill = XSLSearchColormap(image, background.red, background.green, background.blue);
        if (fill < 0)
            return Bytes();
    }
    memset(out.get(), fill, size);
    return out;
}

int BitMap(XSImage* image, const Frame& f, XSColor background)
{
    const long out_line = (long(f.width) + 7) / 8;
    Bytes out = newBytes(out_line * f.height);
    if (!out)
        return 0;
    const bool black = XslFastGray(background.red, background.green, background.blue) < 128;
    memset(out.get(), black ? 0xFF : 0x00, out_line * f.height);
    const int w = image->width, h = image->height;
    const long line = (long(w) + 7) / 8;
    const unsigned char* src = image->data;
    unsigned char* dst = out.get();
    auto fetch = [&](int x, int y) { return (src[y * line + x / 8] & XslMsbMask[x & 7]) ? 255 : 0; };
    walkBilinear(f, w, h, [&](int i, int j, int x0, int y0, double fx, double fy) {
        int p[4];
        neighbours(x0, y0, w, h, fetch, p);
        unsigned char& byte = dst[i * out_line + j / 8];
        if (blend(p[0], p[1], p[2], p[3], fx, fy) > 127)
            byte |= XslMsbMask[j & 7];
        else
            byte &= static_cast<unsigned char>(~XslMsbMask[j & 7]);
    });
    install(image, f, out.release());
    return 1;
}

// One byte per pixel: gray levels, or indices of a colormap whose entries are gray.
int Gray(XSImage* image, const Frame& f, XSColor background)
{
    Bytes out = backgroundPlane(image, f, background);
    if (!out)
        return 0;
    const int w = image->width, h = image->height;
    const unsigned char* src = image->data;
    unsigned char* dst = out.get();
    auto fetch = [&](int x, int y) { return int(src[long(y) * w + x]); };
    walkBilinear(f, w, h, [&](int i, int j, int x0, int y0, double fx, double fy) {
        const long at = long(i) * f.width + j;
        int p[4];
        neighbours(x0, y0, w, h, fetch, p);
        dst[at] = static_cast<unsigned char>(blend(p[0], p[1], p[2], p[3], fx, fy));
    });
    install(image, f, out.release());
    return 1;
}

int Rgb(XSImage* image, const Frame& f, XSColor background)
{
    const long size = long(f.width) * f.height;
    Bytes red = newBytes(size);
    Bytes green = red ? newBytes(size) : Bytes();
    Bytes blue = green ? newBytes(size) : Bytes();
    if (!blue)
        return 0;
    memset(red.get(), background.red & 0xFF, size);
    memset(green.get(), background.green & 0xFF, size);
    memset(blue.get(), background.blue & 0xFF, size);
    const int w = image->width, h = image->height;
    const unsigned char* src[3] = {image->data, image->data_g, image->data_b};
    unsigned char* dst[3] = {red.get(), green.get(), blue.get()};
    walkBilinear(f, w, h, [&](int i, int j, int x0, int y0, double fx, double fy) {
        const long at = long(i) * f.width + j;
        for (int c = 0; c < 3; ++c) {
            const unsigned char* plane = src[c];
            int p[4];
            neighbours(x0, y0, w, h, [plane, w](int x, int y) { return int(plane[long(y) * w + x]); }, p);
            dst[c][at] = static_cast<unsigned char>(blend(p[0], p[1], p[2], p[3], fx, fy));
        }
    });
    install(image, f, red.release(), green.release(), blue.release());
    return 1;
}

// Each channel is taken to 8 bits, interpolated, and put back into the pixel layout.
template <class Pixel>
int Direct(XSImage* image, const Frame& f, XSColor background)
{
    const long count = long(f.width) * f.height;
    Bytes out = newBytes(count * Pixel::size);
    if (!out)
        return 0;
    XslDirectReader reader;
    XslInitDirectReader(&reader, image);
    XslDirectWriter writer{};
    XslUpdateDirectWriter(&writer, image);
    const uint32_t fill = writer.value(background.red, background.green, background.blue);
    unsigned char* dst = out.get();
    for (long k = 0; k < count; ++k)
        Pixel::store(dst + k * Pixel::size, fill);
    const int w = image->width, h = image->height;
    const unsigned char* src = image->data;
    auto fetch = [&](int x, int y) { return Pixel::fetch(src + (long(y) * w + x) * Pixel::size); };
    walkBilinear(f, w, h, [&](int i, int j, int x0, int y0, double fx, double fy) {
        const long at = long(i) * f.width + j;
        uint32_t p[4];
        neighbours(x0, y0, w, h, fetch, p);
        unsigned char rgb[4][3];
        for (int k = 0; k < 4; ++k)
            reader.read(p[k], rgb[k]);
        int v[3];
        for (int c = 0; c < 3; ++c)
            v[c] = blend(rgb[0][c], rgb[1][c], rgb[2][c], rgb[3][c], fx, fy);
        Pixel::store(dst + at * Pixel::size, writer.value(v[0], v[1], v[2]));
    });
    install(image, f, out.release());
    return 1;
}

int Direct16(XSImage* image, const Frame& f, XSColor background)
{
    return Direct<XslPixel16>(image, f, background);
}

int Direct24(XSImage* image, const Frame& f, XSColor background)
{
    return Direct<XslPixel24>(image, f, background);
}

int Direct32(XSImage* image, const Frame& f, XSColor background)
{
    return Direct<XslPixel32>(image, f, background);
}

// Nearest neighbour: indices are never mixed. Row and column parts of the source
// position are truncated each on its own.
int ColorMap(XSImage* image, const Frame& f, XSColor background)
{
    Bytes out = backgroundPlane(image, f, background);
    if (!out)
        return 0;
    const int w = image->width, h = image->height;
    const unsigned char* src = image->data;
    unsigned char* dst = out.get();
    for (int i = 0; i < f.height; ++i) {
        const double row_x = std::trunc(f.inv[XS_MC] * i + f.inv[XS_MTX]);
        const double row_y = std::trunc(f.inv[XS_MD] * i + f.inv[XS_MTY]);
        for (int j = 0; j < f.width; ++j) {
            const double x = row_x + std::trunc(f.col_x[j]);
            const double y = row_y + std::trunc(f.col_y[j]);
            if (x >= 0.0 && x < w && y >= 0.0 && y < h)
                dst[long(i) * f.width + j] = src[long(y) * w + long(x)];
        }
    }
    install(image, f, out.release());
    return 1;
}

int transform(XSImage* image, XslPixelKind kind, const Frame& f, XSColor background)
{
    switch (kind) {
    case XSK_BITMAP:
        return BitMap(image, f, background);
    case XSK_RGB:
        return Rgb(image, f, background);
    case XSK_PLAIN8:
        return Gray(image, f, background);
    case XSK_COLORMAP:
        // A gray colormap is brought to gray levels first, so that interpolation mixes levels.
        if (XSLCheckGraymap(image))
            return XslNormaliseGray(image) && Gray(image, f, background);
        return ColorMap(image, f, background);
    case XSK_DIRECT:
        switch (image->bytes_per_pixel) {
        case 2: return Direct16(image, f, background);
        case 3: return Direct24(image, f, background);
        default: return Direct32(image, f, background);
        }
    default:
        return XslRefuseKind(kind);
    }
}

} // namespace

int XSAffine2(XSImage* image, double degrees, double sx, double sy, XSColor background)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind == XSK_OTHER || kind == XSK_WIDE)
        return XslRefuseKind(kind);
    double m[6];
    XSInitMatrix(m);
    XSScaleMatrix(m, sx, sy);
    if (degrees != 0.0)
        XSRotateMatrix(m, degrees);
    int new_width = 0, new_height = 0;
    double inv[6];
    const long pixel_bytes = image->type == 0 ? 1 : std::max<long>(image->bytes_per_pixel, 1);
    if (!NewSizeCalc(image->width, image->height, m, &new_width, &new_height)
        || !XSLSizeOK(new_width, new_height, pixel_bytes) || !XSInvertMatrix(m, inv)) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    const int count = std::max(new_width, new_height);
    XslBuffer<double> col_x(MakeIndex(count, inv[XS_MA]));
    if (!col_x)
        return 0;
    XslBuffer<double> col_y(MakeIndex(count, inv[XS_MB]));
    if (!col_y)
        return 0;
    const Frame frame{inv, new_width, new_height, col_x.get(), col_y.get()};
    return transform(image, kind, frame, background);
}

int XSAffine(XSImage* image, double degrees, double sx, double sy)
{
    return XSAffine2(image, degrees, sx, sy, XSColor{0, 255, 255, 255});
}

int XSScale(XSImage* image, double sx, double sy)
{
    return XSAffine(image, 0.0, sx, sy);
}

int XSRotate(XSImage* image, double degrees, XSColor background)
{
    return XSAffine2(image, degrees, 1.0, 1.0, background);
}
