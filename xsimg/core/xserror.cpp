// Short reasons for the library's error codes, like strerror.
#include "xsimage.h"

const char* XSLErrorText(int code)
{
    switch (code) {
    case 0: return nullptr;
    case XSE_HEADER_READ: return "truncated image header";
    case XSE_DATA_READ: return "damaged image data";
    case XSE_READ_ERROR: return "read error in the image";
    case XSE_DATA_WRITE: return "image data cannot be written";
    case XSE_BAD_MAGIC: return "damaged image header";
    case XSE_NO_NATIVE_READER: return "unknown image format";
    case XSE_NO_MEMORY: return "out of memory";
    case XSE_PALETTE_READ: return "damaged image palette";
    case XSE_LAYOUT: return "unsupported pixel layout";
    case XSE_BITMAP_ONLY: return "format holds only bitmaps";
    case XSE_PROCESS_KIND: return "unsupported pixel kind";
    case XSE_VARIANT: return "unsupported image format variant";
    case XSE_CMAP_READ: return "damaged colormap";
    case XSE_KIND: return "unsupported pixel kind";
    case XSE_BITMAP_COLOR: return "bitmap colour must be black or white";
    case XSE_NO_CMAP: return "image has no colormap";
    case XSE_PRIVATE_READ: return "damaged private image data";
    case XSE_PRIVATE_WRITE: return "private image data cannot be written";
    case XSE_UNKNOWN_FORMAT: return "unknown image format";
    case XSE_FLOAT_SAMPLES: return "floating-point samples of this width are not supported";
    default: return "image library failure";
    }
}
