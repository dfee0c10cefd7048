// Writes the picture seeds of fuzz/corpus/: small pictures of each pixel kind
// (bitmap, gray, colour colormap, direct colour, RGB planes) in every format
// the library writes, as read_<format> and round_trip seeds, and a few
// picture_job seeds (option words, then a picture). Run by fuzz/make_seeds.sh.
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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

#include <unistd.h>

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

// ---- Layouts other programs write and the library's writers do not, 11 x 5
// pixels each: pixel (x, y) is index or colour v(x, y).

constexpr int kW = 11, kH = 5;

unsigned v(int x, int y, unsigned mask)
{
    return unsigned(x * 37 + y * 91 + x * y) & mask;
}

void put_le(std::string& s, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s += char(value >> (8 * i));
}

void put_be(std::string& s, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        s += char(value >> (8 * i));
}

// BMP with the 12-byte core header (3-byte palette entries) when `core`.
std::string bmp(int bits, bool core, const std::vector<uint32_t>& palette)
{
    std::string info, rows;
    put_le(info, core ? 12 : 40, 4);
    put_le(info, kW, core ? 2 : 4);
    put_le(info, kH, core ? 2 : 4);
    put_le(info, 1, 2);
    put_le(info, uint32_t(bits), 2);
    if (!core)
        info += std::string(24, '\0');
    for (uint32_t rgb : palette)
        put_le(info, rgb, core ? 3 : 4);
    for (int y = kH - 1; y >= 0; --y) {
        std::string line((kW * bits + 7) / 8, '\0');
        for (int x = 0; x < kW; ++x)
            if (bits == 24)
                line.replace(size_t(3 * x), 3, std::string{char(v(x, y, 255)), char(v(y, x, 255)), char(x * 20)});
            else
                line[size_t(x * bits / 8)] |= char(v(x, y, (1u << bits) - 1) << (8 - bits - x * bits % 8));
        rows += line + std::string((4 - line.size() % 4) % 4, '\0');
    }
    std::string file = "BM";
    put_le(file, uint32_t(14 + info.size() + rows.size()), 4);
    put_le(file, 0, 4);
    put_le(file, uint32_t(14 + info.size()), 4);
    return file + info + rows;
}

// PCX of `bits` in `planes` (8 x 3: colours; otherwise packed indices),
// every byte as a run of one.
std::string pcx(int bits, int planes, const std::vector<uint32_t>& palette)
{
    std::string h(128, '\0');
    h[0] = 10, h[1] = 5, h[2] = 1, h[3] = char(bits), h[8] = kW - 1, h[10] = kH - 1, h[65] = char(planes);
    for (size_t i = 0; i < palette.size(); ++i)
        for (int c = 0; c < 3; ++c)
            h[16 + 3 * i + c] = char(palette[i] >> (16 - 8 * c));
    const int line = ((kW * bits + 7) / 8 + 1) / 2 * 2;
    h[66] = char(line);
    std::string data;
    for (int y = 0; y < kH; ++y)
        for (int plane = 0; plane < planes; ++plane) {
            std::string bytes(size_t(line), '\0');
            for (int x = 0; x < kW; ++x)
                if (bits == 8)
                    bytes[size_t(x)] = char(v(x + plane, y, 255));
                else
                    bytes[size_t(x * bits / 8)] |= char(v(x, y, (1u << bits) - 1) << (8 - bits - x * bits % 8));
            for (char b : bytes)
                data += std::string{'\xc1', b};
        }
    return h + data;
}

// Sun raster type 3: colour pixels red, green, blue.
std::string sun_rgb()
{
    std::string file;
    for (uint32_t word : {0x59A66A95u, uint32_t(kW), uint32_t(kH), 24u, uint32_t(kH * 34), 3u, 0u, 0u})
        put_be(file, word, 4);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            file += std::string{char(v(x, y, 255)), char(v(y, x, 255)), char(x * 20)};
        file += '\0';
    }
    return file;
}

// The file libtiff writes in `mode` ("w", "wl" or "wb") as `write` sets it up.
std::string tiff_bytes(const char* mode, const std::function<void(TIFF*)>& write)
{
    char name[] = "/tmp/seedtiffXXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return {};
    close(fd);
    TIFF* tif = TIFFOpen(name, mode);
    write(tif);
    TIFFClose(tif);
    std::ifstream in(name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unlink(name);
    return bytes;
}

// TIFF through libtiff: RGB in 16 x 16 tiles of separate planes, or a
// 4-bit palette in strips.
std::string tiff(bool tiles)
{
    return tiff_bytes("w", [tiles](TIFF* tif) {
        const int samples = tiles ? 3 : 1, bits = tiles ? 8 : 4;
        static uint16_t red[16], green[16], blue[16];
        for (int i = 0; i < 16; ++i)
            red[i] = uint16_t(i * 4369), green[i] = uint16_t((15 - i) * 4369), blue[i] = uint16_t(i * 1000);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kW);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kH);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, tiles ? PHOTOMETRIC_RGB : PHOTOMETRIC_PALETTE);
        if (tiles) {
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
            for (int plane = 0; plane < 3; ++plane) {
                std::vector<unsigned char> tile(256);
                for (int y = 0; y < kH; ++y)
                    for (int x = 0; x < kW; ++x)
                        tile[size_t(16 * y + x)] = static_cast<unsigned char>(v(x + plane, y, 255));
                TIFFWriteTile(tif, tile.data(), 0, 0, 0, uint16_t(plane));
            }
        } else {
            TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
            for (int y = 0; y < kH; ++y) {
                unsigned char line[6] = {};
                for (int x = 0; x < kW; ++x)
                    line[x / 2] |= static_cast<unsigned char>(v(x, y, 15) << (x % 2 ? 0 : 4));
                TIFFWriteScanline(tif, line, uint32_t(y), 0);
            }
        }
    });
}

