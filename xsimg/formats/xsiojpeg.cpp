// JPEG reader and writer. libjpeg reports fatal errors by a non-local jump, so the
// functions that hold the jump buffer are plain code: nothing with a destructor
// lives in their frames, and what must be freed on the jump path is a plain pointer.
#include "xsiojpeg.h"

#include <csetjmp>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "xsaffine.h"
#include "xsdensity.h"
#include "xsown.h"
#include "xsreadkit.h"
#include "xsrowsource.h"

namespace {

// The writer's settings, per thread: a job sets what its own writes use.
thread_local int quality = 75;
thread_local int progressive = 0;
thread_local int baseline = 0;
thread_local int dct_algorithm = 1;
constexpr int smooth = 0;

// Real progressive files have a dozen scans; a file with thousands would keep the
// decoder busy for a very long time.
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void error_exit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Neither errors nor warnings are ever shown.
void error_output(j_common_ptr)
{
}

// Whether the data being decoded ended early (libjpeg then fills the rest).
thread_local bool cut_short = false;

void note_message(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        cut_short = true;
    if (level < 0)
        ++cinfo->err->num_warnings;
}

void progress_monitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        error_exit(cinfo);
}

void setUp(jpeg_common_struct* cinfo, ErrorManager* err, jpeg_progress_mgr* progress)
{
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = error_exit;
    err->pub.output_message = error_output;
    err->pub.emit_message = note_message;
    progress->progress_monitor = progress_monitor;
}

// JFIF pixel density as found in the file.
struct Density {
    int unit;
    unsigned x;
    unsigned y;
};

// A JPEG stream inside another file, whose header gave the picture's size.
struct Embedding {
    int width;
    int height;
};

// Releases what a failed read holds. A JPEG file leaves no code of its own;
// a stream inside another file does, so that its reader can say why.
XSImage* abandon(jpeg_decompress_struct* cinfo, XSImage* image, const Embedding* embedding = nullptr,
                 int code = XSE_DATA_READ)
{
    jpeg_destroy_decompress(cinfo);
    XSLFree(image);
    if (embedding)
        xslerrno = code;
    return nullptr;
}

// Every library call of a read. An embedded stream has its output size and
// components computed once more after the colour space is chosen, must be the
// size its file announced, and leaves the density alone.
XSImage* decode(FILE* stream, Density* density, const Embedding* embedding)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    XSImage* volatile image = nullptr;

    setUp(reinterpret_cast<j_common_ptr>(&cinfo), &err, &progress);
    cut_short = false;
    if (setjmp(err.jump))
        return abandon(&cinfo, image, embedding);
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_stdio_src(&cinfo, stream);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_calc_output_dimensions(&cinfo);

    const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    cinfo.quantize_colors = FALSE;
    cinfo.out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    // CMYK, YCCK and unknown spaces keep their own component count and are refused.
    int components = cinfo.out_color_components;
    if (embedding) {
        jpeg_calc_output_dimensions(&cinfo);
        components = cinfo.out_color_components;
    }
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    if (components != 1 && components != 3)
        return abandon(&cinfo, nullptr, embedding, XSE_LAYOUT);
    if (embedding && (width != embedding->width || height != embedding->height))
        return abandon(&cinfo, nullptr, embedding, XSE_BAD_MAGIC);
    if (!XSLSizeOK(width, height, components))
        return abandon(&cinfo, nullptr, embedding, XSE_NO_MEMORY);
    // The owner the toolkit returns is let go of at once: nothing with a
    // destructor may live in this frame.
    image = (gray ? XslNewGrayImage(width, height, 256) : XslNewDirectImage(width, height, 3)).release();
    if (!image)
        return abandon(&cinfo, nullptr, embedding, XSE_NO_MEMORY);
    // A row holds at least the decoder's components (1 for gray, 1 or 3 else).
    const size_t line = size_t(XSLBytesPerLine(image));

    jpeg_start_decompress(&cinfo);
    image->resolution = 100;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image->data + size_t(cinfo.output_scanline) * line;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return abandon(&cinfo, image, embedding);
    }
    density->unit = cinfo.density_unit;
    density->x = cinfo.X_density;
    density->y = cinfo.Y_density;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

