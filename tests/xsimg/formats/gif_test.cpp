// Reading and writing GIF. The files are made here with a plain LZW coder of
// the test's own, so the reader is checked against more than the library's writer.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../conformance/conformance.h"
#include "../memfile.h"
#include "../test_images.h"
#include "xsiogif.h"

namespace {

using Pixels = std::vector<unsigned char>;
using Palette = std::vector<std::vector<int>>;  // {red, green, blue} per entry

// LZW codes the way a decoder reads them: a dictionary of strings, and a code
// width that follows the decoder's own table. Without clear_when_full the table
// fills to 4096 entries and the coding goes on with 12-bit codes.
std::string lzw(const Pixels& pixels, int min_size, bool clear_when_full)
{
    const int clear = 1 << min_size;
    std::map<std::pair<int, int>, int> strings;
    int next = clear + 2;                       // the coder's next entry
    int width = min_size + 1, decoded = clear + 2;  // the decoder's view
    bool first = true;
    std::string out;
    uint32_t bits = 0;
    int held = 0;
    auto emit = [&](int code) {
        bits |= uint32_t(code) << held;
        for (held += width; held >= 8; held -= 8, bits >>= 8)
            out += char(bits & 0xFF);
        if (code == clear) {
            width = min_size + 1;
            decoded = clear + 2;
            first = true;
        } else if (first) {
            first = false;
        } else if (decoded < 4096 && ++decoded == 1 << width && decoded < 4096) {
            ++width;
        }
    };
    emit(clear);
    int string = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const auto found = strings.find({string, pixels[i]});
        if (found != strings.end()) {
            string = found->second;
            continue;
        }
        emit(string);
        if (next < 4096) {
            strings[{string, pixels[i]}] = next++;
        } else if (clear_when_full) {
            emit(clear);
            strings.clear();
            next = clear + 2;
        }
        string = pixels[i];
    }
    emit(string);
    emit(clear + 1);
    if (held > 0)
        out += char(bits & 0xFF);
    return out;
}

std::string le16(int v)
{
    return {char(v & 0xFF), char(v >> 8 & 0xFF)};
}

std::string table(const Palette& palette)
{
    std::string bytes;
    for (const auto& e : palette)
        bytes += {char(e[0]), char(e[1]), char(e[2])};
    return bytes;
}

int bitsOf(const Palette& palette)
{
    int bits = 1;
    while ((1u << bits) < palette.size())
        ++bits;
    return bits;
}

struct Frame {
    int width, height;
    Pixels pixels = {};  // rows top to bottom
    Palette local = {};  // empty: none
    bool interlaced = false;
    int min_size = 0;  // 0: from the colours (at least 2)
    bool clear_when_full = true;
};

// The rows in the order an interlaced file stores them.
Pixels interlace(const Frame& f)
{
    Pixels out;
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < f.height; y += step[pass])
            out.insert(out.end(), f.pixels.begin() + y * f.width, f.pixels.begin() + (y + 1) * f.width);
    return out;
}

std::string imageBlock(const Frame& f, int screen_bits)
{
    std::string bytes = "," + le16(0) + le16(0) + le16(f.width) + le16(f.height);
    int flags = f.interlaced ? 0x40 : 0;
    if (!f.local.empty())
        flags |= 0x80 | (bitsOf(f.local) - 1);
    bytes += char(flags) + table(f.local);
    const int bits = f.local.empty() ? screen_bits : bitsOf(f.local);
    const int min_size = f.min_size ? f.min_size : bits < 2 ? 2 : bits;
    bytes += char(min_size);
    const std::string data = lzw(f.interlaced ? interlace(f) : f.pixels, min_size, f.clear_when_full);
    for (size_t at = 0; at < data.size(); at += 255) {
        const std::string part = data.substr(at, 255);
        bytes += char(part.size()) + part;
    }
    return bytes + '\0';
}

// A whole file: header, optional global table, extensions before each image.
std::string gifFile(const Palette& global, const std::vector<Frame>& frames, int screen_bits = 0,
                    const std::string& extensions = "")
{
    if (!screen_bits)
        screen_bits = global.empty() ? 4 : bitsOf(global);
    std::string bytes = std::string(extensions.empty() ? "GIF87a" : "GIF89a") + le16(frames[0].width)
                        + le16(frames[0].height);
    bytes += char((global.empty() ? 0 : 0x80) | (screen_bits - 1) << 4 | (screen_bits - 1));
    bytes += std::string("\0\0", 2) + table(global);
    for (const Frame& f : frames)
        bytes += extensions + imageBlock(f, screen_bits);
    return bytes + ";";
}

