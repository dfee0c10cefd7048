// PNG reader. libpng reports fatal errors by a non-local jump, so decode(),
// which holds the jump buffer, is plain code: nothing with a destructor lives
// in its frame, and what the jump path frees is held in the caller's record.
#include "xsiopng.h"

#include <cmath>
#include <csetjmp>
#include <cstdlib>

#include <png.h>

#include "xsaffine.h"
#include "xsdensity.h"
#include "xsoverwhite.h"
#include "xsreadkit.h"

namespace {

// Deflate turns at most 1032 bytes into one (258-byte matches in two bits),
// so pixel data shorter than that share of the declared size cannot be whole.
constexpr double kMaxDeflateRatio = 1032.0;

// What one read keeps outside the frame that libpng may jump out of.
struct Decoding {
    FILE* stream;
    bool short_read;     // the file ended inside a chunk
    bool in_pixels;      // the pixel data has begun
    XSImage* image;
    unsigned char* staging;  // rows with alpha, before they are put over white
    png_uint_32 density_x, density_y;  // pixels per metre, 0 when unknown
};

[[noreturn]] void on_error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Warnings (unknown chunks, odd profiles) never stop a picture and are not shown.
void on_warning(png_structp, png_const_charp)
{
}

void read_bytes(png_structp png, png_bytep data, size_t length)
{
    auto* d = static_cast<Decoding*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, d->stream) != length) {
        d->short_read = true;
        png_error(png, "file ends inside a chunk");
    }
}

int failure_code(const Decoding& d)
{
    if (d.in_pixels)
        return XSE_DATA_READ;
    return d.short_read ? XSE_HEADER_READ : XSE_BAD_MAGIC;
}

XSImage* abandon(png_structp* png, png_infop* info, Decoding* d, int code)
{
    png_destroy_read_struct(png, info, nullptr);
    std::free(d->staging);
    d->staging = nullptr;
    XSLFree(d->image);
    d->image = nullptr;
    xslerrno = code;
    return nullptr;
}

// How the file's pixels land in the image.
enum class Shape { Bitmap, Gray, Palette, Colour };

Shape shape_of(int color_type, int bit_depth, bool transparent)
{
    switch (color_type) {
    case PNG_COLOR_TYPE_PALETTE:
        return Shape::Palette;
    case PNG_COLOR_TYPE_GRAY:
        return bit_depth == 1 && !transparent ? Shape::Bitmap : Shape::Gray;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return Shape::Gray;
    default:
        return Shape::Colour;
    }
}

// Asks libpng for 8-bit samples (1-bit for bitmaps, set bit black) and alpha
// in place of tRNS; palette indices one per byte.
void set_transforms(png_structp png, Shape shape, int bit_depth, bool transparent)
{
    if (shape == Shape::Bitmap) {
        png_set_invert_mono(png);
        return;
    }
    if (shape == Shape::Palette) {
        if (bit_depth < 8)
            png_set_packing(png);
        return;
    }
    if (bit_depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (bit_depth == 16)
        png_set_strip_16(png);
    if (transparent)
        png_set_tRNS_to_alpha(png);
}

// The image for the picture, released to the caller: decode() may be left by
// a jump, so it holds no owner.
XSImage* make_image(png_structp png, png_infop info, Shape shape, int width, int height)
{
    switch (shape) {
    case Shape::Bitmap:
        return XslNewBitmap(width, height).release();
    case Shape::Gray:
        return XslNewGrayImage(width, height, 256).release();
    case Shape::Colour:
        return XslNewDirectImage(width, height, 3).release();
    case Shape::Palette:
        break;
    }
    XslImagePtr image = XslNewColormapImage(width, height);
    if (!image)
        return nullptr;
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &palette, &count);
    png_bytep alpha = nullptr;
    int alpha_count = 0;
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_get_tRNS(png, info, &alpha, &alpha_count, nullptr);
    // Indices past the palette's end read as black: the colormap covers every
    // value the bit depth allows.
    const int entries = 1 << png_get_bit_depth(png, info);
    unsigned char rgb[256][3] = {};
    for (int i = 0; i < count && i < entries; ++i) {
        const int a = i < alpha_count ? alpha[i] : 255;
        rgb[i][0] = XslOverWhite(palette[i].red, a);
        rgb[i][1] = XslOverWhite(palette[i].green, a);
        rgb[i][2] = XslOverWhite(palette[i].blue, a);
    }
    if (!XslSetPalette(image.get(), rgb[0], entries))
        return nullptr;
    return image.release();
}

// False when the pixel data left in the file cannot hold the declared picture.
bool room_for_pixels(png_structp png, png_infop info, FILE* stream)
{
    const long left = XslBytesLeft(stream);
    const double bits = double(png_get_bit_depth(png, info)) * png_get_channels(png, info);
    const double bytes = double(png_get_image_width(png, info)) * png_get_image_height(png, info) * bits / 8;
    return left < 0 || bytes <= (double(left) + 1) * kMaxDeflateRatio;
}

