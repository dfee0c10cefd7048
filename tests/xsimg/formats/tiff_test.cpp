#include <gtest/gtest.h>
#include <tiffio.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../conformance/conformance.h"
#include "xsconv.h"
#include "xsimage.h"
#include "xsio.h"
#include "xsiotiff.h"
#include "xsown.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A TIFF made by libtiff itself in a temporary file.
struct TiffFile {
    std::string path;
    TiffFile()
    {
        char name[] = "/tmp/xstiffXXXXXX";
        int fd = mkstemp(name);
        close(fd);
        path = name;
    }
    ~TiffFile() { unlink(path.c_str()); }
    FILE* open() const { return std::fopen(path.c_str(), "rb"); }
    Bytes bytes() const
    {
        Bytes out;
        FILE* f = open();
        int c;
        while ((c = std::getc(f)) != EOF)
            out.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
        return out;
    }
    void write_bytes(const Bytes& data) const
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!data.empty())
            std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
};

struct Page {
    uint32_t width = 1, height = 1;
    uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    std::function<void(TIFF*)> extra;  // further tags
    Bytes rows;                        // packed scan lines, top row first
    uint32_t tile = 0;                 // tiles of tile x tile pixels instead of strips
    bool separate = false;  // one plane per sample (samples of whole bytes)
    const char* mode = "w";  // "wl" little-endian, "wb" big-endian
};

// The page's rows stored in tiles, or in strips of separate planes.
void write_pieces(TIFF* tif, const Page& p, tmsize_t line)
{
    const int planes = p.separate ? p.samples : 1;
    const int size = std::max(1, p.bits / 8);  // bytes of a sample
    const uint32_t piece_width = p.tile ? p.tile : p.width, piece_length = p.tile ? p.tile : 2;
    const tmsize_t piece_row = p.tile ? TIFFTileRowSize(tif) : TIFFScanlineSize(tif);
    for (uint32_t y0 = 0; y0 < p.height; y0 += piece_length)
        for (int plane = 0; plane < planes; ++plane)
            for (uint32_t x0 = 0; x0 < p.width; x0 += piece_width) {
                Bytes piece(size_t(piece_row * piece_length), 0);
                for (uint32_t r = 0; r < piece_length && y0 + r < p.height; ++r) {
                    const unsigned char* in = p.rows.data() + (y0 + r) * line;
                    unsigned char* out = piece.data() + r * piece_row;
                    if (!p.separate) {
                        const tmsize_t at = x0 * p.bits * p.samples / 8;
                        std::copy(in + at, in + std::min(line, at + piece_row), out);
                        continue;
                    }
                    for (uint32_t x = x0; x < std::min(p.width, x0 + piece_width); ++x)
                        std::copy_n(in + (x * p.samples + plane) * size, size, out + (x - x0) * size);
                }
                if (p.tile)
                    TIFFWriteTile(tif, piece.data(), x0, y0, 0, uint16_t(plane));
                else
                    TIFFWriteEncodedStrip(tif, TIFFComputeStrip(tif, y0, uint16_t(plane)), piece.data(),
                                          tmsize_t(piece_row * std::min(piece_length, p.height - y0)));
            }
}

void write_pages(const TiffFile& file, const std::vector<Page>& pages)
{
    TIFF* tif = TIFFOpen(file.path.c_str(), pages.front().mode);
    ASSERT_NE(tif, nullptr);
    for (const Page& p : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, p.compression);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, p.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
        if (p.tile) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, p.tile);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, p.tile);
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2u);
        }
        if (p.extra)
            p.extra(tif);
        const tmsize_t line = (tmsize_t(p.width) * p.bits * p.samples + 7) / 8;
        if (p.tile || p.separate) {
            write_pieces(tif, p, line);
            TIFFWriteDirectory(tif);
            continue;
        }
        for (uint32_t y = 0; y < p.height; ++y) {
            Bytes row(p.rows.begin() + y * line, p.rows.begin() + (y + 1) * line);
            ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, 0), 0);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

XSImage* read_file(const TiffFile& file)
{
    FILE* f = file.open();
    XSImage* image = XSReadTiff(f);
    std::fclose(f);
    return image;
}

Bytes plane(const XSImage* image)
{
    return Bytes(image->data, image->data + XSLDataSize(image));
}

Bytes gray_levels(XSImage* image)
{
    EXPECT_TRUE(XSLConvGray(image));
    return plane(image);
}

// The page written alone to a file and read back; null when refused.
XslImagePtr read_page(const Page& p)
{
    TiffFile file;
    write_pages(file, {p});
    return XslImagePtr(read_file(file));
}

