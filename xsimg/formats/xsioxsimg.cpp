// Reading and writing the library's own image file.
#include "xsioxsimg.h"

#include <climits>
#include <cstring>

#include "xsreadkit.h"

namespace {

constexpr int kFieldCount = XS_IMG_FIELD_BYTES / 4;
constexpr int kColorBytes = 8;

// Header words in file order.
constexpr uint32_t XSImgHeader::*kFields[kFieldCount] = {
    &XSImgHeader::magic,      &XSImgHeader::header_length, &XSImgHeader::type,
    &XSImgHeader::reserved,   &XSImgHeader::width,         &XSImgHeader::height,
    &XSImgHeader::depth,      &XSImgHeader::planes,        &XSImgHeader::bytes_per_pixel,
    &XSImgHeader::resolution, &XSImgHeader::ncolors,       &XSImgHeader::bits_per_sample,
    &XSImgHeader::red_mask,   &XSImgHeader::green_mask,    &XSImgHeader::blue_mask,
};

void fields_from(const unsigned char* bytes, XSImgHeader* header)
{
    for (int i = 0; i < kFieldCount; ++i)
        header->*kFields[i] = XslGet32BE(bytes + i * 4);
}

// The 60 field bytes, the first two words given by the family dispatch.
int read_after_words(XSImgHeader* header, FILE* stream, uint32_t word0, uint32_t word1)
{
    unsigned char bytes[XS_IMG_FIELD_BYTES];
    if (!XslReadNativeHeader(stream, word0, word1, bytes, sizeof bytes))
        return 0;
    fields_from(bytes, header);
    return 1;
}

uint16_t clamp16(uint32_t value)
{
    return static_cast<uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}

// True when n more bytes may be in the stream (a stream that cannot tell is
// believed; its reads then fail on their own).
bool may_hold(FILE* stream, unsigned long long n)
{
    const long left = XslBytesLeft(stream);
    return left < 0 || n <= static_cast<unsigned long long>(left);
}

// Skips n bytes without a buffer; false when the stream holds fewer.
bool skip(FILE* stream, uint32_t n)
{
    if (n == 0)
        return true;
    if (!may_hold(stream, n))
        return false;
    // Steps that fit a long everywhere; a stream that cannot seek is read through.
    while (n > 0) {
        const uint32_t step = n < (1u << 30) ? n : (1u << 30);
        if (fseek(stream, long(step), SEEK_CUR) != 0) {
            for (uint32_t i = 0; i < step; ++i)
                if (getc(stream) == EOF)
                    return false;
        }
        n -= step;
    }
    return true;
}

// The colormap of ncolors entries, or null with code XSE_CMAP_READ (beyond the file),
// XSE_BAD_MAGIC (more than a colormap holds, or a channel beyond 255) or XSE_NO_MEMORY.
XslBuffer<XSColor> read_colormap(FILE* stream, uint32_t ncolors)
{
    if (!may_hold(stream, static_cast<unsigned long long>(ncolors) * kColorBytes)) {
        xslerrno = XSE_CMAP_READ;
        return nullptr;
    }
    if (ncolors > 256) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    XslBuffer<XSColor> map = XslAllocBuffer<XSColor>(ncolors);
    unsigned char bytes[256 * kColorBytes];
    if (!map)
        return nullptr;
    if (fread(bytes, kColorBytes, ncolors, stream) != ncolors) {
        xslerrno = XSE_CMAP_READ;
        return nullptr;
    }
    for (uint32_t i = 0; i < ncolors; ++i) {
        const unsigned char* e = bytes + i * kColorBytes;
        map[i] = {XslGet16BE(e), XslGet16BE(e + 2), XslGet16BE(e + 4), XslGet16BE(e + 6)};
        // Channels run 0 to 255; a larger value would index past every
        // 256-entry table the colour operations keep.
        if (map[i].red > 255 || map[i].green > 255 || map[i].blue > 255) {
            xslerrno = XSE_BAD_MAGIC;
            return nullptr;
        }
    }
    return map;
}

// The empty image the header describes; null with code XSE_NO_MEMORY (size refused),
// XSE_BAD_MAGIC (depth), XSE_KIND (planes) or XSE_DATA_READ (the planes cannot be in the file).
XslImagePtr make_image(const XSImgHeader& h, FILE* stream)
{
    const int width = h.width > INT_MAX ? -1 : int(h.width);
    const int height = h.height > INT_MAX ? -1 : int(h.height);
    const bool bitmap = h.type == 0;
    if (!bitmap && (h.depth < 1 || h.depth > 32)) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    if (!bitmap && h.planes != 1 && h.planes != 3) {
        xslerrno = XSE_KIND;
        return nullptr;
    }
    const long bytes_per_pixel = bitmap ? 1 : (h.depth + 7) / 8;
    if (!XSLSizeOK(width, height, bytes_per_pixel)) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    // Refuse before allocating when the file is too short for the planes.
    const long row = bitmap ? (long(width) + 7) / 8 : long(width) * bytes_per_pixel;
    const unsigned planes = bitmap ? 1 : h.planes;
    if (!may_hold(stream, static_cast<unsigned long long>(row) * height * planes)) {
        xslerrno = XSE_DATA_READ;
        return nullptr;
    }
    if (bitmap)
        return XslImagePtr(XSLCrNewBit(width, height));
    if (planes == 3)
        return XslImagePtr(XSLCrNewZmap(width, height, int(h.depth)));
    XslImagePtr image(XSLCrNewZmap2(width, height, int(h.depth)));
    if (image) {
        image->bits_per_sample = clamp16(h.bits_per_sample);
        image->red_mask = h.red_mask;
        image->green_mask = h.green_mask;
        image->blue_mask = h.blue_mask;
    }
    return image;
}

// The planes a record holds by its own account, in file order; 0 with code XSE_KIND
// when one is missing or the record could not be read back.
int planes_of(const XSImage* image, unsigned char* const* planes[3])
{
    const int count = image->type == 0 ? 1 : image->planes;
    unsigned char* const* all[3] = {&image->data, &image->data_g, &image->data_b};
    bool whole = image->width > 0 && image->height > 0 && (count == 1 || count == 3) && image->ncolors <= 256
        && (image->ncolors == 0 || image->colormap);
    for (int i = 0; whole && i < count; ++i) {
        whole = *all[i] != nullptr;
        planes[i] = all[i];
    }
    if (!whole) {
        xslerrno = XSE_KIND;
        return 0;
    }
    return count;
}

}  // namespace

