// Writer round trips: the picture read from the input is written by every
// writer of the library and read back; it must come back with the same
// pixels (the same size for the lossy JPEG and the quantising cases), or the
// writer must fail with one of its documented codes.
#include <cstdio>
#include <cstdlib>

#include "fuzz_bytes.h"
#include "fuzz_target.h"
#include "picture_check.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsiobmp.h"
#include "xsiogif.h"
#include "xsioiris.h"
#include "xsiojpeg.h"
#include "xsiopbm.h"
#include "xsiopcx.h"
#include "xsiopng.h"
#include "xsiosun.h"
#include "xsiotiff.h"
#include "xsiotimg.h"
#include "xsiotv.h"
#include "xsiowebp.h"
#include "xsioxsimg.h"
#include "xsioxwd.h"
#include "xsown.h"
#include "xstwocolor.h"

namespace {

// Bound of the harness: larger pictures take the same paths, only slower.
constexpr long most_pixels = 1L << 16;

enum class Keeps {
    pixels,
    size,                  // lossy
    gray_colormap_pixels,  // colour colormaps become luminance
    colormap_pixels,       // other colour pictures are quantised
    whole_byte_pixels,     // the width grows to whole bytes; the pixels kept are the same
};

struct WriterCase {
    const char* name;
    XSWriter write;
    Keeps keeps;
    // Codes this writer documents for pictures it cannot write, besides XSE_NO_MEMORY
    // (memory) and XSE_VARIANT (a side too long for the format); -1 ends the list.
    int refusals[3];
};

int write_tiff(FILE* stream, XSImage* image)
{
    return XSWriteTiff(stream, image, nullptr);
}

const WriterCase writers[] = {
    {"TIFF", write_tiff, Keeps::pixels, {XSE_KIND, -1}},
    {"JPEG", XSWriteJpeg, Keeps::size, {XSE_KIND, XSE_PROCESS_KIND, -1}},
    {"Sun", RsWriter, Keeps::pixels, {XSE_KIND, -1}},
    {"GIF", XSWriteGif, Keeps::colormap_pixels, {XSE_KIND, -1}},
    {"IRIS", XSWriteIRIS, Keeps::gray_colormap_pixels, {XSE_KIND, -1}},
    {"PNM", XSWritePBM, Keeps::pixels, {XSE_KIND, -1}},
    {"BMP", XSWriteBMP, Keeps::pixels, {XSE_KIND, -1}},
    {"PCX", XSWritePCX, Keeps::colormap_pixels, {XSE_KIND, -1}},
    {"XWD", XWDWriter, Keeps::pixels, {XSE_KIND, -1}},
    {"PNG", XSWritePNG, Keeps::pixels, {XSE_KIND, -1}},
    {"WebP", XSWriteWebP, Keeps::pixels, {XSE_KIND, -1}},
    {"TV11", TV11Writer, Keeps::pixels, {XSE_KIND, -1}},
    {"TV10", TV10Writer, Keeps::whole_byte_pixels, {XSE_BITMAP_ONLY, -1}},
    {"native", XSLWriteXSImg, Keeps::pixels, {XSE_KIND, -1}},
    {"TIMG", TCoWriter, Keeps::pixels, {XSE_KIND, -1}},
};

[[noreturn]] void fail(const WriterCase& w, const char* what)
{
    std::fprintf(stderr, "%s writer round trip: %s (code %d)\n", w.name, what, int(xslerrno));
    std::abort();
}

bool documented_refusal(const WriterCase& w, int code)
{
    if (code == XSE_NO_MEMORY || code == XSE_VARIANT)
        return true;
    for (int r : w.refusals) {
        if (r < 0)
            break;
        if (r == code)
            return true;
    }
    return false;
}

bool gray_colormap(const XSImage* p)
{
    for (int i = 0; i < p->ncolors; ++i)
        if (p->colormap[i].red != p->colormap[i].green || p->colormap[i].red != p->colormap[i].blue)
            return false;
    return true;
}

bool pixels_expected(const WriterCase& w, const XSImage* p)
{
    const XslPixelKind kind = XslKindOf(p);
    // A bitmap carrying a palette of its own goes out in the palette's grays
    // wherever a writer turns bits into levels.
    if (kind == XSK_BITMAP && p->ncolors > 0 && w.keeps != Keeps::pixels && w.keeps != Keeps::whole_byte_pixels)
        return false;
    switch (w.keeps) {
    case Keeps::pixels:
    case Keeps::whole_byte_pixels: return true;
    case Keeps::size: return false;
    case Keeps::colormap_pixels: return kind == XSK_BITMAP || kind == XSK_COLORMAP;
    case Keeps::gray_colormap_pixels: return kind != XSK_COLORMAP || gray_colormap(p);
    }
    return true;
}

// A pixel's colour; a plane of 8-bit values without colormap holds gray levels.
void colour_at(XSImage* p, int x, int y, int* r, int* g, int* b)
{
    if (XslKindOf(p) == XSK_PLAIN8) {
        *r = *g = *b = p->data[long(y) * p->width + x];
        return;
    }
    XSLGetPixel(p, x, y, r, g, b);
}

// A colormap picture written with two entries that came back as a bitmap (a
// GIF or PCX of black and white does; other pairs stay colours): with two
// colours the darker entry is black; with one, the second entry is the
// writer's filler, so only the same index must give the same bit throughout.
bool same_as_two_colour_bitmap(XSImage* picture, XSImage* bitmap)
{
    int bit_of[256];
    for (int& b : bit_of)
        b = -1;
    if (picture->ncolors >= 2) {
        const int darker = XslDarkerEntry(picture->colormap);
        bit_of[darker] = 1;
        bit_of[1 - darker] = 0;
    }
    for (int y = 0; y < picture->height; ++y)
        for (int x = 0; x < picture->width; ++x) {
            int r, g, b;
            XSLGetPixel(bitmap, x, y, &r, &g, &b);
            const int black = r == 0;
            int& expected = bit_of[picture->data[long(y) * picture->width + x]];
            if (expected < 0)
                expected = black;
            if (expected != black)
                return false;
        }
    return true;
}

// The pixels of `a` (which may be the narrower) are those of `b`.
bool same_pixels(XSImage* a, XSImage* b)
{
    for (int y = 0; y < a->height; ++y)
        for (int x = 0; x < a->width; ++x) {
            int ra, ga, ba, rb, gb, bb;
            colour_at(a, x, y, &ra, &ga, &ba);
            colour_at(b, x, y, &rb, &gb, &bb);
            if (ra != rb || ga != gb || ba != bb)
                return false;
        }
    return true;
}

// A fingerprint of the planes and colormap: a writer must leave them alone.
uint64_t fingerprint(const XSImage* p)
{
    uint64_t h = 1469598103934665603u;
    auto mix = [&h](const unsigned char* bytes, long n) {
        for (long i = 0; i < n; ++i)
            h = (h ^ bytes[i]) * 1099511628211u;
    };
    const long plane = XSLDataSize(p);
    mix(p->data, plane);
    if (XslKindOf(p) == XSK_RGB) {
        mix(p->data_g, plane);
        mix(p->data_b, plane);
    }
    if (p->colormap != nullptr)
        mix(reinterpret_cast<const unsigned char*>(p->colormap), long(p->ncolors) * long(sizeof(XSColor)));
    return h;
}

void round_trip(const WriterCase& w, XSImage* picture)
{
    FILE* file = std::tmpfile();
    if (file == nullptr)
        return;
    xslerrno = 0;
    const uint64_t before = fingerprint(picture);
    const int written = w.write(file, picture);
    if (fingerprint(picture) != before)
        fail(w, "the writer changed the picture");
    if (!written) {
        std::fclose(file);
        if (!documented_refusal(w, xslerrno) && !(w.write == XSWriteJpeg && xslerrno == 0))
            fail(w, "the writer failed");
        return;
    }
    const long size = std::ftell(file);
    std::rewind(file);
    XslImagePtr back(XSReadMagic(file));
    std::fclose(file);
    // The library's own family is recognised by its first 8 bytes; a window
    // dump of the oldest kind only within 2000 dots each way.
    const bool recognisable = w.write != TV10Writer ||
                              (size >= 8 && (picture->width + 7) / 8 * 8 < 2000 && picture->height < 2000);
    if (!recognisable) {
        if (back)   // whatever reader took it must still give a sound picture
            check_picture(back.get());
        return;
    }
    if (!back)
        fail(w, "what the writer wrote does not read back");
    check_picture(back.get());
    const int width = w.keeps == Keeps::whole_byte_pixels ? (picture->width + 7) / 8 * 8 : picture->width;
    if (back->width != width || back->height != picture->height)
        fail(w, "the picture came back in another size");
    if (XslKindOf(picture) == XSK_COLORMAP && XslKindOf(back.get()) == XSK_BITMAP) {
        if (!same_as_two_colour_bitmap(picture, back.get()))
            fail(w, "the two colours came back as another bitmap");
    } else if (pixels_expected(w, picture) && !same_pixels(picture, back.get()))
        fail(w, "the picture came back with other pixels");
}

void write_every_format(const uint8_t* data, size_t size)
{
    FILE* stream = fuzz_stream(data, size);
    if (stream == nullptr)
        return;
    XslImagePtr picture(XSReadMagic(stream));
    std::fclose(stream);
    if (!picture || long(picture->width) * picture->height > most_pixels)
        return;
    check_picture(picture.get());
    for (const WriterCase& w : writers)
        round_trip(w, picture.get());
}

FUZZ_TARGET("round_trip", write_every_format);

}  // namespace