Bytes plane(const XslImagePtr& image)
{
    return plane(image.get());
}

// Sets the width and length entries of the first directory to LONG values.
void set_declared_size(Bytes& b, uint32_t width, uint32_t height)
{
    const bool little = b[0] == 'I';
    auto get16 = [&](size_t at) { return little ? b[at] | b[at + 1] << 8 : b[at] << 8 | b[at + 1]; };
    auto get32 = [&](size_t at) {
        return little ? b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24
                      : static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
    };
    const size_t ifd = get32(4);
    const int entries = get16(ifd);
    for (int e = 0; e < entries; ++e) {
        const size_t at = ifd + 2 + 12 * e;
        const int tag = get16(at);
        if (tag != TIFFTAG_IMAGEWIDTH && tag != TIFFTAG_IMAGELENGTH)
            continue;
        const uint32_t v = tag == TIFFTAG_IMAGEWIDTH ? width : height;
        b[at + 2] = little ? 4 : 0;  // type LONG, one value
        b[at + 3] = little ? 0 : 4;
        for (int i = 0; i < 4; ++i)
            b[at + 8 + i] = static_cast<unsigned char>(little ? v >> (8 * i) : v >> (24 - 8 * i));
    }
}

std::string file_of(const std::vector<Page>& pages)
{
    TiffFile file;
    write_pages(file, pages);
    const Bytes b = file.bytes();
    return std::string(b.begin(), b.end());
}

std::vector<std::string> tiff_samples()
{
    Page rgb;
    rgb.width = 37;
    rgb.height = 23;
    rgb.samples = 3;
    rgb.photometric = PHOTOMETRIC_RGB;
    rgb.compression = COMPRESSION_LZW;
    for (int i = 0; i < 37 * 23 * 3; ++i)
        rgb.rows.push_back(static_cast<unsigned char>(i * 7));
    Page bits;
    bits.width = 13;
    bits.height = 5;
    bits.bits = 1;
    bits.photometric = PHOTOMETRIC_MINISWHITE;
    bits.compression = COMPRESSION_PACKBITS;
    for (int i = 0; i < 2 * 5; ++i)
        bits.rows.push_back(static_cast<unsigned char>(i * 37 + 5));
    Page tiled = rgb;
    tiled.tile = 16;
    tiled.separate = true;
    // 16-bit RGB in tiles of separate planes, little-endian; 16-bit gray in Deflate strips.
    Page wide{.width = 9,
              .height = 7,
              .bits = 16,
              .samples = 3,
              .photometric = PHOTOMETRIC_RGB,
              .rows = Bytes(9 * 7 * 3 * 2, 0x5C),
              .tile = 16,
              .separate = true,
              .mode = "wl"};
    Page gray16{.width = 9,
                .height = 7,
                .bits = 16,
                .photometric = PHOTOMETRIC_MINISWHITE,
                .compression = COMPRESSION_ADOBE_DEFLATE,
                .rows = Bytes(9 * 7 * 2, 0xC3)};
    return {file_of({rgb}), file_of({bits}), file_of({tiled}), file_of({wide}), file_of({gray16})};
}

std::string tiff_of_size(long width, long height)
{
    Page p;
    p.rows = {0};
    TiffFile file;
    write_pages(file, {p});
    Bytes b = file.bytes();
    set_declared_size(b, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    return std::string(b.begin(), b.end());
}

int write_tiff(FILE* stream, XSImage* image)
{
    return XSWriteTiff(stream, image, nullptr);
}

}  // namespace

XS_CONFORMANCE(Tiff, {.reader = XSReadTiff, .writer = write_tiff, .samples = tiff_samples, .sized = tiff_of_size});

TEST(TiffRead, EightBitGrayBothPolarities)
{
    Page p;
    p.width = 3;
    p.height = 2;
    p.rows = {0, 100, 255, 7, 8, 9};
    XslImagePtr image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(image->bytes_per_pixel, 1);
    EXPECT_EQ(image->ncolors, 256);
    EXPECT_EQ(image->resolution, 100);
    EXPECT_EQ(plane(image), p.rows);
    EXPECT_EQ(image->colormap[100].red, 100);

    p.photometric = PHOTOMETRIC_MINISWHITE;
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->colormap[0].red, 255);
    EXPECT_EQ(image->colormap[255].green, 0);
}

