#include "raster_input.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <algorithm>

#include "read_ahead.h"
#include "xsimage.h"

namespace {

ssize_t read_bytes(void* context, unsigned char* buffer, size_t bytes)
{
    raster_input* in = static_cast<raster_input*>(context);
    ssize_t got;
    if (in->ahead != nullptr) {
        got = take_read_ahead(in->ahead, buffer, bytes);
    } else {
        const size_t n = std::fread(buffer, 1, bytes, in->file);
        got = std::ferror(in->file) && n == 0 ? -1 : static_cast<ssize_t>(n);
    }
    in->ended = got == 0;
    if (got < 0)
        in->read_error = errno;
    return got;
}

// What one raster line holds, and how it becomes the page's row.
enum class pixel_kind { bits_black, bits_white, gray, gray_inverse, gray16, gray16_inverse, rgb, rgb16 };

const char* kind_text(pixel_kind k)
{
    switch (k) {
    case pixel_kind::bits_black: return "1-bit black";
    case pixel_kind::bits_white: return "1-bit white";
    case pixel_kind::gray: return "8-bit gray";
    case pixel_kind::gray_inverse: return "8-bit black";
    case pixel_kind::gray16: return "16-bit gray";
    case pixel_kind::gray16_inverse: return "16-bit black";
    case pixel_kind::rgb: return "8-bit RGB";
    case pixel_kind::rgb16: return "16-bit RGB";
    }
    return "";
}

// An enumerated header field as the number the file holds: a damaged file may
// hold any value, which the enumeration itself cannot.
template <typename Enum>
unsigned enum_field(const Enum& field)
{
    unsigned value;
    std::memcpy(&value, &field, sizeof value);
    return value;
}

// The kind of the header's pixels, or false for one this printer does not take.
bool kind_of(const cups_page_header2_t& h, pixel_kind* kind)
{
    const unsigned bits = h.cupsBitsPerColor;
    if (enum_field(h.cupsColorOrder) != CUPS_ORDER_CHUNKED)
        return false;
    switch (enum_field(h.cupsColorSpace)) {
    case CUPS_CSPACE_K:
    case CUPS_CSPACE_W:
    case CUPS_CSPACE_SW: {
        const bool black = enum_field(h.cupsColorSpace) == CUPS_CSPACE_K;
        if (h.cupsBitsPerPixel != bits)
            return false;
        if (bits == 1)
            *kind = black ? pixel_kind::bits_black : pixel_kind::bits_white;
        else if (bits == 8)
            *kind = black ? pixel_kind::gray_inverse : pixel_kind::gray;
        else if (bits == 16)
            *kind = black ? pixel_kind::gray16_inverse : pixel_kind::gray16;
        else
            return false;
        return true;
    }
    case CUPS_CSPACE_RGB:
    case CUPS_CSPACE_SRGB:
    case CUPS_CSPACE_ADOBERGB:
        if (h.cupsBitsPerPixel != 3 * bits || (bits != 8 && bits != 16))
            return false;
        *kind = bits == 8 ? pixel_kind::rgb : pixel_kind::rgb16;
        return true;
    default:
        return false;
    }
}

// Samples of 16 bits come from libcups in the machine's own order.
inline int high_byte(const unsigned char* sample)
{
    uint16_t v;
    std::memcpy(&v, sample, 2);
    return v >> 8;
}

// Turns the first `width` pixels of one raster line into a row of the page.
void convert_line(pixel_kind kind, const unsigned char* in, unsigned char* out, long width)
{
    switch (kind) {
    case pixel_kind::bits_black:
        std::memcpy(out, in, (width + 7) / 8);
        break;
    case pixel_kind::bits_white:
        for (long i = 0; i < (width + 7) / 8; ++i)
            out[i] = static_cast<unsigned char>(~in[i]);
        break;
    case pixel_kind::gray:
        std::memcpy(out, in, width);
        break;
    case pixel_kind::gray_inverse:
        for (long i = 0; i < width; ++i)
            out[i] = static_cast<unsigned char>(255 - in[i]);
        break;
    case pixel_kind::gray16:
        for (long i = 0; i < width; ++i)
            out[i] = static_cast<unsigned char>(high_byte(in + 2 * i));
        break;
    case pixel_kind::gray16_inverse:
        for (long i = 0; i < width; ++i)
            out[i] = static_cast<unsigned char>(255 - high_byte(in + 2 * i));
        break;
    case pixel_kind::rgb:
        for (long i = 0; i < width; ++i, in += 3)
            out[i] = static_cast<unsigned char>(XslFastGray(in[0], in[1], in[2]));
        break;
    case pixel_kind::rgb16:
        for (long i = 0; i < width; ++i, in += 6)
            out[i] = static_cast<unsigned char>(XslFastGray(high_byte(in), high_byte(in + 2), high_byte(in + 4)));
        break;
    }
}

std::string page_text(int page) { return "page " + std::to_string(page) + ": "; }

}  // namespace

