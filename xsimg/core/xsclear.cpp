// Filling whole images with white (or the plain clear value).
#include "xsimage.h"

#include <cstring>
#include <initializer_list>

namespace {
void fillPlanes(XSImage* image, int value)
{
    const long size = XSLDataSize(image);
    for (unsigned char* plane : {image->data, image->data_g, image->data_b})
        if (plane)
            memset(plane, value, size);
}
}

void XSLClearXSLim(XSImage* image)
{
    fillPlanes(image, image->type == 0 ? 0 : 255);
}

void XSImageClear(XSImage* image)
{
    // A bitmap's palette, if a reader attached one, does not change what its bits mean.
    if (XslKindOf(image) != XSK_COLORMAP) {
        fillPlanes(image, 0);
        return;
    }
    int white = XSLSearchColormap(image, 255, 255, 255);
    if (white < 0)
        white = XSLMinimumColor(image->ncolors, image->colormap);
    memset(image->data, white, XSLDataSize(image));
}