// Every library call of a read.
XSImage* decode(Decoding* d)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, d, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
        return abandon(&png, &info, d, XSE_NO_MEMORY);
    if (setjmp(png_jmpbuf(png)))
        return abandon(&png, &info, d, failure_code(*d));

    png_set_read_fn(png, d, read_bytes);
    png_set_sig_bytes(png, 8);
    // A damaged checksum fails the read whatever chunk it guards.
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
    // The library's own pixel limit decides the size, not libpng's default
    // of a million pixels per side.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);

    const int width = static_cast<int>(png_get_image_width(png, info));
    const int height = static_cast<int>(png_get_image_height(png, info));
    const int color_type = png_get_color_type(png, info);
    const int bit_depth = png_get_bit_depth(png, info);
    const bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (!XSLSizeOK(width, height, 4))
        return abandon(&png, &info, d, XSE_NO_MEMORY);
    if (!room_for_pixels(png, info, d->stream))
        return abandon(&png, &info, d, XSE_DATA_READ);
    // A density without unit gives only the pixels' shape, like JFIF's unit 0: not used.
    int unit = PNG_RESOLUTION_UNKNOWN;
    png_uint_32 density_x = 0, density_y = 0;
    if (png_get_pHYs(png, info, &density_x, &density_y, &unit) && unit == PNG_RESOLUTION_METER) {
        d->density_x = density_x;
        d->density_y = density_y;
    }

    const Shape shape = shape_of(color_type, bit_depth, transparent);
    set_transforms(png, shape, bit_depth, transparent);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    d->image = make_image(png, info, shape, width, height);
    if (!d->image)
        return abandon(&png, &info, d, xslerrno);
    d->image->resolution = 100;

    // Rows without alpha go straight into the plane; rows with alpha through
    // staging (all of them when interlaced, as later passes fill in earlier rows).
    const size_t line = size_t(XSLBytesPerLine(d->image));
    const size_t rowbytes = png_get_rowbytes(png, info);
    const int channels = png_get_channels(png, info);
    const bool alpha = channels == 2 || channels == 4;
    if (rowbytes != (alpha ? line / (channels - 1) * channels : line))
        return abandon(&png, &info, d, XSE_VARIANT);
    if (alpha) {
        d->staging = static_cast<unsigned char*>(std::malloc(rowbytes * size_t(passes > 1 ? height : 1)));
        if (!d->staging)
            return abandon(&png, &info, d, XSE_NO_MEMORY);
    }
    d->in_pixels = true;
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            unsigned char* plane_row = d->image->data + size_t(y) * line;
            unsigned char* row = !alpha ? plane_row : d->staging + (passes > 1 ? size_t(y) * rowbytes : 0);
            png_read_row(png, row, nullptr);
            if (alpha && pass == passes - 1)
                XslRowOverWhite(row, plane_row, width, channels - 1);
        }
    png_read_end(png, nullptr);

    png_destroy_read_struct(&png, &info, nullptr);
    std::free(d->staging);
    d->staging = nullptr;
    return d->image;
}

// Rounded dots per inch of a density in pixels per metre, 0 when there is none.
int dots_per_inch(png_uint_32 per_metre)
{
    const double dpi = std::round(per_metre * 0.0254);
    return dpi > 65535 ? 65535 : static_cast<int>(dpi);
}

// The pHYs density as the TIFF reader treats resolutions: one density missing
// takes the other's value; unequal ones are made equal by scaling up the axis
// of lower density. A refused scale (a result beyond the size limit) leaves the
// picture as read, with its horizontal density; so do densities more than 16
// times apart.
void apply_density(XSImage* image, png_uint_32 x, png_uint_32 y)
{
    if (x == 0)
        x = y;
    if (y == 0)
        y = x;
    if (x == y) {
        if (dots_per_inch(x) > 0)
            image->resolution = static_cast<uint16_t>(dots_per_inch(x));
        return;
    }
    // Densities more than XS_MAX_DENSITY_RATIO apart are damage, not a shape.
    bool scaled = false;
    if (XslDensitiesPlausible(x, y)) {
        const int32_t saved = xslerrno;
        scaled = x < y ? XSScale(image, double(y) / x, 1.0) : XSScale(image, 1.0, double(x) / y);
        xslerrno = saved;
    }
    const int dpi = dots_per_inch(scaled ? (x < y ? y : x) : x);
    if (dpi > 0)
        image->resolution = static_cast<uint16_t>(dpi);
}

}  // namespace

XSImage* XSReadPNG(FILE* stream)
{
    unsigned char signature[8];
    if (std::fread(signature, 1, sizeof signature, stream) != sizeof signature) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    if (png_sig_cmp(signature, 0, sizeof signature) != 0) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    Decoding d{};
    d.stream = stream;
    XSImage* image = decode(&d);
    if (image)
        apply_density(image, d.density_x, d.density_y);
    return image;
}

int XSInfoPNG()
{
    return 0;
}