// 16-bit RGB in LZW strips with differencing, little-endian; or 32-bit
// floating-point gray, min-is-white, in Deflate strips, big-endian.
std::string tiff_wide(bool floating)
{
    return tiff_bytes(floating ? "wb" : "wl", [floating](TIFF* tif) {
        const int samples = floating ? 1 : 3;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kW);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kH);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, floating ? 32 : 16);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, floating ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, floating ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, floating ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_PREDICTOR, floating ? PREDICTOR_FLOATINGPOINT : PREDICTOR_HORIZONTAL);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
        for (int y = 0; y < kH; ++y) {
            uint16_t wide[kW * 3];
            float gray[kW];
            for (int x = 0; x < kW * samples; ++x) {
                wide[x] = uint16_t(v(x, y, 0xFFFF));
                gray[x % kW] = float(v(x, y, 255)) / 255;
            }
            TIFFWriteScanline(tif, floating ? static_cast<void*>(gray) : wide, uint32_t(y), 0);
        }
    });
}

// SGI image of two bytes per channel: three channels verbatim, or one coded
// as a literal packet and a run per row.
std::string iris_wide(bool coded)
{
    const int channels = coded ? 1 : 3;
    std::string file;
    put_be(file, 474, 2);
    file += char(coded), file += char(2);
    for (int n : {3, kW, kH, channels})
        put_be(file, uint32_t(n), 2);
    put_be(file, 0, 4), put_be(file, 65535, 4);
    file.resize(512, '\0');
    std::string rows;
    for (int z = 0; z < channels; ++z)
        for (int y = 0; y < kH; ++y) {
            if (coded) {
                put_be(file, uint32_t(512 + 8 * kH + rows.size()), 4);
                put_be(rows, 0x80 | (kW - 3), 2);
            }
            for (int x = 0; x < (coded ? kW - 3 : kW); ++x)
                put_be(rows, v(x + z, y, 0xFFFF), 2);
            if (coded)
                put_be(rows, 3, 2), put_be(rows, v(y, y, 0xFFFF), 2), put_be(rows, 0, 2);
        }
    if (coded)
        for (int y = 0; y < kH; ++y)
            put_be(file, 2 * (1 + kW - 3 + 1 + 1 + 1), 4);
    return file + rows;
}

struct Layout {
    const char* target;
    const char* name;
    std::string bytes;
};

std::vector<Layout> peer_layouts()
{
    const std::vector<uint32_t> navy_gold = {0x000080, 0xFFD700};
    std::vector<uint32_t> sixteen;
    for (uint32_t i = 0; i < 16; ++i)
        sixteen.push_back(i * 0x0F0B07);
    return {
        {"read_bmp", "core-8", bmp(8, true, sixteen)},
        {"read_bmp", "core-24", bmp(24, true, {})},
        {"read_bmp", "two-colours", bmp(1, false, navy_gold)},
        {"read_pcx", "true-colour", pcx(8, 3, {})},
        {"read_pcx", "true-colour-4-planes", pcx(8, 4, {})},
        {"read_pcx", "packed-4", pcx(4, 1, sixteen)},
        {"read_pcx", "two-colours", pcx(1, 1, navy_gold)},
        {"read_sun", "type-3", sun_rgb()},
        {"read_tiff", "tiles-separate", tiff(true)},
        {"read_tiff", "palette-4", tiff(false)},
        {"read_tiff", "rgb-16", tiff_wide(false)},
        {"read_tiff", "float-gray", tiff_wide(true)},
        {"read_iris", "rgb-16", iris_wide(false)},
        {"read_iris", "coded-16", iris_wide(true)},
    };
}

// A TIMG whose pixels are a JPEG stream: the direct-colour file with its
// pixel data replaced and the JPEG flag set.
std::string timg_with_jpeg(XSImage* direct)
{
    std::string file = written(TCoWriter, direct);
    const std::string jpeg = written(XSWriteJpeg, direct);
    if (file.size() < XSL_TIMG_HEADER_BYTES || jpeg.empty())
        return {};
    file.resize(XSL_TIMG_HEADER_BYTES);  // no private block, no colour entries
    unsigned char* h = reinterpret_cast<unsigned char*>(file.data());
    XslPut32BE(h + 104, uint32_t(jpeg.size()));
    XslPut32BE(h + 120, 1);
    return file + jpeg;
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
    for (const Layout& l : peer_layouts()) {
        save(corpus / l.target, l.name, l.bytes);
        save(corpus / "round_trip", std::string(l.name) + "-" + (l.target + 5), l.bytes);
        ++seeds;
    }
    XslImagePtr direct = picture("direct");
    save(corpus / "read_timg", "jpeg", timg_with_jpeg(direct.get()));
    std::printf("%d picture seeds written\n", seeds + 1);
    return 0;
}