TEST(TiffRead, OneBitPolaritiesGiveTheSamePage)
{
    // 10 x 2 picture: black where the pattern has a 1.
    const Bytes black_bits = {0b10110000, 0b01000000, 0b00000001, 0b11000000};
    // The min-is-black file leaves its pad bits clear, as writers do.
    Bytes inverted;
    for (size_t i = 0; i < black_bits.size(); ++i)
        inverted.push_back(static_cast<unsigned char>(~black_bits[i] & (i % 2 ? 0xC0 : 0xFF)));
    Page p;
    p.width = 10;
    p.height = 2;
    p.bits = 1;
    p.photometric = PHOTOMETRIC_MINISWHITE;
    p.rows = black_bits;
    XslImagePtr a = read_page(p);
    p.photometric = PHOTOMETRIC_MINISBLACK;
    p.rows = inverted;
    XslImagePtr b = read_page(p);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->type, 0);
    EXPECT_EQ(b->type, 0);
    // Set bits are black in both, and the bits beyond the last pixel are clear.
    EXPECT_EQ(plane(a), black_bits);
    EXPECT_EQ(plane(b), black_bits);
    // Their colormaps describe the bits as stored, so gray conversion agrees.
    ASSERT_EQ(b->ncolors, 2);
    EXPECT_EQ(b->colormap[0].red, 255);
    EXPECT_EQ(b->colormap[1].red, 0);
    Bytes ga = gray_levels(a.get()), gb = gray_levels(b.get());
    EXPECT_EQ(ga, gb);
    EXPECT_EQ(ga[0], 0);    // black
    EXPECT_EQ(ga[1], 255);  // white
}

TEST(TiffRead, PackedGrayKeepsEveryColumn)
{
    Page p;
    p.width = 5;
    p.height = 2;
    p.bits = 2;
    p.rows = {0b00011011, 0b01000000, 0b11100100, 0b10000000};
    XslImagePtr image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{0, 1, 2, 3, 1, 3, 2, 1, 0, 2}));
    EXPECT_EQ(image->ncolors, 4);
    EXPECT_EQ(image->colormap[2].red, 170);

    p.bits = 4;
    p.width = 3;
    p.rows = {0x12, 0x30, 0xF0, 0xA0};
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{1, 2, 3, 15, 0, 10}));
    EXPECT_EQ(image->colormap[15].red, 255);
    EXPECT_EQ(image->colormap[1].red, 17);
}

TEST(TiffRead, Palettes)
{
    static uint16_t red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i) {
        red[i] = static_cast<uint16_t>(i * 257);
        green[i] = static_cast<uint16_t>((255 - i) * 257);
        blue[i] = 0x1234;
    }
    Page p;
    p.width = 9;
    p.height = 1;
    p.bits = 1;
    p.photometric = PHOTOMETRIC_PALETTE;
    p.extra = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue); };
    p.rows = {0b10100000, 0b10000000};
    XslImagePtr image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->type, 1);
    EXPECT_EQ(image->depth, 8u);
    EXPECT_EQ(plane(image), (Bytes{1, 0, 1, 0, 0, 0, 0, 0, 1}));
    ASSERT_EQ(image->ncolors, 256);
    EXPECT_EQ(image->colormap[1].green, 254);
    EXPECT_EQ(image->colormap[1].blue, 0x12);
    EXPECT_EQ(image->colormap[2].red, 255);
    EXPECT_EQ(image->colormap[200].blue, 255);

    p.bits = 8;
    p.width = 2;
    p.rows = {7, 200};
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{7, 200}));
    EXPECT_EQ(image->colormap[200].red, 200);

    // 2 and 4 bits per index are unpacked too.
    p.bits = 4;
    p.rows = {0x1F};
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{1, 15}));
    EXPECT_EQ(image->colormap[15].red, 15);
    EXPECT_EQ(image->colormap[16].red, 255);

    p.bits = 2;
    p.width = 3;
    p.rows = {0b11100100};
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{3, 2, 1}));
    EXPECT_EQ(image->colormap[3].green, 252);
}

TEST(TiffRead, ColourKinds)
{
    Page p;
    p.width = 2;
    p.photometric = PHOTOMETRIC_RGB;
    p.samples = 3;
    p.rows = {1, 2, 3, 250, 251, 252};
    XslImagePtr image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 24u);
    EXPECT_EQ(image->bytes_per_pixel, 3);
    EXPECT_EQ(image->red_mask, 0xFF0000u);
    EXPECT_EQ(plane(image), p.rows);
    EXPECT_EQ(XSIsTiffColor(), 0);

    p.samples = 4;
    p.extra = [](TIFF* tif) {
        uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    };
    p.rows = {1, 2, 3, 99, 250, 251, 252, 98};
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{1, 2, 3, 250, 251, 252}));

    p.photometric = PHOTOMETRIC_SEPARATED;
    p.extra = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK); };
    p.rows = {10, 20, 30, 40, 200, 0, 100, 100};
    image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), (Bytes{205, 195, 185, 0, 155, 55}));
    EXPECT_EQ(XSIsTiffColor(), 1);

    p.photometric = PHOTOMETRIC_RGB;
    p.samples = 3;
    p.extra = nullptr;
    p.rows = {1, 2, 3, 4, 5, 6};
    image = read_page(p);
    EXPECT_EQ(XSIsTiffColor(), 0);
}