void sheet_points(const cups_page_header2_t& h, raster_page_setup* setup)
{
    setup->width_points = h.PageSize[0];
    setup->height_points = h.PageSize[1];
    if (h.cupsPageSize[0] > 0 && h.cupsPageSize[1] > 0 && h.cupsPageSize[0] < 1e6 && h.cupsPageSize[1] < 1e6) {
        setup->width_points = h.cupsPageSize[0];
        setup->height_points = h.cupsPageSize[1];
    }
    if (setup->width_points == 0 || setup->height_points == 0) {
        setup->width_points = 72.0 * h.cupsWidth / h.HWResolution[0];
        setup->height_points = 72.0 * h.cupsHeight / h.HWResolution[1];
    }
    const float* box = h.cupsImagingBBox;
    if (box[3] > 0 && box[0] >= 0 && box[3] <= setup->height_points) {
        setup->left_points = box[0];
        setup->top_points = setup->height_points - box[3];
    } else if (h.ImagingBoundingBox[3] > 0 && h.ImagingBoundingBox[3] <= setup->height_points) {
        setup->left_points = h.ImagingBoundingBox[0];
        setup->top_points = setup->height_points - h.ImagingBoundingBox[3];
    }
}

raster_input::raster_input(FILE* in, read_ahead* from) : file(in), ahead(from)
{
    raster = cupsRasterOpenIO(read_bytes, this, CUPS_RASTER_READ);
}

raster_input::~raster_input()
{
    if (raster != nullptr)
        cupsRasterClose(raster);
}

raster_read read_raster_header(raster_input& in, raster_page_setup* setup, std::string* description,
                               std::string* error)
{
    const int number = in.pages + 1;
    cups_page_header2_t& h = in.header;
    if (in.raster == nullptr || !cupsRasterReadHeader2(in.raster, &h)) {
        if (in.pages > 0 && in.ended && in.read_error == 0)
            return raster_read::end;
        if (in.read_error != 0)
            *error = "Cannot read the raster document: " + std::string(std::strerror(in.read_error));
        else if (in.pages == 0)
            *error = "The document is not a raster this printer reads (CUPS, PWG or Apple raster).";
        else
            *error = page_text(number) + "the page header is damaged.";
        return raster_read::failed;
    }
    in.pages = number;
    in.rows_read = 0;
    pixel_kind kind;
    if (!kind_of(h, &kind)) {
        *error = page_text(number) + "colour space " + std::to_string(enum_field(h.cupsColorSpace)) + " with " +
                 std::to_string(h.cupsBitsPerColor) + " bits per colour in order " +
                 std::to_string(enum_field(h.cupsColorOrder)) +
                 " is not one this printer takes (1, 8 or 16-bit gray or black, 8 or 16-bit RGB, chunked).";
        return raster_read::failed;
    }
    in.kind = static_cast<int>(kind);
    in.bits = kind == pixel_kind::bits_black || kind == pixel_kind::bits_white;
    // No sheet the printer feeds is wider or taller than this many dots, so
    // no line buffer need be larger, whatever the header claims.
    constexpr uint64_t widest_line = uint64_t(max_raster_resolution) * uint64_t(max_sheet_inches);
    if (h.cupsWidth == 0 || h.cupsWidth > widest_line || h.cupsHeight == 0 || h.cupsHeight > widest_line ||
        h.HWResolution[0] == 0 ||
        h.HWResolution[1] == 0 ||
        h.cupsBytesPerLine != (static_cast<uint64_t>(h.cupsWidth) * h.cupsBitsPerPixel + 7) / 8) {
        *error = page_text(number) + "the page header gives no usable size.";
        return raster_read::failed;
    }
    setup->x_resolution = static_cast<int>(h.HWResolution[0] > 100000 ? 100000 : h.HWResolution[0]);
    setup->y_resolution = static_cast<int>(h.HWResolution[1] > 100000 ? 100000 : h.HWResolution[1]);
    setup->page_number = number;
    setup->copies = h.NumCopies >= 1 && h.NumCopies <= 9999 ? static_cast<int>(h.NumCopies) : 1;
    sheet_points(h, setup);
    if (const char* problem = raster_page_problem(*setup)) {
        *error = page_text(number) + problem + ".";
        return raster_read::failed;
    }
    try {
        in.line.resize(h.cupsBytesPerLine);
        in.row.resize(in.bits ? (h.cupsWidth + 7) / 8 : h.cupsWidth);
    } catch (const std::bad_alloc&) {
        *error = page_text(number) + "no memory for a line of " + std::to_string(h.cupsWidth) + " pixels.";
        return raster_read::failed;
    }
    char text[200];
    std::snprintf(text, sizeof text, "Page %d: %u x %u pixels of %s at %u x %u dpi from %.2f, %.2f on a %.2f x %.2f point sheet",
                  number, h.cupsWidth, h.cupsHeight, kind_text(kind), h.HWResolution[0], h.HWResolution[1],
                  setup->left_points, setup->top_points, setup->width_points, setup->height_points);
    *description = text;
    return raster_read::page;
}