int XSLReadXSImgHeader(XSImgHeader* header, FILE* stream)
{
    unsigned char bytes[XS_IMG_FIELD_BYTES];
    if (fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        xslerrno = XSE_HEADER_READ;
        return 0;
    }
    fields_from(bytes, header);
    if (header->magic != XS_IMG_MAGIC) {
        xslerrno = XSE_BAD_MAGIC;
        return 0;
    }
    return 1;
}

XSImage* XSLReadXSImgData(const XSImgHeader* header, FILE* stream)
{
    // A length below the fields would mean skipping backwards.
    if (header->header_length < XS_IMG_FIELD_BYTES
        || !skip(stream, header->header_length - XS_IMG_FIELD_BYTES)) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    XslBuffer<XSColor> colormap;
    if (header->ncolors != 0 && !(colormap = read_colormap(stream, header->ncolors)))
        return nullptr;
    XslImagePtr image = make_image(*header, stream);
    if (!image)
        return nullptr;
    const long size = XSLDataSize(image.get());
    for (unsigned char* plane : {image->data, image->data_g, image->data_b})
        if (plane && !XslReadChannel(stream, plane, size, size, 1))
            return nullptr;
    image->reserved = int32_t(header->reserved);
    image->resolution = clamp16(header->resolution);
    image->ncolors = static_cast<uint16_t>(header->ncolors);
    image->colormap = colormap.release();
    // Fields that make no pixel kind (an 8-bit plane without colormap, three
    // planes of wide pixels) would be refused by every later stage.
    if (XslKindOf(image.get()) == XSK_OTHER) {
        xslerrno = XSE_KIND;
        return nullptr;
    }
    return image.release();
}

XSImage* XSLReadXSImg(FILE* stream)
{
    XSImgHeader header;
    return XSLReadXSImgHeader(&header, stream) ? XSLReadXSImgData(&header, stream) : nullptr;
}

XSImage* XSLReadXSImg2(FILE* stream, uint32_t word0, uint32_t word1)
{
    XSImgHeader header;
    if (!read_after_words(&header, stream, word0, word1))
        return nullptr;
    if (header.magic != XS_IMG_MAGIC) {
        xslerrno = XSE_BAD_MAGIC;
        return nullptr;
    }
    return XSLReadXSImgData(&header, stream);
}

int XSLWriteXSImgHeader(FILE* stream, const XSImage* image)
{
    XSImgHeader h = {
        XS_IMG_MAGIC,           XS_IMG_HEADER_BYTES,     uint32_t(image->type), uint32_t(image->reserved),
        uint32_t(image->width), uint32_t(image->height), image->depth,          image->planes,
        image->bytes_per_pixel, image->resolution,       image->ncolors,        image->bits_per_sample,
        image->red_mask,        image->green_mask,       image->blue_mask};
    unsigned char bytes[XS_IMG_HEADER_BYTES] = {};
    for (int i = 0; i < kFieldCount; ++i)
        XslPut32BE(bytes + i * 4, h.*kFields[i]);
    if (fwrite(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        xslerrno = XSE_READ_ERROR;
        return 0;
    }
    return 1;
}

int XSLWriteXSImgData(FILE* stream, const XSImage* image)
{
    unsigned char* const* planes[3];
    const int count = planes_of(image, planes);
    if (count == 0)
        return 0;
    // The entries go out through a copy in file order; the image keeps its own.
    const int ncolors = image->ncolors;
    unsigned char entries[256 * kColorBytes];
    for (int i = 0; i < ncolors; ++i) {
        const XSColor& c = image->colormap[i];
        unsigned char* e = entries + i * kColorBytes;
        XslPut16BE(e, c.index);
        XslPut16BE(e + 2, c.red);
        XslPut16BE(e + 4, c.green);
        XslPut16BE(e + 6, c.blue);
    }
    if (fwrite(entries, kColorBytes, size_t(ncolors), stream) != size_t(ncolors)) {
        xslerrno = XSE_KIND;
        return 0;
    }
    const long size = XSLDataSize(image);
    for (int i = 0; i < count; ++i)
        if (!XslWriteChannel(stream, *planes[i], size))
            return 0;
    return 1;
}

int XSLWriteXSImg(FILE* stream, XSImage* image)
{
    // A record that could not be read back is refused before anything is written.
    unsigned char* const* planes[3];
    if (planes_of(image, planes) == 0)
        return 0;
    return XSLWriteXSImgHeader(stream, image) && XSLWriteXSImgData(stream, image);
}

int XSLIndentXSImg(uint32_t word0, uint32_t)
{
    return word0 == XS_IMG_MAGIC ? 1 : 0;
}

int XSLInformXSImg(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info)
{
    XSImgHeader header;
    if (!read_after_words(&header, stream, word0, word1))
        return 0;
    info->width = int32_t(header.width);
    info->height = int32_t(header.height);
    info->resolution = int32_t(header.resolution);
    return 1;
}