TEST(TiffRead, JpegYCbCrArrivesAsRgb)
{
    if (!TIFFIsCODECConfigured(COMPRESSION_JPEG))
        GTEST_SKIP() << "no JPEG codec";
    Page p;
    p.width = 16;
    p.height = 16;
    p.samples = 3;
    p.photometric = PHOTOMETRIC_YCBCR;
    p.compression = COMPRESSION_JPEG;
    p.extra = [](TIFF* tif) {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16u);
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 100);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    };
    for (int i = 0; i < 16 * 16; ++i) {
        p.rows.push_back(200);
        p.rows.push_back(60);
        p.rows.push_back(30);
    }
    XslImagePtr image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 24u);
    Bytes px = plane(image);
    for (size_t i = 0; i < px.size(); i += 3) {
        EXPECT_NEAR(px[i], 200, 4);
        EXPECT_NEAR(px[i + 1], 60, 4);
        EXPECT_NEAR(px[i + 2], 30, 4);
    }
}

TEST(TiffRead, RefusedKinds)
{
    TiffFile file;
    Page p;
    p.width = 2;
    p.bits = 12;
    p.rows = Bytes(3, 0);
    write_pages(file, {p});
    testing::internal::CaptureStderr();
    xslerrno = 0;
    EXPECT_EQ(read_file(file), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(xslerrno, XSE_VARIANT);
    // Half floats are left as libtiff leaves them, in their raw bits.
    p.bits = 16;
    p.rows = Bytes(4, 0);
    p.extra = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP); };
    EXPECT_EQ(read_page(p), nullptr);
    EXPECT_EQ(xslerrno, XSE_FLOAT_SAMPLES);

    // Tiles are read through the tile interface.
    TIFF* tif = TIFFOpen(file.path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 16u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 16u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16u);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16u);
    Bytes tile(256, 9);
    TIFFWriteTile(tif, tile.data(), 0, 0, 0, 0);
    TIFFClose(tif);
    testing::internal::CaptureStderr();
    XSImage* image = read_file(file);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(plane(image), tile);
    XSLFree(image);

    // A tile whose data are missing fails as damaged data.
    Bytes cut = file.bytes();
    set_declared_size(cut, 32, 16);
    file.write_bytes(cut);
    testing::internal::CaptureStderr();
    xslerrno = 0;
    EXPECT_EQ(read_file(file), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("TIFF Error: "), std::string::npos);
    EXPECT_EQ(xslerrno, XSE_DATA_READ);
}

// Every kind strips take reads the same from tiles, from separate planes and
// from both, at a size that leaves partial tiles each way.
TEST(TiffRead, TilesAndSeparatePlanesReadLikeStrips)
{
    static uint16_t red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i) {
        red[i] = uint16_t(i * 257);
        green[i] = uint16_t((255 - i) * 257);
        blue[i] = uint16_t(i * 91);
    }
    const auto palette = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue); };
    const auto alpha = [](TIFF* tif) {
        uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    };
    const auto cmyk = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK); };
    const struct {
        const char* name;
        uint16_t bits, samples, photometric;
        std::function<void(TIFF*)> extra;
    } kinds[] = {
        {"gray", 8, 1, PHOTOMETRIC_MINISBLACK, nullptr},
        {"bilevel", 1, 1, PHOTOMETRIC_MINISWHITE, nullptr},
        {"gray 4 bits", 4, 1, PHOTOMETRIC_MINISBLACK, nullptr},
        {"palette 2 bits", 2, 1, PHOTOMETRIC_PALETTE, palette},
        {"palette 4 bits", 4, 1, PHOTOMETRIC_PALETTE, palette},
        {"gray and alpha", 8, 2, PHOTOMETRIC_MINISBLACK, alpha},
        {"RGB", 8, 3, PHOTOMETRIC_RGB, nullptr},
        {"RGB and alpha", 8, 4, PHOTOMETRIC_RGB, alpha},
        {"CMYK", 8, 4, PHOTOMETRIC_SEPARATED, cmyk},
    };
    const struct {
        const char* name;
        uint32_t tile;
        bool separate;
    } layouts[] = {{"tiles", 16, false}, {"separate planes", 0, true}, {"tiles of separate planes", 16, true}};
    for (const auto& k : kinds) {
        Page strips{.width = 37, .height = 23, .bits = k.bits, .samples = k.samples, .photometric = k.photometric,
                    .compression = COMPRESSION_LZW, .extra = k.extra, .rows = {}};
        const size_t line = (37 * k.bits * k.samples + 7) / 8;
        for (size_t i = 0; i < line * 23; ++i)
            strips.rows.push_back(static_cast<unsigned char>(i * 37 + i / 11));
        XslImagePtr expected = read_page(strips);
        ASSERT_NE(expected, nullptr) << k.name;
        for (const auto& l : layouts) {
            if (l.separate && k.samples == 1)
                continue;
            SCOPED_TRACE(std::string(k.name) + " in " + l.name);
            Page p = strips;
            p.tile = l.tile;
            p.separate = l.separate;
            XslImagePtr image = read_page(p);
            ASSERT_NE(image, nullptr) << xslerrno;
            EXPECT_EQ(XslKindOf(image.get()), XslKindOf(expected.get()));
            EXPECT_EQ(plane(image), plane(expected));
        }
    }
}

