// Owners for what the library allocates: an image record (freed with XSLFree)
// and malloc'd buffers (freed with free), so every failure path lets go of what
// it took.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "xsimage.h"

struct XslImageFree {
    void operator()(XSImage* image) const { XSLFree(image); }
};
using XslImagePtr = std::unique_ptr<XSImage, XslImageFree>;

struct XslMallocFree {
    void operator()(void* p) const { free(p); }
};
// A malloc'd array of T; release() hands it to an image or a caller.
template <class T>
using XslBuffer = std::unique_ptr<T[], XslMallocFree>;

// count elements of T, zero-filled, or null (with code XSE_NO_MEMORY) when count is not
// positive-or-zero, the byte size overflows, or memory runs out. A count of 0
// gives one element, so a valid buffer is never null.
template <class T>
XslBuffer<T> XslAllocBuffer(long count)
{
    if (count < 0 || static_cast<unsigned long>(count) > SIZE_MAX / sizeof(T)) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    XslBuffer<T> buffer(static_cast<T*>(calloc(count > 0 ? static_cast<size_t>(count) : 1, sizeof(T))));
    if (!buffer)
        xslerrno = XSE_NO_MEMORY;
    return buffer;
}