const unsigned char* read_raster_row(raster_input& in, std::string* error)
{
    const cups_page_header2_t& h = in.header;
    if (cupsRasterReadPixels(in.raster, in.line.data(), h.cupsBytesPerLine) != h.cupsBytesPerLine) {
        *error = page_text(in.pages) + "the raster ends after " + std::to_string(in.rows_read) + " of its " +
                 std::to_string(h.cupsHeight) + " lines.";
        return nullptr;
    }
    ++in.rows_read;
    const auto kind = static_cast<pixel_kind>(in.kind);
    if (kind == pixel_kind::gray || kind == pixel_kind::bits_black)
        return in.line.data();
    convert_line(kind, in.line.data(), in.row.data(), h.cupsWidth);
    return in.row.data();
}

raster_read read_raster_page(raster_input& in, XslImagePtr* picture, raster_page_setup* setup,
                             std::string* description, std::string* error)
{
    const raster_read got = read_raster_header(in, setup, description, error);
    if (got != raster_read::page)
        return got;
    const cups_page_header2_t& h = in.header;
    long keep_width, keep_height;
    raster_page_limits(*setup, &keep_width, &keep_height);
    keep_width = std::min(keep_width, static_cast<long>(h.cupsWidth));
    keep_height = std::min(keep_height, static_cast<long>(h.cupsHeight));
    if (keep_width <= 0 || keep_height <= 0 || !XSLSizeOK(keep_width, keep_height, 1)) {
        *error = page_text(in.pages) + "the page is too large for the printer.";
        return raster_read::failed;
    }
    picture->reset(in.bits ? XSLCrNewBit(static_cast<int>(keep_width), static_cast<int>(keep_height))
                           : XSLCrNewZmap2(static_cast<int>(keep_width), static_cast<int>(keep_height), 8));
    if (!*picture) {
        *error = page_text(in.pages) + "no memory for a page of " + std::to_string(keep_width) + " x " +
                 std::to_string(keep_height) + " dots.";
        return raster_read::failed;
    }
    const long stride = XSLBytesPerLine(picture->get());
    for (unsigned y = 0; y < h.cupsHeight; ++y) {
        const unsigned char* row = read_raster_row(in, error);
        if (row == nullptr)
            return raster_read::failed;
        if (y < keep_height)
            std::memcpy((*picture)->data + y * stride, row, stride);
    }
    return raster_read::page;
}

void set_job_tone(const job_request& request, raster_page_setup* setup)
{
    setup->halftone = request.halftone >= 0 ? request.halftone : 0;
    setup->brightness = request.brightness;
    setup->gamma = request.gamma > 0 ? request.gamma : 1.0;
}