// Samples' bytes as the host holds them, which libtiff writes in the file's order.
template <typename T>
void append(Bytes& rows, T sample)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&sample);
    rows.insert(rows.end(), bytes, bytes + sizeof sample);
}

// Every kind of 8-bit samples, in every layout, reads the same from 16-bit
// samples holding it in their high byte (whatever the low byte) and from
// floating-point samples v / 255, in both byte orders and several codings.
TEST(TiffRead, WideSamplesReadAsTheirEightBitOriginals)
{
    const auto alpha = [](TIFF* tif) {
        uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    };
    const auto cmyk = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK); };
    const struct {
        uint16_t samples, photometric;
        std::function<void(TIFF*)> extra;
    } kinds[] = {{1, PHOTOMETRIC_MINISBLACK, nullptr}, {1, PHOTOMETRIC_MINISWHITE, nullptr},
                 {2, PHOTOMETRIC_MINISBLACK, alpha},   {3, PHOTOMETRIC_RGB, nullptr},
                 {4, PHOTOMETRIC_RGB, alpha},          {4, PHOTOMETRIC_SEPARATED, cmyk}};
    const struct {
        uint16_t bits, format, compression, predictor;
        const char* mode;
    } codings[] = {{16, SAMPLEFORMAT_UINT, COMPRESSION_NONE, 1, "wb"},
                   {16, SAMPLEFORMAT_UINT, COMPRESSION_LZW, 2, "wl"},
                   {16, SAMPLEFORMAT_UINT, COMPRESSION_ADOBE_DEFLATE, 2, "wb"},
                   {16, SAMPLEFORMAT_UINT, COMPRESSION_PACKBITS, 1, "wl"},
                   {32, SAMPLEFORMAT_IEEEFP, COMPRESSION_ADOBE_DEFLATE, 3, "wl"},
                   {64, SAMPLEFORMAT_IEEEFP, COMPRESSION_NONE, 1, "wb"}};
    for (const auto& k : kinds) {
        Page narrow{
            .width = 37, .height = 23, .samples = k.samples, .photometric = k.photometric, .extra = k.extra};
        for (int i = 0; i < 37 * 23 * k.samples; ++i)
            narrow.rows.push_back(static_cast<unsigned char>(i * 37 + i / 11));
        XslImagePtr expected = read_page(narrow);
        ASSERT_NE(expected, nullptr);
        for (const auto& c : codings)
            for (int layout = 0; layout < 4; ++layout) {
                SCOPED_TRACE(testing::Message()
                             << "photometric " << k.photometric << ", " << k.samples << " x " << c.bits
                             << " bits, coding " << c.compression << ", layout " << layout);
                Page wide = narrow;
                wide.bits = c.bits, wide.compression = c.compression, wide.mode = c.mode;
                wide.tile = layout & 1 ? 16 : 0, wide.separate = layout & 2;
                wide.extra = [&](TIFF* tif) {
                    if (k.extra)
                        k.extra(tif);
                    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, c.format);
                    TIFFSetField(tif, TIFFTAG_PREDICTOR, c.predictor);
                };
                wide.rows.clear();
                for (unsigned char v : narrow.rows)
                    c.bits == 16       ? append(wide.rows, uint16_t(v << 8 | (v ^ 0xA5)))
                        : c.bits == 32 ? append(wide.rows, float(v) / 255)
                                       : append(wide.rows, double(v) / 255);
                XslImagePtr image = read_page(wide);
                ASSERT_NE(image, nullptr) << xslerrno;
                EXPECT_EQ(XslKindOf(image.get()), XslKindOf(expected.get()));
                EXPECT_EQ(plane(image), plane(expected));
            }
    }
}

