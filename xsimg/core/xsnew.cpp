// Making, copying and releasing image records.
#include "xsimage.h"
#include "xsown.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include <sys/mman.h>

namespace {

// A zeroed record of the given size, or null with code XSE_NO_MEMORY when the size is refused.
XSImage* newRecord(int width, int height, int type, long bytes_per_pixel)
{
    if (!XSLSizeOK(width, height, bytes_per_pixel)) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    auto* image = static_cast<XSImage*>(calloc(1, sizeof(XSImage)));
    if (!image) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    image->type = type;
    image->width = width;
    image->height = height;
    return image;
}

// Zmap header of Zmap constructors; depths beyond 32 bits are no pixel kind.
XSImage* newZmapHeader(int width, int height, int depth)
{
    if (depth < 1 || depth > 32) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    XSImage* image = newRecord(width, height, 1, (depth + 7) / 8);
    if (!image)
        return nullptr;
    image->depth = depth;
    image->bytes_per_pixel = static_cast<uint16_t>((depth + 7) / 8);
    image->bits_per_sample = 8;
    return image;
}

// Points *to at a malloc'd copy of bytes bytes of from (null when there is
// nothing to copy); false when memory ran out.
template <class T>
bool copyBlock(T** to, const T* from, long bytes)
{
    *to = nullptr;
    if (!from || bytes <= 0)
        return true;
    *to = static_cast<T*>(malloc(bytes));
    if (!*to)
        return false;
    memcpy(*to, from, bytes);
    return true;
}

// Asks for 2 MB pages over the 2 MB-aligned inside of a block; only a hint.
void adviseLargePages(void* block, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kLarge = uintptr_t(2) << 20;
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t begin = (start + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (start + bytes) & ~(kLarge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

} // namespace

unsigned char* XslAllocPlane(long bytes, bool zeroed)
{
    void* plane = zeroed ? calloc(size_t(bytes), 1) : malloc(size_t(bytes));
    if (plane)
        adviseLargePages(plane, size_t(bytes));
    return static_cast<unsigned char*>(plane);
}

XSImage* XSLCrNewBit(int width, int height)
{
    XslImagePtr image(newRecord(width, height, 0, 1));
    if (!image)
        return nullptr;
    image->depth = 1;
    image->planes = 1;
    image->data = XslAllocPlane(XSLDataSize(image.get()), true);
    if (!image->data) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    return image.release();
}

XSImage* XSLCrNewZmapHeader(int width, int height, int depth)
{
    return newZmapHeader(width, height, depth);
}

XSImage* XSLCrNewZmap(int width, int height, int depth)
{
    XslImagePtr image(newZmapHeader(width, height, depth));
    if (!image)
        return nullptr;
    image->planes = 3;
    const long size = XSLDataSize(image.get());
    for (unsigned char** plane : {&image->data, &image->data_g, &image->data_b}) {
        *plane = XslAllocPlane(size, false);
        if (!*plane) {
            xslerrno = XSE_NO_MEMORY;
            return nullptr;
        }
    }
    return image.release();
}

XSImage* XSLCrNewZmap2(int width, int height, int depth)
{
    XslImagePtr image(newZmapHeader(width, height, depth));
    if (!image)
        return nullptr;
    image->planes = 1;
    image->data = XslAllocPlane(XSLDataSize(image.get()), false);
    if (!image->data) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    return image.release();
}

void XSLFreeData(XSImage* image)
{
    if (!image)
        return;
    free(image->colormap);
    image->colormap = nullptr;
    image->ncolors = 0;
    for (unsigned char** plane : {&image->data, &image->data_g, &image->data_b}) {
        free(*plane);
        *plane = nullptr;
    }
}

void XSLFree(XSImage* image)
{
    if (!image)
        return;
    XSLFreeData(image);
    // The block is owned whenever it is there, whatever private_size says.
    free(image->private_data);
    free(image);
}

XSImage* XSLAllocAndCopy(const XSImage* source)
{
    if (!source)
        return nullptr;
    XslImagePtr copy(static_cast<XSImage*>(malloc(sizeof(XSImage))));
    if (!copy) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    *copy = *source;
    // Null every owned pointer first so that a failure part-way frees only copies.
    copy->data = copy->data_g = copy->data_b = copy->private_data = nullptr;
    copy->colormap = nullptr;
    const long plane_size = XSLDataSize(source);
    if (!copyBlock(&copy->data, source->data, plane_size)
        || !copyBlock(&copy->data_g, source->data_g, plane_size)
        || !copyBlock(&copy->data_b, source->data_b, plane_size)
        || !copyBlock(&copy->colormap, source->colormap, long(source->ncolors) * long(sizeof(XSColor)))
        || !copyBlock(&copy->private_data, source->private_data, long(source->private_size))) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    return copy.release();
}

int XSLCopyCmap(const XSImage* source, XSImage* target)
{
    if (!source->colormap || source->ncolors == 0) {
        xslerrno = XSE_NO_CMAP;
        return 0;
    }
    // Copied before the old one goes, so that an image may copy its own colormap.
    auto* copy = static_cast<XSColor*>(calloc(source->ncolors, sizeof(XSColor)));
    if (copy)
        memcpy(copy, source->colormap, source->ncolors * sizeof(XSColor));
    free(target->colormap);
    target->colormap = copy;
    if (!copy) {
        target->ncolors = 0;
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    target->ncolors = source->ncolors;
    return 1;
}
