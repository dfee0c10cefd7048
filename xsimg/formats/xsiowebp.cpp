// WebP reader. libwebp decodes a whole file held in memory and answers with a
// status code; the file is read once, after its RIFF size is checked against
// what the stream holds.
#include "xsiowebp.h"

#include <cstdlib>
#include <cstring>

#include <webp/decode.h>

#include "xsoverwhite.h"
#include "xsreadkit.h"

namespace {

constexpr long kRiffHeader = 8;  // "RIFF" and the size of what follows

XSImage* refuse(int code)
{
    xslerrno = code;
    return nullptr;
}

// The code of a libwebp status; `damaged` is the one for a broken bit stream
// (the header's or the picture data's).
int code_of(VP8StatusCode status, int damaged)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return XSE_NO_MEMORY;
    case VP8_STATUS_UNSUPPORTED_FEATURE: return XSE_VARIANT;
    case VP8_STATUS_NOT_ENOUGH_DATA: return XSE_DATA_READ;
    default: return damaged;
    }
}

// Decodes into the image's plane. With alpha the plane is first widened to
// four bytes per pixel, then each pixel is put over white in place and the
// plane shrunk back, so no second picture-sized buffer is needed.
int decode_into(const unsigned char* file, size_t size, bool alpha, XSImage* image)
{
    const size_t pixels = size_t(image->width) * size_t(image->height);
    const int channels = alpha ? 4 : 3;
    if (alpha) {
        auto* wide = static_cast<unsigned char*>(std::realloc(image->data, pixels * 4));
        if (!wide) {
            xslerrno = XSE_NO_MEMORY;
            return 0;
        }
        image->data = wide;
    }
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        xslerrno = XSE_VARIANT;
        return 0;
    }
    config.output.colorspace = alpha ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image->data;
    config.output.u.RGBA.stride = image->width * channels;
    config.output.u.RGBA.size = pixels * size_t(channels);
    const VP8StatusCode status = WebPDecode(file, size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        xslerrno = code_of(status, XSE_DATA_READ);
        return 0;
    }
    if (alpha) {
        XslRowOverWhite(image->data, image->data, long(pixels), 3);
        if (auto* narrow = static_cast<unsigned char*>(std::realloc(image->data, pixels * 3)))
            image->data = narrow;
    }
    return 1;
}

}  // namespace

XSImage* XSReadWebP(FILE* stream)
{
    unsigned char header[12];
    if (std::fread(header, 1, sizeof header, stream) != sizeof header)
        return refuse(XSE_HEADER_READ);
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WEBP", 4) != 0)
        return refuse(XSE_BAD_MAGIC);
    // The whole file is read at once: its size must be what the stream holds.
    const long riff_size = long(XslGet32LE(header + 4));
    const long left = XslBytesLeft(stream);
    if (left < 0)
        return refuse(XSE_READ_ERROR);
    if (riff_size < 4)
        return refuse(XSE_BAD_MAGIC);
    if (riff_size - 4 > left)
        return refuse(XSE_DATA_READ);
    const long size = kRiffHeader + riff_size;
    XslBuffer<unsigned char> file = XslAllocBuffer<unsigned char>(size);
    if (!file)
        return nullptr;
    std::memcpy(file.get(), header, sizeof header);
    if (std::fread(file.get() + sizeof header, 1, size_t(size) - sizeof header, stream) != size_t(size) - sizeof header)
        return refuse(XSE_DATA_READ);

    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(file.get(), size_t(size), &features);
    if (status != VP8_STATUS_OK)
        return refuse(code_of(status, XSE_BAD_MAGIC));
    if (features.has_animation)
        return refuse(XSE_VARIANT);
    if (!XSLSizeOK(features.width, features.height, features.has_alpha ? 4 : 3))
        return refuse(XSE_NO_MEMORY);
    XslImagePtr image = XslNewDirectImage(features.width, features.height, 3);
    if (!image)
        return nullptr;
    if (!decode_into(file.get(), size_t(size), features.has_alpha != 0, image.get()))
        return nullptr;
    image->resolution = 100;
    return image.release();
}

int XSInfoWebP()
{
    return 0;
}