// A 16-bit palette indexes more colours than a colormap holds: direct colour.
TEST(TiffRead, SixteenBitPaletteGivesItsColours)
{
    static std::vector<uint16_t> map(3 * 65536);
    for (size_t i = 0; i < map.size(); ++i)
        map[i] = uint16_t(i * 7919);
    Page p{.width = 3, .bits = 16, .photometric = PHOTOMETRIC_PALETTE, .mode = "wl"};
    p.extra = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_COLORMAP, &map[0], &map[65536], &map[131072]); };
    Bytes expected;
    for (uint16_t index : {0, 300, 65535}) {
        append(p.rows, index);
        for (size_t c = 0; c < 3; ++c)
            expected.push_back(static_cast<unsigned char>(map[c * 65536 + index] >> 8));
    }
    XslImagePtr image = read_page(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XslKindOf(image.get()), XSK_DIRECT);
    EXPECT_EQ(plane(image), expected);
}

TEST(TiffRead, PagesAndPageSelection)
{
    TiffFile file;
    Page one, two;
    one.rows = {11};
    two.rows = {22};
    write_pages(file, {one, two});
    FILE* f = file.open();
    EXPECT_EQ(XSCheckMultiPageTiff(f), 2);
    std::fclose(f);

    XSTiffSetPage(2);
    XSImage* image = read_file(file);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->data[0], 22);
    XSLFree(image);

    XSTiffSetPage(3);
    xslerrno = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_file(file), nullptr);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(xslerrno, XSE_DATA_READ);
    XSTiffSetPage(1);
}

TEST(TiffRead, DensitiesMakeSquarePixels)
{
    Page p;
    p.width = 4;
    p.height = 3;
    p.rows = Bytes(12, 80);
    auto with_res = [&](uint16_t unit, float x, float y) {
        p.extra = [=](TIFF* tif) {
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, unit);
            if (x > 0)
                TIFFSetField(tif, TIFFTAG_XRESOLUTION, x);
            if (y > 0)
                TIFFSetField(tif, TIFFTAG_YRESOLUTION, y);
        };
        return read_page(p);
    };
    // Unequal densities stretch the rows to square pixels at the larger one;
    // densities more than 16 times apart are damage, and nothing is stretched.
    struct Row {
        uint16_t unit;
        float x, y;
        int width, height, resolution;
    };
    for (const Row& r : {Row{RESUNIT_INCH, 200, 100, 4, 6, 200}, Row{RESUNIT_INCH, 300, 0, 4, 3, 300},
                         Row{RESUNIT_NONE, 300, 150, 4, 3, 100}, Row{RESUNIT_CENTIMETER, 100, 100, 4, 3, 254},
                         Row{RESUNIT_INCH, 1600, 100, 4, 48, 1600}, Row{RESUNIT_INCH, 100, 1700, 4, 3, 100},
                         Row{RESUNIT_INCH, 65535, 1, 4, 3, 65535}}) {
        SCOPED_TRACE(std::to_string(r.x) + " x " + std::to_string(r.y));
        XslImagePtr image = with_res(r.unit, r.x, r.y);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, r.width);
        EXPECT_EQ(image->height, r.height);
        EXPECT_EQ(image->resolution, r.resolution);
    }
}

