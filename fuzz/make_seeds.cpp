// Writes the picture seeds of fuzz/corpus/: small pictures of each pixel kind
// (bitmap, gray, colour colormap, direct colour, RGB planes) in every format
// the library writes, as read_<format> and round_trip seeds, and a few
// picture_job seeds (option words, then a picture). Run by fuzz/make_seeds.sh.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "xsio.h"
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
#include "xsreadkit.h"

namespace fs = std::filesystem;

namespace {

int write_tiff(FILE* stream, XSImage* image)
{
    return XSWriteTiff(stream, image, nullptr);
}

struct Format {
    const char* target;
    XSWriter write;
};

const Format formats[] = {
    {"read_tiff", write_tiff}, {"read_jpeg", XSWriteJpeg}, {"read_sun", RsWriter},
    {"read_gif", XSWriteGif},  {"read_iris", XSWriteIRIS}, {"read_pbm", XSWritePBM},
    {"read_bmp", XSWriteBMP},  {"read_xwd", XWDWriter},    {"read_tv11", TV11Writer},
    {"read_tv10", TV10Writer}, {"read_xsimg", XSLWriteXSImg}, {"read_pcx", XSWritePCX},
    {"read_timg", TCoWriter},
    {"read_png", XSWritePNG},  {"read_webp", XSWriteWebP},
};

// A picture of the kind, with a pattern every pixel of which differs from its neighbours.
XslImagePtr picture(const std::string& kind)
{
    const int w = 11, h = 5;
    XslImagePtr p;
    if (kind == "bitmap")
        p = XslNewBitmap(w, h);
    else if (kind == "gray")
        p = XslNewGrayImage(w, h, 256);
    else if (kind == "colormap") {
        p = XslNewColormapImage(w, h);
        const unsigned char palette[] = {255, 255, 255, 200, 0, 0, 0, 150, 30, 10, 20, 240, 0, 0, 0};
        if (p)
            XslSetPalette(p.get(), palette, 5);
    } else if (kind == "direct")
        p = XslNewDirectImage(w, h, 3);
    else
        p = XslNewRgbImage(w, h);
    if (!p)
        return p;
    p->resolution = 72;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = (x * 37 + y * 91) % 256;
            if (kind == "colormap")
                XSLPutPixel(p.get(), x, y, v % 5 == 0 ? 255 : 200, v % 3 ? 0 : 150, v & 1 ? 240 : 20);
            else
                XSLPutPixel(p.get(), x, y, v, (v * 3) % 256, 255 - v);
        }
    return p;
}

std::string written(XSWriter write, XSImage* image)
{
    FILE* f = std::tmpfile();
    std::string bytes;
    if (f != nullptr && write(f, image)) {
        std::rewind(f);
        char block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
            bytes.append(block, n);
    }
    if (f != nullptr)
        std::fclose(f);
    return bytes;
}

// The bytes of a literal, embedded zeros included.
template <size_t N>
std::string bytes_of(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

void save(const fs::path& dir, const std::string& name, const std::string& bytes)
{
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    // Option words for the picture job: count byte, words, then the picture.
    const std::string job_options[] = {
        bytes_of("\0"),
        bytes_of("\6-di\0003\0-po\0001\0-fi\0000\0"),
        bytes_of("\x08-xs\00050\0-ys\000200\0-la\0003\0-cp\000120\0"),
    };
    int seeds = 0;
    for (const char* kind : {"bitmap", "gray", "colormap", "direct", "rgb"}) {
        XslImagePtr p = picture(kind);
        for (const Format& f : formats) {
            const std::string bytes = written(f.write, p.get());
            if (bytes.empty())
                continue;   // a kind the format does not hold
            const std::string name = std::string(kind) + "-" + (f.target + 5);
            save(corpus / f.target, kind, bytes);
            save(corpus / "round_trip", name, bytes);
            const std::string& words = job_options[seeds % 3];
            save(corpus / "picture_job", name, words + bytes);
            ++seeds;
        }
    }
    std::printf("%d picture seeds written\n", seeds);
    return 0;
}
