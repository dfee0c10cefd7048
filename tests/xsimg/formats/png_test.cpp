// Reading and writing PNG: pixel kinds of every colour type and depth,
// densities, damaged files, and the writer's kinds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "../conformance/conformance.h"
#include "format_bytes.h"
#include "png_maker.h"
#include "xsiopng.h"
#include "xsregistry.h"
#include "xsreadkit.h"

namespace {

XslImagePtr read_magic(const std::string& bytes)
{
    return read_with(XSReadMagic, bytes);
}

XslImagePtr read_png(const std::string& bytes)
{
    return read_with(XSReadPNG, bytes);
}

std::vector<unsigned char> rgb_of(XSImage* image)
{
    std::vector<unsigned char> rgb;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            int r = -1, g = -1, b = -1;
            XSLGetPixel(image, x, y, &r, &g, &b);
            rgb.insert(rgb.end(), {(unsigned char)r, (unsigned char)g, (unsigned char)b});
        }
    return rgb;
}

XslPixelKind kind_for(const PngRecipe& r)
{
    switch (r.color_type) {
    case PNG_COLOR_TYPE_PALETTE: return XSK_COLORMAP;
    case PNG_COLOR_TYPE_GRAY: return r.bit_depth == 1 && r.transparent < 0 ? XSK_BITMAP : XSK_COLORMAP;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return XSK_COLORMAP;
    default: return XSK_DIRECT;
    }
}

// The bytes of chunk `type` (length, type, data, CRC) start at the returned offset.
size_t chunk_at(const std::string& png, const char* type)
{
    return png.find(type) - 4;
}

// A gray picture's header declaring the size, with correct checksums, and
// one row of pixel data.
std::string png_of_size(long width, long height)
{
    PngRecipe r;
    r.width = 1;
    r.height = 1;
    r.color_type = PNG_COLOR_TYPE_GRAY;
    std::string file = makePng(r);
    XslPut32BE(reinterpret_cast<unsigned char*>(&file[16]), uint32_t(width));
    XslPut32BE(reinterpret_cast<unsigned char*>(&file[20]), uint32_t(height));
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(&file[12]), 17);
    XslPut32BE(reinterpret_cast<unsigned char*>(&file[29]), uint32_t(crc));
    return file;
}
}  // namespace

TEST(PngRead, EveryColourTypeAndDepthInTheLibrarysOwnKinds)
{
    for (const PngVariant& v : pngVariants()) {
        SCOPED_TRACE(v.name);
        XslImagePtr image = read_magic(makePng(v.recipe));
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(image->format, XSF_PNG);
        EXPECT_EQ(image->resolution, 100);
        EXPECT_EQ(XslKindOf(image.get()), kind_for(v.recipe));
        if (kind_for(v.recipe) == XSK_DIRECT) {
            EXPECT_EQ(image->bytes_per_pixel, 3);
        }
        const bool gray = v.recipe.color_type != PNG_COLOR_TYPE_PALETTE && kind_for(v.recipe) == XSK_COLORMAP;
        if (gray) {  // the identity ramp
            ASSERT_EQ(image->ncolors, 256);
            EXPECT_EQ(image->colormap[200].red, 200);
        }
        EXPECT_EQ(rgb_of(image.get()), expectedRgb(v.recipe));
    }
}

TEST(PngRead, DensityGivesRoundedDotsPerInchAndSquarePixels)
{
    struct Case {
        png_uint_32 x, y;
        int unit;
        int resolution, width, height;
    } cases[] = {
        {2835, 2835, PNG_RESOLUTION_METER, 72, 11, 7},
        {11811, 0, PNG_RESOLUTION_METER, 300, 11, 7},
        {5906, 11811, PNG_RESOLUTION_METER, 300, 22, 7},   // 150 x 300 dpi: widened
        {11811, 3937, PNG_RESOLUTION_METER, 300, 11, 21},  // 300 x 100 dpi: heightened
        {1, 2, PNG_RESOLUTION_UNKNOWN, 100, 11, 7},        // a shape without unit is not used
        {3937, 66929, PNG_RESOLUTION_METER, 100, 11, 7},   // 17 times apart: damage, not a shape
    };
    for (const Case& c : cases) {
        PngRecipe r;
        r.density_x = c.x;
        r.density_y = c.y;
        r.density_unit = c.unit;
        XslImagePtr image = read_png(makePng(r));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->resolution, c.resolution) << c.x << " " << c.y;
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, c.height);
    }
}

TEST(PngRead, OnlyThePixelCountLimitsTheSize)
{
    PngRecipe strip;
    strip.width = 1100000;  // beyond libpng's default of a million per side
    strip.height = 1;
    strip.color_type = PNG_COLOR_TYPE_GRAY;
    strip.bit_depth = 1;
    XslImagePtr image = read_png(makePng(strip));
    ASSERT_TRUE(image) << "code " << xslerrno;
    EXPECT_EQ(image->width, 1100000);
    EXPECT_FALSE(read_png(png_of_size(1L << 20, 1L << 10)));
    EXPECT_EQ(xslerrno, XSE_NO_MEMORY);
}