Palette grayPalette(int n)
{
    Palette p;
    for (int i = 0; i < n; ++i)
        p.push_back({i * 255 / (n - 1), i * 7 % 256, 255 - i * 255 / (n - 1)});
    return p;
}

Frame pattern(int width, int height, int colours)
{
    Frame f{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            f.pixels.push_back(static_cast<unsigned char>((x * 3 + y * 5 + x * y) % colours));
    return f;
}

Image readGif(const std::string& bytes)
{
    FilePtr f = stream_of(bytes);
    xslerrno = 0;
    return Image(XSReadGif(f.get()));
}

std::string writeGif(XSImage* image)
{
    FilePtr f = empty_stream();
    EXPECT_EQ(XSWriteGif(f.get(), image), 1) << "code " << xslerrno;
    return contents_of(f.get());
}

void expectPicture(const XSImage* image, const Frame& f, const Palette& palette)
{
    ASSERT_EQ(image->type, 1);
    ASSERT_EQ(image->width, f.width);
    ASSERT_EQ(image->height, f.height);
    EXPECT_EQ(image->resolution, 100);
    EXPECT_EQ(Plane(image->data, f.pixels.size()), f.pixels);
    ASSERT_EQ(image->ncolors, palette.size());
    for (size_t i = 0; i < palette.size(); ++i)
        EXPECT_EQ((std::vector<int>{image->colormap[i].red, image->colormap[i].green, image->colormap[i].blue}),
                  palette[i]) << i;
}

std::vector<std::string> samples()
{
    Frame interlaced = pattern(9, 10, 16);
    interlaced.interlaced = true;
    Frame local = pattern(5, 3, 4);
    local.local = grayPalette(4);
    Frame two = pattern(7, 2, 2);
    // One image each: a file cut between two images would read as the first.
    return {gifFile(grayPalette(16), {interlaced}), gifFile({}, {local}, 0, bytes("!\xF9\x04\x01\0\0\0\0")),
            gifFile({{0, 0, 0}, {255, 255, 255}}, {two})};
}

std::string sized(long width, long height)
{
    Frame f = pattern(1, 1, 2);
    std::string file = gifFile({{0, 0, 0}, {255, 255, 255}}, {f});
    const std::string w = le16(int(width & 0xFFFF)), h = le16(int(height & 0xFFFF));  // what the fields hold
    file.replace(6, 2, w).replace(8, 2, h).replace(13 + 6 + 5, 2, w).replace(13 + 6 + 7, 2, h);
    return file;
}

}  // namespace

XS_CONFORMANCE(Gif, {.reader = XSReadGif, .writer = XSWriteGif, .samples = samples, .sized = sized,
                     .trailing_slack = 1});

TEST(GifRead, EveryWidthInterlacedOrNotWithGlobalOrLocalColours)
{
    for (int width : {1, 2, 3, 4, 5, 7, 8, 9})
        for (bool interlaced : {false, true})
            for (bool local : {false, true}) {
                SCOPED_TRACE(std::to_string(width) + (interlaced ? " interlaced" : "") + (local ? " local" : ""));
                Frame f = pattern(width, 10, local ? 8 : 4);
                f.interlaced = interlaced;
                if (local)
                    f.local = grayPalette(8);
                const Palette global = grayPalette(4);
                Image image = readGif(gifFile(global, {f}));
                ASSERT_TRUE(image) << "code " << xslerrno;
                expectPicture(image.get(), f, local ? f.local : global);
            }
}

