// Writing the raw portable-anymap forms P4, P5 and P6.
#include <cstdlib>
#include <memory>
#include <vector>

#include "xsconv.h"
#include "xsiopbm.h"
#include "xsown.h"

namespace {
bool write_header(FILE* stream, int form, const XSImage* image, int maxval)
{
    std::fprintf(stream, "P%d %d %d %d\n", form, image->width, image->height, maxval);
    return !std::ferror(stream);
}

bool write_bitmap(FILE* stream, const XSImage* image)
{
    const size_t size = static_cast<size_t>(XSLDataSize(image));
    return std::fwrite(image->data, 1, size, stream) == size;
}

// One byte per pixel: the red value of the colormap entry whose index field
// is the pixel value. Pixels no entry claims are written as black.
bool write_gray(FILE* stream, const XSImage* image)
{
    int position[256];
    for (int i = 0; i < 256; ++i)
        position[i] = i < image->ncolors ? i : -1;
    for (int i = 0; i < image->ncolors; ++i)
        if (image->colormap[i].index < 256)
            position[image->colormap[i].index] = i;
    unsigned char level[256];
    for (int i = 0; i < 256; ++i)
        level[i] = position[i] < 0 ? 0 : static_cast<unsigned char>(image->colormap[position[i]].red);

    std::vector<unsigned char> row(static_cast<size_t>(image->width));
    const unsigned char* pixel = image->data;
    for (int y = 0; y < image->height; ++y) {
        for (unsigned char& out : row)
            out = level[*pixel++];
        if (std::fwrite(row.data(), 1, row.size(), stream) != row.size())
            return false;
    }
    return true;
}

bool write_rgb_planes(FILE* stream, const XSImage* image)
{
    const size_t width = static_cast<size_t>(image->width);
    std::vector<unsigned char> row(3 * width);
    for (long y = 0; y < image->height; ++y) {
        const size_t at = static_cast<size_t>(y) * width;
        for (size_t x = 0; x < width; ++x) {
            row[3 * x] = image->data[at + x];
            row[3 * x + 1] = image->data_g[at + x];
            row[3 * x + 2] = image->data_b[at + x];
        }
        if (std::fwrite(row.data(), 1, row.size(), stream) != row.size())
            return false;
    }
    return true;
}

bool finish(FILE* stream, bool written)
{
    if (!written || std::ferror(stream)) {
        xslerrno = XSE_READ_ERROR;  // the one code this format has for a failed write
        return false;
    }
    return true;
}
}  // namespace

int XSWritePBM(FILE* stream, XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind == XSK_BITMAP)
        return finish(stream, write_header(stream, 4, image, 1) && write_bitmap(stream, image));
    if (kind == XSK_COLORMAP && XSLCheckGraymap(image))
        return finish(stream, write_header(stream, 5, image, 255) && write_gray(stream, image));
    if (kind == XSK_RGB)
        return finish(stream, write_header(stream, 6, image, 255) && write_rgb_planes(stream, image));

    // Colour colormaps and direct colour go out as RGB planes, converted on a copy.
    if (kind != XSK_COLORMAP && kind != XSK_DIRECT)
        return XslRefuseKind(kind);
    XslImagePtr copy(XSLAllocAndCopy(image));
    if (!copy || !XSLConv24RGB(copy.get()))
        return 0;
    return finish(stream, write_header(stream, 6, copy.get(), 255) && write_rgb_planes(stream, copy.get()));
}
