#include "page_files.h"

#include <png.h>

#include <vector>

namespace {

constexpr unsigned char frame_gray = 200;

// One output row at a time, so a page never exists twice in memory.
struct GrayRows {
    const PagePicture* picture;
    int scale;
    std::vector<uint32_t> black, area;
    std::vector<unsigned char> row;
};

void gray_row(GrayRows& g, long y)
{
    reduce_row(*g.picture, g.scale, y, g.black, g.area);
    g.row.resize(g.black.size());
    for (size_t x = 0; x < g.black.size(); ++x) {
        if (g.black[x] == 0)
            g.row[x] = on_frame(*g.picture, g.scale, static_cast<long>(x), y) ? frame_gray : 255;
        else
            g.row[x] = static_cast<unsigned char>(255 - 255u * g.black[x] / g.area[x]);
    }
}

// libpng reports errors by longjmp: nothing in this frame has a destructor.
int write_rows(FILE* out, GrayRows* g, png_uint_32 width, png_uint_32 height, png_uint_32 per_metre)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return 0;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, per_metre, per_metre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (png_uint_32 y = 0; y < height; ++y) {
        gray_row(*g, static_cast<long>(y));
        png_write_row(png, g->row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return 1;
}

}  // namespace

int write_page_png(FILE* out, const PagePicture& picture, int scale)
{
    GrayRows rows{&picture, scale, {}, {}, {}};
    const auto width = static_cast<png_uint_32>((picture.width + scale - 1) / scale);
    const auto height = static_cast<png_uint_32>((picture.height + scale - 1) / scale);
    const auto per_metre = static_cast<png_uint_32>(picture.resolution / 0.0254 / scale + 0.5);
    return write_rows(out, &rows, width, height, per_metre) && fflush(out) == 0 && !ferror(out);
}