// Dots per inch from the JFIF density; pixels of unequal density are made square
// at the horizontal density. Density unit 0 gives the aspect ratio only.
// Densities more than XS_MAX_DENSITY_RATIO apart are not made square.
void applyDensity(XSImage* image, const Density& density)
{
    unsigned x, y;
    if (density.unit == 1) {
        x = density.x;
        y = density.y;
    } else if (density.unit == 2) {
        x = static_cast<unsigned>(density.x * 2.54);
        y = static_cast<unsigned>(density.y * 2.54);
    } else {
        return;
    }
    image->resolution = static_cast<uint16_t>(x > 0xFFFF ? 0xFFFF : x);
    if (x != y && XslDensitiesPlausible(x, y)) {
        // The picture is usable unscaled too: a refused scale (a result beyond
        // the size limit) leaves it as read, and no error code; so do a zero
        // density and densities too far apart to be anything but damage.
        const int32_t saved = xslerrno;
        XSScale(image, 1.0, double(x) / double(y));
        xslerrno = saved;
    }
}

// Every library call of a write.
int encode(FILE* stream, const XslRowSource* source, unsigned char* row)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    const XSImage* image = source->image;

    setUp(reinterpret_cast<j_common_ptr>(&cinfo), &err, &progress);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return 0;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, stream);
    cinfo.image_width = static_cast<JDIMENSION>(image->width);
    cinfo.image_height = static_cast<JDIMENSION>(image->height);
    cinfo.input_components = source->components;
    cinfo.in_color_space = source->components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    cinfo.progress = &progress;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, baseline);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.dct_method = static_cast<J_DCT_METHOD>(dct_algorithm);
    // An unknown resolution is stored as an unknown density, not as 0 dots per inch.
    cinfo.density_unit = image->resolution ? 1 : 0;
    cinfo.X_density = image->resolution ? image->resolution : 1;
    cinfo.Y_density = cinfo.X_density;
    cinfo.smoothing_factor = smooth;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        XslReadRow(*source, cinfo.next_scanline, row);
        JSAMPROW rows[1] = {row};
        if (jpeg_write_scanlines(&cinfo, rows, 1) != 1) {
            jpeg_destroy_compress(&cinfo);
            return 0;
        }
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 1;
}

} // namespace

XSImage* XSReadJpeg(FILE* stream)
{
    Density density{};
    XSImage* image = decode(stream, &density, nullptr);
    if (image)
        applyDensity(image, density);
    return image;
}

int XSWriteJpeg(FILE* stream, XSImage* image)
{
    if (image->width <= 0 || image->height <= 0 || !image->data) {
        xslerrno = XSE_KIND;
        return 0;
    }
    XslRowSource source;
    if (!XslInitRowSource(&source, image))
        return 0;
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(long(image->width) * source.components);
    if (!row)
        return 0;
    return encode(stream, &source, row.get());
}

XSImage* XslReadEmbeddedJpeg(FILE* stream, int width, int height)
{
    Density unused{};
    const Embedding embedding{width, height};
    return decode(stream, &unused, &embedding);
}

int XSInfoJPEG()
{
    return 0;
}

int XSJpegQualitySet(int q)
{
    quality = q <= 0 ? 1 : q > 100 ? 100 : q;
    return 1;
}

int XSJpegCompressOption(int progressive_mode, int force_baseline, int dct)
{
    if ((progressive_mode != 0 && progressive_mode != 1) || (force_baseline != 0 && force_baseline != 1)
        || dct < 0 || dct > 2)
        return 0;
    progressive = progressive_mode;
    baseline = force_baseline;
    dct_algorithm = dct;
    return 1;
}

int XslJpegCutShort()
{
    return cut_short ? 1 : 0;
}