TEST(TiffStream, FailedReadLeavesTheStreamUsable)
{
    TiffFile file;
    file.write_bytes(Bytes{'I', 'I', 'x', 'y', 'z', 'z', 'z', 'z', 'z', 'z'});
    FILE* f = file.open();
    int fd = fileno(f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(XSReadTiff(f), nullptr);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(fcntl(fd, F_GETFD), -1);
    ASSERT_EQ(std::fseek(f, 2, SEEK_SET), 0);
    EXPECT_EQ(std::getc(f), 'x');
    std::fclose(f);
}

namespace {

XSImage* round_trip(XSImage* image, bool little = false)
{
    TiffFile file;
    XSTiffEndian(little);
    FILE* f = std::fopen(file.path.c_str(), "wb");
    EXPECT_EQ(XSWriteTiff(f, image, nullptr), 1);
    std::fclose(f);
    XSTiffEndian(0);
    return read_file(file);
}

XSImage* rgb_planes(int w, int h)
{
    XSImage* image = XSLCrNewZmap(w, h, 8);
    for (int i = 0; i < w * h; ++i) {
        image->data[i] = static_cast<unsigned char>(i * 13);
        image->data_g[i] = static_cast<unsigned char>(i * 29 + 5);
        image->data_b[i] = static_cast<unsigned char>(255 - i);
    }
    return image;
}

}  // namespace

TEST(TiffWrite, RoundTripsEveryLayout)
{
    XSImage* bitmap = XSLCrNewBit(11, 3);
    for (int i = 0; i < 6; ++i)
        bitmap->data[i] = static_cast<unsigned char>(0x5A + i * 31) & (i % 2 ? 0xE0 : 0xFF);
    bitmap->resolution = 300;
    XSImage* back = round_trip(bitmap, true);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->type, 0);
    EXPECT_EQ(plane(back), plane(bitmap));
    EXPECT_EQ(back->resolution, 300);
    XSLFree(back);
    XSLFree(bitmap);

    XSImage* indexed = XSLCrNewZmap2(3, 2, 8);
    for (int i = 0; i < 6; ++i)
        indexed->data[i] = static_cast<unsigned char>(i % 3);
    indexed->colormap = static_cast<XSColor*>(std::calloc(3, sizeof(XSColor)));
    indexed->ncolors = 3;
    indexed->colormap[1] = XSColor{1, 10, 20, 30};
    indexed->colormap[2] = XSColor{2, 255, 128, 0};
    back = round_trip(indexed);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(plane(back), plane(indexed));
    EXPECT_EQ(back->colormap[2].green, 128);
    EXPECT_EQ(back->colormap[1].blue, 30);
    XSLFree(back);
    XSLFree(indexed);

    XSImage* rgb = rgb_planes(5, 4);
    back = round_trip(rgb);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->bytes_per_pixel, 3);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(back->data[3 * i], rgb->data[i]);
        EXPECT_EQ(back->data[3 * i + 1], rgb->data_g[i]);
        EXPECT_EQ(back->data[3 * i + 2], rgb->data_b[i]);
    }
    XSLFree(back);

    // CMYK output, read back through the ink formula, gives the colours again.
    XSTiffColor(1);
    back = round_trip(rgb);
    XSTiffColor(0);
    ASSERT_NE(back, nullptr);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(back->data[3 * i], rgb->data[i]);
        EXPECT_EQ(back->data[3 * i + 2], rgb->data_b[i]);
    }
    XSLFree(back);
    XSLFree(rgb);

    // Direct colour is written from an RGB copy; the original stays as it was.
    XSImage* direct = XSLCrNewZmap2(2, 1, 24);
    direct->red_mask = 0xFF0000;
    direct->green_mask = 0xFF00;
    direct->blue_mask = 0xFF;
    const unsigned char px[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(direct->data, px, 6);
    back = round_trip(direct);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(plane(back), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(direct->planes, 1);
    EXPECT_EQ(std::memcmp(direct->data, px, 6), 0);
    XSLFree(back);
    XSLFree(direct);
}

namespace {

// A stream whose disk fills up before the directory: small writes pass, the
// directory (written last, from the stream's buffer) does not.
struct FillingSink {
    off64_t pos = 0;
    off64_t size = 0;
};

ssize_t sink_write(void* cookie, const char*, size_t n)
{
    auto* sink = static_cast<FillingSink*>(cookie);
    if (n > 64)
        return -1;
    sink->pos += static_cast<off64_t>(n);
    sink->size = std::max(sink->size, sink->pos);
    return static_cast<ssize_t>(n);
}

int sink_seek(void* cookie, off64_t* offset, int whence)
{
    auto* sink = static_cast<FillingSink*>(cookie);
    sink->pos = *offset + (whence == SEEK_CUR ? sink->pos : whence == SEEK_END ? sink->size : 0);
    *offset = sink->pos;
    return 0;
}

}  // namespace

TEST(TiffWrite, UnflushedLastBytesAreAFailure)
{
    FillingSink sink;
    FILE* f = fopencookie(&sink, "w", cookie_io_functions_t{nullptr, sink_write, sink_seek, nullptr});
    ASSERT_NE(f, nullptr);
    XSImage* bitmap = XSLCrNewBit(8, 2);
    xslerrno = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(XSWriteTiff(f, bitmap, nullptr), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(xslerrno, XSE_DATA_WRITE);
    std::fclose(f);
    XSLFree(bitmap);
}

TEST(TiffWrite, EveryAvailableCompressionRoundTrips)
{
    struct Scheme {
        const char* name;
        bool bitmap;
        bool rgb;
    };
    const Scheme schemes[] = {{"NONE", true, true},  {"LZW", true, true},   {"PACKBITS", true, true},
                              {"ZIP", true, true},   {"ADOBE", true, true}, {"FAX3", true, false},
                              {"FAX4", true, false}, {"RLE", true, false}};
    XSImage* bitmap = XSLCrNewBit(40, 9);
    for (long i = 0; i < XSLDataSize(bitmap); ++i)
        bitmap->data[i] = static_cast<unsigned char>(i * 37);
    XSImage* rgb = rgb_planes(7, 5);
    testing::internal::CaptureStderr();
    for (const Scheme& s : schemes) {
        int code = XSTiffCompresClass(s.name);
        if (!TIFFIsCODECConfigured(static_cast<uint16_t>(code)))
            continue;
        SCOPED_TRACE(s.name);
        if (s.bitmap) {
            XSImage* back = round_trip(bitmap);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(plane(back), plane(bitmap));
            XSLFree(back);
        }
        if (s.rgb) {
            XSImage* back = round_trip(rgb);
            ASSERT_NE(back, nullptr);
            for (int i = 0; i < 35; ++i)
                EXPECT_EQ(back->data[3 * i + 1], rgb->data_g[i]);
            XSLFree(back);
        }
    }
    testing::internal::GetCapturedStderr();
    XSTiffCompress(COMPRESSION_LZW, 0);
    XSLFree(bitmap);
    XSLFree(rgb);
}

TEST(TiffSettings, CompressionNames)
{
    EXPECT_EQ(XSTiffCompresClass("lzw"), 5);
    EXPECT_EQ(XSTiffCompresClass("PACKBITS"), 32773);
    EXPECT_EQ(XSTiffCompress2("nothing", 4), 0);
    EXPECT_EQ(XSTiffCompresClass("SGI24"), 34677);
    EXPECT_EQ(XSTiffCompress2("FAX3", 1), 3);
    EXPECT_EQ(XSTiffCompress(COMPRESSION_LZW, 0), 0);
    EXPECT_EQ(XSTiffEndian(7), 7);
    XSTiffEndian(0);
}

TEST(TiffRead, GrayRampsAtEveryDepthAndPolarity)
{
    // Width 7 leaves a partial last byte at every packed depth.
    for (uint16_t bits : {1, 2, 4, 8}) {
        for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, photometric " << photometric);
            const int top = (1 << bits) - 1;
            std::vector<int> samples = {0, top, 1 % (top + 1), top / 2, top, 0, top};
            Bytes row((7 * bits + 7) / 8, 0);
            for (int x = 0; x < 7; ++x)
                row[x * bits / 8] |= static_cast<unsigned char>(samples[x] << (8 - bits - (x * bits) % 8));
            Page p;
            p.width = 7;
            p.bits = bits;
            p.photometric = photometric;
            p.rows = row;
            XslImagePtr image = read_page(p);
            ASSERT_NE(image, nullptr);
            // Whatever the depth and polarity, the gray level a pixel shows is the
            // sample's level as the file means it.
            Bytes levels = gray_levels(image.get());
            ASSERT_EQ(levels.size(), 7u);
            for (int x = 0; x < 7; ++x) {
                int level = samples[x] * 255 / top;
                if (photometric == PHOTOMETRIC_MINISWHITE)
                    level = 255 - level;
                EXPECT_EQ(levels[x], level) << "pixel " << x;
            }
        }
    }
}

TEST(TiffWrite, JpegCompressedColourReadsBackClose)
{
    if (!TIFFIsCODECConfigured(COMPRESSION_JPEG))
        GTEST_SKIP() << "no JPEG codec";
    XSImage* rgb = XSLCrNewZmap(16, 16, 8);
    for (int i = 0; i < 256; ++i) {
        rgb->data[i] = 180;
        rgb->data_g[i] = 90;
        rgb->data_b[i] = 40;
    }
    XSTiffCompress(COMPRESSION_JPEG, 0);
    XSImage* back = round_trip(rgb);
    XSTiffCompress(COMPRESSION_LZW, 0);
    ASSERT_NE(back, nullptr);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(back->data[3 * i], 180, 6);
        EXPECT_NEAR(back->data[3 * i + 1], 90, 6);
        EXPECT_NEAR(back->data[3 * i + 2], 40, 6);
    }
    XSLFree(back);
    XSLFree(rgb);
}