TEST(GifRead, CodingCornerCases)
{
    std::mt19937 random(7);
    Frame noise{128, 64, {}};
    for (int i = 0; i < 128 * 64; ++i)
        noise.pixels.push_back(static_cast<unsigned char>(random()));
    Frame full = noise;  // the table fills to 4096 codes and stays full
    full.clear_when_full = false;
    Frame run{40, 30, Pixels(1200, 3)};  // runs code strings not yet in the decoder's table
    Frame wide = pattern(6, 5, 4);       // a minimum code size above the colours' need
    wide.min_size = 7;
    const struct {
        const char* name;
        Frame frame;
        Palette palette;
    } cases[] = {{"cleared", noise, grayPalette(256)},
                 {"full table", full, grayPalette(256)},
                 {"one-colour run", run, grayPalette(4)},
                 {"wide codes", wide, grayPalette(4)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image image = readGif(gifFile(c.palette, {c.frame}));
        ASSERT_TRUE(image) << "code " << xslerrno;
        expectPicture(image.get(), c.frame, c.palette);
    }
}

TEST(GifRead, TheLastImageWinsWithItsOwnColours)
{
    Frame first = pattern(4, 3, 8);
    first.local = grayPalette(8);
    Frame second = pattern(6, 2, 4);
    const Palette global = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}};
    Image image = readGif(gifFile(global, {first, second}, 0, bytes("!\xFE\x03" "abc\0")));
    ASSERT_TRUE(image) << "code " << xslerrno;
    expectPicture(image.get(), second, global);  // not the first image's local table

    Image defaults = readGif(gifFile({}, {pattern(3, 2, 16)}));
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->ncolors, 16);
    EXPECT_EQ((std::vector<int>{defaults->colormap[7].red, defaults->colormap[9].blue}), (std::vector<int>{200, 255}));
}

TEST(GifRead, TwoColourScreensBecomeBitmapsWithTheDarkerColourBlack)
{
    // Only black and white make a bitmap; other pairs stay colours.
    const struct {
        Palette palette;
        int black;  // -1: a colormap image
    } cases[] = {{{{0, 0, 0}, {255, 255, 255}}, 0},
                 {{{255, 255, 255}, {0, 0, 0}}, 1},
                 {{{255, 255, 255}, {64, 64, 64}}, -1},   // dark gray on white
                 {{{128, 0, 0}, {255, 255, 255}}, -1},    // dark red on white
                 {{{0, 0, 128}, {255, 215, 0}}, -1},      // navy and gold
                 {{{128, 128, 128}, {0, 0, 0}}, -1},      // uniform gray padded with black
                 {{{9, 9, 9}, {9, 9, 9}}, -1}};
    const Frame f = pattern(9, 3, 2);
    for (const auto& c : cases) {
        Image image = readGif(gifFile(c.palette, {f}));
        ASSERT_TRUE(image) << "code " << xslerrno;
        if (c.black < 0) {
            EXPECT_EQ(XslKindOf(image.get()), XSK_COLORMAP);
            ASSERT_EQ(image->ncolors, 2);
            for (int i = 0; i < 2; ++i)
                EXPECT_EQ((std::vector<int>{image->colormap[i].red, image->colormap[i].green, image->colormap[i].blue}),
                          c.palette[i]);
            EXPECT_EQ(std::vector<unsigned char>(image->data, image->data + 27), f.pixels);
            continue;
        }
        EXPECT_EQ(image->type, 0);
        EXPECT_EQ(image->depth, 1u);
        EXPECT_EQ(image->ncolors, 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool set = image->data[y * 2 + x / 8] & XslMsbMask[x % 8];
                EXPECT_EQ(set, f.pixels[y * 9 + x] == c.black) << x << "," << y;
            }
    }
}

