#include "xsrotate.h"
#include "xsown.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

enum class Turn { left, right };   // left: counter-clockwise, right: clockwise


// Moves every N-byte pixel of a w x h plane to its place in the h x w result.
// Square tiles keep both the reads and the scattered writes in cache.
template <size_t N, Turn T>
void turn_plane(const unsigned char* src, unsigned char* dst, size_t w, size_t h)
{
    constexpr size_t tile = 32;
    for (size_t y0 = 0; y0 < h; y0 += tile) {
        const size_t y1 = std::min(h, y0 + tile);
        for (size_t x0 = 0; x0 < w; x0 += tile) {
            const size_t x1 = std::min(w, x0 + tile);
            for (size_t y = y0; y < y1; ++y) {
                const unsigned char* s = src + (y * w + x0) * N;
                const size_t col = T == Turn::left ? y : h - 1 - y;
                for (size_t x = x0; x < x1; ++x, s += N) {
                    const size_t row = T == Turn::left ? w - 1 - x : x;
                    memcpy(dst + (row * h + col) * N, s, N);
                }
            }
        }
    }
}

bool has_size(const XSImage* image)
{
    return image->width > 0 && image->height > 0 && image->data != nullptr;
}

// Pixmaps: each plane is turned into one scratch buffer and copied back, so
// the plane buffers keep their identity.
template <size_t N, Turn T>
int turn_pixmap(XSImage* image)
{
    if (!has_size(image)) {
        xslerrno = XSE_KIND;
        return 0;
    }
    const size_t w = image->width, h = image->height, size = w * h * N;
    XslBuffer<unsigned char> scratch(XslAllocPlane(long(size), false));
    if (!scratch) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    unsigned char* const planes[] = {image->data, image->data_g, image->data_b};
    const int count = image->planes == 3 ? 3 : 1;
    for (int p = 0; p < count; ++p) {
        if (planes[p] == nullptr)
            continue;
        turn_plane<N, T>(planes[p], scratch.get(), w, h);
        memcpy(planes[p], scratch.get(), size);
    }
    image->width = static_cast<int32_t>(h);
    image->height = static_cast<int32_t>(w);
    return 1;
}

// Bitmaps: the row length in bytes changes, so a new buffer replaces the old.
template <Turn T>
int turn_bitmap(XSImage* image)
{
    if (!has_size(image)) {
        xslerrno = XSE_KIND;
        return 0;
    }
    const size_t w = image->width, h = image->height;
    const size_t src_stride = (w + 7) / 8, dst_stride = (h + 7) / 8;
    auto* turned = XslAllocPlane(long(w * dst_stride), true);
    if (turned == nullptr) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    for (size_t y = 0; y < h; ++y) {
        const unsigned char* row = image->data + y * src_stride;
        // Every pixel of a source row lands in the same destination column.
        const size_t col = T == Turn::left ? y : h - 1 - y;
        unsigned char* dst = turned + col / 8;
        const unsigned char mask = XslMsbMask[col % 8];
        for (size_t xb = 0; xb < src_stride; ++xb) {
            const unsigned char bits = row[xb];
            if (bits == 0)
                continue;
            const size_t end = std::min<size_t>(8, w - xb * 8);
            for (size_t b = 0; b < end; ++b) {
                if (bits & XslMsbMask[b]) {
                    const size_t x = xb * 8 + b;
                    dst[(T == Turn::left ? w - 1 - x : x) * dst_stride] |= mask;
                }
            }
        }
    }
    free(image->data);
    image->data = turned;
    image->width = static_cast<int32_t>(h);
    image->height = static_cast<int32_t>(w);
    return 1;
}

int rot90ofbit(XSImage* image) { return turn_bitmap<Turn::left>(image); }
int rot90of8(XSImage* image) { return turn_pixmap<1, Turn::left>(image); }
int rot90of16(XSImage* image) { return turn_pixmap<2, Turn::left>(image); }
int rot90of24(XSImage* image) { return turn_pixmap<3, Turn::left>(image); }
int rot90of32(XSImage* image) { return turn_pixmap<4, Turn::left>(image); }

int rot270ofbit(XSImage* image) { return turn_bitmap<Turn::right>(image); }
int rot270of8(XSImage* image) { return turn_pixmap<1, Turn::right>(image); }
int rot270of16(XSImage* image) { return turn_pixmap<2, Turn::right>(image); }
int rot270of24(XSImage* image) { return turn_pixmap<3, Turn::right>(image); }
int rot270of32(XSImage* image) { return turn_pixmap<4, Turn::right>(image); }

struct Members {
    int (*bit)(XSImage*);
    int (*of8)(XSImage*);
    int (*of16)(XSImage*);
    int (*of24)(XSImage*);
    int (*of32)(XSImage*);
};

int dispatch(XSImage* image, const Members& m)
{
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_BITMAP: return m.bit(image);
    case XSK_RGB:
    case XSK_COLORMAP:
    case XSK_PLAIN8: return m.of8(image);
    case XSK_DIRECT:
        switch (image->bytes_per_pixel) {
        case 2: return m.of16(image);
        case 3: return m.of24(image);
        default: return m.of32(image);
        }
    case XSK_WIDE: return 0;  // nothing turned, without a code
    default: return XslRefuseKind(kind);
    }
}

}  // namespace

int XSLRotate90(XSImage* image)
{
    static constexpr Members members{rot90ofbit, rot90of8, rot90of16, rot90of24, rot90of32};
    return dispatch(image, members);
}

int XSLRotate270(XSImage* image)
{
    static constexpr Members members{rot270ofbit, rot270of8, rot270of16, rot270of24, rot270of32};
    return dispatch(image, members);
}