TEST(PngRead, DamagedFilesFailWithTheirCode)
{
    const std::string good = makePng(PngRecipe{});
    const size_t idat = chunk_at(good, "IDAT");
    const size_t iend = chunk_at(good, "IEND");
    auto flipped = [&](size_t at) {
        std::string bad = good;
        bad[at] = char(bad[at] ^ 0x20);
        return bad;
    };
    const struct {
        std::string file;
        int code;
    } cases[] = {
        {flipped(1), XSE_BAD_MAGIC},               // signature
        {flipped(20), XSE_BAD_MAGIC},              // IHDR checksum
        {flipped(idat + 20), XSE_DATA_READ},       // pixel data checksum
        {flipped(iend - 2), XSE_DATA_READ},        // IDAT's own checksum
        {good.substr(0, 20), XSE_HEADER_READ},     // inside the header
        {good.substr(0, idat + 20), XSE_DATA_READ},  // inside the pixel data
        {good.substr(0, good.size() - 1), XSE_DATA_READ},
        {png_of_size(6000, 6000), XSE_DATA_READ},  // too short to hold 36 million pixels
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_png(c.file));
        EXPECT_EQ(xslerrno, c.code) << c.file.size();
        // Through the dispatch the PNG reader's code stays on record.
        EXPECT_FALSE(read_magic(c.file));
        if (c.code != XSE_BAD_MAGIC || c.file[1] == 'P') {
            EXPECT_STREQ(XSLLastReaderName(), "PNG");
            EXPECT_EQ(XSLLastReaderCode(), c.code);
        }
    }
}

TEST(PngWrite, EveryKindReadsBackWithItsColours)
{
    PngRecipe source;
    source.color_type = PNG_COLOR_TYPE_PALETTE;
    source.palette = colourPalette(256);
    XslImagePtr palette = read_png(makePng(source));
    source.color_type = PNG_COLOR_TYPE_GRAY;
    source.palette.clear();
    source.bit_depth = 1;
    XslImagePtr bitmap = read_png(makePng(source));
    source.bit_depth = 8;
    XslImagePtr gray = read_png(makePng(source));
    XslImagePtr direct16 = XslNewDirectImage(5, 3, 2, 0xF800, 0x07E0, 0x001F);
    XslImagePtr planes = XslNewRgbImage(5, 3);
    for (int i = 0; i < 15; ++i) {
        direct16->data[2 * i] = (unsigned char)(i * 37);
        direct16->data[2 * i + 1] = (unsigned char)(i * 91);
        planes->data[i] = (unsigned char)(i * 17), planes->data_g[i] = (unsigned char)(i * 3);
        planes->data_b[i] = (unsigned char)(255 - i);
    }
    planes->resolution = 300;
    for (XSImage* image : {palette.get(), bitmap.get(), gray.get(), direct16.get(), planes.get()}) {
        auto out = empty_stream();
        ASSERT_EQ(XSWritePNG(out.get(), image), 1);
        XslImagePtr back = read_magic(contents_of(out.get()));
        ASSERT_TRUE(back);
        EXPECT_EQ(XslKindOf(back.get()), XslKindOf(image) == XSK_RGB ? XSK_DIRECT : XslKindOf(image) == XSK_DIRECT
                                                                              ? XSK_DIRECT : XslKindOf(image));
        EXPECT_EQ(rgb_of(back.get()), rgb_of(image));
        EXPECT_EQ(back->resolution, image->resolution ? image->resolution : 100);
    }

    // A colormap longer than a byte can index keeps its first 256 entries.
    XslImagePtr long_map = XslNewColormapImage(3, 1);
    long_map->colormap = static_cast<XSColor*>(calloc(300, sizeof(XSColor)));
    for (int i = 0; i < 300; ++i)
        long_map->colormap[i] = {uint16_t(i), uint16_t(i * 7 % 256), uint16_t(i % 256), uint16_t(255 - i % 256)};
    long_map->ncolors = 300;
    long_map->data[1] = 255;
    auto long_out = empty_stream();
    ASSERT_EQ(XSWritePNG(long_out.get(), long_map.get()), 1);
    XslImagePtr long_back = read_png(contents_of(long_out.get()));
    ASSERT_TRUE(long_back);
    EXPECT_EQ(rgb_of(long_back.get()), rgb_of(long_map.get()));

    XslImagePtr no_colormap(XSLCrNewZmap2(2, 2, 8));
    auto out = empty_stream();
    EXPECT_EQ(XSWritePNG(out.get(), no_colormap.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

namespace {
std::vector<std::string> png_samples()
{
    std::vector<std::string> files;
    for (const char* name : {"gray1", "gray4", "palette4_trns", "rgb16_interlaced", "rgba8_interlaced"})
        for (const PngVariant& v : pngVariants())
            if (std::string(v.name) == name)
                files.push_back(makePng(v.recipe));
    return files;
}

}  // namespace

XS_CONFORMANCE(Png, {.reader = XSReadPNG, .writer = XSWritePNG, .samples = png_samples, .sized = png_of_size});