TEST(GifRead, DamagedFilesFailWithTheirCode)
{
    const std::string good = gifFile(grayPalette(4), {pattern(5, 4, 4)});
    const size_t data = 13 + 12 + 10;  // header, table, descriptor: the minimum code size
    std::string big_code = good, no_width = good, huge = good;
    big_code[data] = 12;
    no_width.replace(13 + 12 + 5, 2, le16(0));
    huge.replace(13 + 12 + 5, 4, le16(8000) + le16(8000));
    Frame local = pattern(5, 4, 4);
    local.local = grayPalette(4);
    const std::string with_local = gifFile(grayPalette(4), {local});
    const struct {
        const char* name;
        std::string bytes;
        int code;
    } cases[] = {
        {"short signature", "GIF8", XSE_HEADER_READ},
        {"other signature", "GIF88a" + good.substr(6), XSE_BAD_MAGIC},
        {"short screen", good.substr(0, 10), XSE_READ_ERROR},
        {"short global table", good.substr(0, 20), XSE_CMAP_READ},
        {"short local table", with_local.substr(0, 13 + 12 + 10 + 5), XSE_CMAP_READ},
        {"short descriptor", good.substr(0, 13 + 12 + 6), XSE_DATA_READ},
        {"data cut", good.substr(0, good.size() - 4), XSE_DATA_READ},
        {"no image", good.substr(0, 13 + 12) + bytes("!\x01\x02xy\0;"), XSE_DATA_READ},
        {"extension cut", good.substr(0, 13 + 12) + "!\x01\x05xy", XSE_DATA_READ},
        {"code size 12", big_code, XSE_DATA_READ},
        {"zero width", no_width, XSE_BAD_MAGIC},
        {"size beyond the data", huge, XSE_DATA_READ},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(readGif(c.bytes)) << c.name;
        EXPECT_EQ(xslerrno, c.code) << c.name;
    }
}

TEST(GifWrite, ColormapImagesKeepTheirIndicesAndTableSize)
{
    // Noise over many colours fills the coder's table, which starts again.
    std::mt19937 random(11);
    const int width = 151, height = 90;
    for (int colours : {1, 2, 3, 200, 256}) {
        SCOPED_TRACE(colours);
        Image source(XSLCrNewZmap2(width, height, 8));
        std::vector<XSColor> map;
        for (int i = 0; i < colours; ++i)
            map.push_back(Entry(i, i, 255 - i, i / 2));
        attachColormap(source.get(), map);
        for (long i = 0; i < width * height; ++i)
            source->data[i] = static_cast<unsigned char>(random() % colours);
        const std::string file = writeGif(source.get());
        const int bits = colours <= 2 ? 1 : colours <= 4 ? 2 : 8;
        EXPECT_EQ(file.substr(0, 6), "GIF87a");
        EXPECT_EQ(uint8_t(file[10]), 0x80 | (bits - 1) << 4 | (bits - 1));
        EXPECT_EQ(int(file[13 + (3 << bits) + 10]), bits < 2 ? 2 : bits);  // minimum code size
        EXPECT_EQ(file.back(), ';');
        Image back = readGif(file);
        ASSERT_TRUE(back) << "code " << xslerrno;
        if (colours > 2) {
            EXPECT_EQ(Plane(back->data, width * height), Plane(source->data, width * height));
            EXPECT_EQ(back->ncolors, 1 << bits);
            EXPECT_EQ(back->colormap[colours - 1].green, 255 - (colours - 1));
        }
    }
}

TEST(GifWrite, OtherKindsGoThroughACopy)
{
    // RGB with few colours keeps them exactly; a bitmap becomes two gray levels;
    // pixels beyond a colormap widen the table with black entries.
    Image rgb = RgbRow({0, 255, 255, 10}, {0, 0, 255, 200}, {0, 0, 255, 90});
    Image bitmap(XSLCrNewBit(11, 2));
    bitmap->data[0] = 0xA5;
    bitmap->data[3] = 0x40;
    Image beyond = IndexedRow({0, 1, 6, 1}, {Entry(0, 255, 255, 255), Entry(1, 90, 90, 90)});
    for (XSImage* source : {rgb.get(), bitmap.get(), beyond.get()}) {
        Image before(XSLAllocAndCopy(source));
        Image back = readGif(writeGif(source));
        ASSERT_TRUE(back) << "code " << xslerrno;
        EXPECT_EQ(source->type, before->type);
        EXPECT_EQ(source->planes, before->planes);
        for (int y = 0; y < source->height; ++y)
            for (int x = 0; x < source->width; ++x) {
                int r0, g0, b0, r1, g1, b1;
                XSLGetPixel(source, x, y, &r0, &g0, &b0);
                XSLGetPixel(back.get(), x, y, &r1, &g1, &b1);
                EXPECT_EQ((std::vector<int>{r1, g1, b1}), (std::vector<int>{r0, g0, b0})) << x << "," << y;
            }
    }
    Image stray(XSLCrNewZmap2(2, 1, 8));  // one byte per pixel, no colormap, no masks
    FilePtr f = empty_stream();
    EXPECT_EQ(XSWriteGif(f.get(), stray.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}
