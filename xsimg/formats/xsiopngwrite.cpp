// PNG writer. As in the reader, the function holding libpng's jump buffer
// keeps nothing with a destructor in its frame.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>

#include <png.h>

#include "xsiopng.h"
#include "xsown.h"
#include "xsrowsource.h"

namespace {

[[noreturn]] void on_error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp)
{
}

// What the file holds for the image's pixel kind.
struct Layout {
    int bit_depth;
    int color_type;
    int palette_size;                 // palette pictures only
    png_color palette[256];
    XslRowSource source;              // gray and RGB pictures
};

// Palette pictures name every index their pixels use, so the palette reaches
// the largest one (missing entries black, as the library reads them); entries
// beyond 256 no byte can name.
int palette_size(const XSImage* image)
{
    int largest = std::min<int>(image->ncolors, 256) - 1;
    const long size = XSLDataSize(image);
    for (long i = 0; i < size && largest < 255; ++i)
        if (image->data[i] > largest)
            largest = image->data[i];
    return largest + 1;
}

int choose_layout(const XSImage* image, Layout* layout)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind == XSK_OTHER) {
        xslerrno = XSE_KIND;
        return 0;
    }
    if (kind == XSK_BITMAP) {
        layout->bit_depth = 1;
        layout->color_type = PNG_COLOR_TYPE_GRAY;
        return 1;
    }
    layout->bit_depth = 8;
    if (kind == XSK_COLORMAP && !XSLCheckGraymap(image)) {
        layout->color_type = PNG_COLOR_TYPE_PALETTE;
        layout->palette_size = palette_size(image);
        for (int i = 0; i < layout->palette_size; ++i) {
            const XSColor entry = i < image->ncolors ? image->colormap[i] : XSColor{};
            layout->palette[i] = {static_cast<png_byte>(entry.red), static_cast<png_byte>(entry.green),
                                  static_cast<png_byte>(entry.blue)};
        }
        return 1;
    }
    if (!XslInitRowSource(&layout->source, image))
        return 0;
    layout->color_type = layout->source.components == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB;
    return 1;
}

// The bytes of row y as the file holds them: the image's own for bitmaps
// (inverted, as PNG's 0 is black) and palette pictures, converted otherwise.
png_bytep file_row(const XSImage* image, const Layout& layout, long y, unsigned char* row)
{
    if (layout.color_type == PNG_COLOR_TYPE_PALETTE)
        return image->data + y * image->width;
    if (layout.bit_depth == 1) {
        const long bytes = XSLBytesPerLine(image);
        const unsigned char* in = image->data + y * bytes;
        for (long i = 0; i < bytes; ++i)
            row[i] = static_cast<unsigned char>(~in[i]);
        return row;
    }
    XslReadRow(layout.source, y, row);
    return row;
}

// Every library call of a write.
int encode(FILE* stream, const XSImage* image, const Layout* layout, unsigned char* row)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, &info);
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    png_init_io(png, stream);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, png_uint_32(image->width), png_uint_32(image->height), layout->bit_depth,
                 layout->color_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout->color_type == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, layout->palette, layout->palette_size);
    if (image->resolution) {
        const auto per_metre = static_cast<png_uint_32>(std::lround(image->resolution / 0.0254));
        png_set_pHYs(png, info, per_metre, per_metre, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    for (long y = 0; y < image->height; ++y)
        png_write_row(png, file_row(image, *layout, y, row));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(stream) != 0 || std::ferror(stream)) {
        xslerrno = XSE_DATA_WRITE;
        return 0;
    }
    return 1;
}

}  // namespace

int XSWritePNG(FILE* stream, XSImage* image)
{
    if (image->width <= 0 || image->height <= 0) {
        xslerrno = XSE_KIND;
        return 0;
    }
    Layout layout{};
    if (!choose_layout(image, &layout))
        return 0;
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(3L * image->width);
    if (!row)
        return 0;
    return encode(stream, image, &layout, row.get());
}
