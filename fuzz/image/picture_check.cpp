#include "picture_check.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const XSImage* p, const char* what)
{
    std::fprintf(stderr,
                 "reader delivered a broken picture: %s (type %d, %dx%d, depth %u, planes %u, "
                 "%u bytes per pixel, %u colours, planes at %p %p %p)\n",
                 what, p->type, p->width, p->height, p->depth, p->planes, p->bytes_per_pixel,
                 p->ncolors, static_cast<void*>(p->data), static_cast<void*>(p->data_g),
                 static_cast<void*>(p->data_b));
    std::abort();
}

// The sum keeps the reads from being optimised away.
volatile unsigned sink;

void touch(const unsigned char* bytes, long n)
{
    unsigned sum = 0;
    for (long i = 0; i < n; ++i)
        sum += bytes[i];
    sink = sum;
}

}  // namespace

void check_picture(const XSImage* picture)
{
    if (!XSLSizeOK(picture->width, picture->height, 1))
        broken(picture, "size outside the library's limit");
    const XslPixelKind kind = XslKindOf(picture);
    if (kind == XSK_OTHER)
        broken(picture, "unknown pixel kind");
    const long plane = XSLDataSize(picture);
    touch(picture->data, plane);
    if (kind == XSK_RGB) {
        touch(picture->data_g, plane);
        touch(picture->data_b, plane);
    }
    if (kind == XSK_COLORMAP) {
        touch(reinterpret_cast<const unsigned char*>(picture->colormap),
              long(picture->ncolors) * long(sizeof(XSColor)));
    }
    if (picture->private_size < 0 || (picture->private_size > 0 && picture->private_data == nullptr))
        broken(picture, "private block size without a block");
    if (picture->private_size > 0)
        touch(picture->private_data, picture->private_size);
}
