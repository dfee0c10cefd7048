// TIMG: round trips of every pixel kind with the private block, embedded JPEG
// streams, and refusals of damaged files.
#include <gtest/gtest.h>

#include "../conformance/conformance.h"
#include "jpeg_maker.h"
#include "picture_kinds.h"
#include "xsiojpeg.h"
#include "xsiotimg.h"
#include "xsregistry.h"
#include "xwd_maker.h"

namespace {

std::string written(XSImage* image)
{
    return writtenBy(TCoWriter, image);
}

Image read(const std::string& file, XSReader reader = XSLRead)
{
    return readBy(reader, file);
}

// A TIMG file built by hand: the dump fields, then the seven words that widen
// the header (resolution and JPEG flag among them), the private block, the
// colour entries and the pixel bytes.
std::string timgFile(XwdDump dump, uint32_t resolution, const std::string& pixels, uint32_t jpeg = 0,
                     const std::string& block = "")
{
    dump.field[XwdVersion] = XSL_TIMG_VERSION;
    std::string extra;
    for (uint32_t word : {0u, uint32_t(pixels.size()), resolution, 0u, 0u, jpeg, 0u})
        put_be(extra, word, 4);
    dump.name = extra + block;
    dump.pixels = pixels;
    return dump.bytes();
}

// A 2 x 2 pseudo-colour file with two entries.
XwdDump pseudo(uint32_t bytes_per_line = 2)
{
    XwdDump d = xwd_dump(2, 2, 8, 8, bytes_per_line, 3);
    d.colours = {{0, 0xFFFF, 0, 0}, {1, 0, 0x8080, 0xFFFF}};
    return d;
}

std::string jpegIn(const JpegRecipe& recipe, uint32_t width, uint32_t height, size_t keep = std::string::npos)
{
    const auto jpeg = makeJpeg(recipe);
    XwdDump d = xwd_dump(width, height, recipe.components == 1 ? 8 : 24, 8, width, 3);
    return timgFile(d, 300, std::string(jpeg.begin(), jpeg.end()).substr(0, keep), 1);
}

std::string ofSize(long width, long height)
{
    XwdDump d = pseudo();
    d.field[XwdWidth] = uint32_t(width);
    d.field[XwdHeight] = uint32_t(height);
    d.field[XwdBytesPerLine] = uint32_t(width);
    return timgFile(d, 100, std::string(64, '\1'));
}

}  // namespace

// Through the family dispatch, so mutated version words reach the other members too.
XS_CONFORMANCE(
    Timg, {.reader = XSLRead, .writer = TCoWriter, .samples = everyKindWritten<TCoWriter>, .sized = ofSize});

TEST(TimgFile, EveryKindComesBackWithItsPrivateBlock)
{
    for (auto& kind : allPictureKinds()) {
        SCOPED_TRACE(kind.name);
        XSImage* source = kind.image.get();
        // One 40-byte record: 8 bytes of tag and length, "name=" and 27 letters.
        ASSERT_EQ(AppendPrivate(source, 0x54455354, "name", "abcdefghijklmnopqrstuvwxyz."), 1);
        ASSERT_EQ(source->private_size, 40);
        const std::vector<XSColor> colormap = colormapOf(source);
        const std::string file = written(source);
        EXPECT_EQ(file.substr(0, 8), bytes("\0\0\0\xa8\0\0\0\x08"));  // 168, version 8

        Image back = read(file, XSReadMagic);
        ASSERT_TRUE(back) << "code " << xslerrno;
        EXPECT_EQ(back->format, XSF_NATIVE);
        EXPECT_EQ(back->type, source->type);
        EXPECT_EQ(back->planes, source->planes);
        EXPECT_EQ(back->resolution, source->resolution ? source->resolution : 100);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(back->private_data), size_t(back->private_size)),
                  std::string(reinterpret_cast<char*>(source->private_data), 40));
        EXPECT_EQ(colormapOf(back.get()), colormap);
        EXPECT_EQ(coloursOf(back.get()), coloursOf(source));
        if (source->type == 0) {
            EXPECT_EQ(Plane(back->data, XSLDataSize(source)), Plane(source->data, XSLDataSize(source)));
        }
        if (source->type == 1 && source->planes == 1 && source->ncolors == 0) {
            // 24-bit pixels come back as 32-bit values; 32-bit ones keep the 24 bits their masks use.
            EXPECT_EQ(back->bytes_per_pixel, source->bytes_per_pixel == 2 ? 2 : 4);
            EXPECT_EQ(back->depth, source->bytes_per_pixel == 2 ? 16u : 32u);
            EXPECT_EQ(back->red_mask, source->red_mask);
            EXPECT_EQ(back->blue_mask, source->blue_mask);
            EXPECT_EQ(back->bits_per_sample, 8);
            for (int i = 0; i < source->width * source->height; ++i)
                ASSERT_EQ(DirectAt(back.get(), i), DirectAt(source, i) & 0xFFFFFF) << i;
        }
    }
}

TEST(TimgFile, WideMasksKeepAllThirtyTwoBits)
{
    Image source = DirectRow(4, 0xFFC00000, 0x003FF800, 0x000007FF, {0xFFFFFFFF, 0x12345678, 0x80000001});
    Image back = read(written(source.get()));
    ASSERT_TRUE(back);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(DirectAt(back.get(), i), DirectAt(source.get(), i));
}

TEST(TimgFile, EmbeddedJpegReadsAtTheHeadersSize)
{
    JpegRecipe gray;
    gray.components = 1;
    gray.input_space = JCS_GRAYSCALE;
    JpegRecipe colour;
    for (const JpegRecipe& recipe : {gray, colour}) {
        const auto jpeg = makeJpeg(recipe);
        Image expected = read(std::string(jpeg.begin(), jpeg.end()), XSReadJpeg);
        Image image = read(jpegIn(recipe, 16, 16));
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(image->resolution, 300);  // the header's, not the JFIF density
        EXPECT_EQ(image->bytes_per_pixel, recipe.components);
        EXPECT_EQ(image->depth, recipe.components == 1 ? 8u : 24u);
        EXPECT_EQ(image->ncolors, recipe.components == 1 ? 256 : 0);
        EXPECT_EQ(coloursOf(image.get()), coloursOf(expected.get()));
    }

    // A stream of another size than the header's, or a damaged one, is refused with a code.
    const struct {
        std::string file;
        int code;
    } refused[] = {{jpegIn(colour, 16, 8), XSE_BAD_MAGIC},
                   {jpegIn(colour, 17, 16), XSE_BAD_MAGIC},
                   {jpegIn(colour, 16, 16, 40), XSE_DATA_READ},
                   {jpegIn(colour, 16, 16, 0), XSE_DATA_READ}};
    for (const auto& r : refused) {
        EXPECT_FALSE(read(r.file));
        EXPECT_EQ(xslerrno, r.code);
        EXPECT_FALSE(read(r.file, XSReadMagic));
        EXPECT_EQ(XSLLastReaderCode(), r.code);
    }
}

TEST(TimgFile, ColourEntriesAreFoundByTheirPixelValue)
{
    XwdDump d = pseudo(3);
    d.colours = {{1, 0, 0x8080, 0xFFFF}, {0, 0xFFFF, 0, 0}, {300, 1, 2, 3}};
    Image image = read(timgFile(d, 72, bytes("\0\1x\1\0x")));
    ASSERT_TRUE(image) << "code " << xslerrno;
    EXPECT_EQ(coloursOf(image.get()), (std::vector<int>{255, 0, 0, 0, 128, 255, 0, 128, 255, 255, 0, 0}));

    // Without entries the pixels are gray levels.
    XwdDump four = xwd_dump(2, 1, 4, 8, 2, 3);
    Image gray = read(timgFile(four, 72, bytes("\0\x0f")));
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->ncolors, 16);
    EXPECT_EQ(coloursOf(gray.get()), (std::vector<int>{0, 0, 0, 255, 255, 255}));
}

TEST(TimgFile, DamagedFilesGiveTheirCodes)
{
    const std::string good = timgFile(pseudo(), 72, "abcd");
    auto with = [](XwdField field, uint32_t value, const std::string& pixels = "abcd") {
        XwdDump d = pseudo();
        d.field[field] = value;
        return timgFile(d, 72, pixels);
    };
    const struct {
        std::string file;
        int code;
    } cases[] = {
        {good.substr(0, 100), XSE_HEADER_READ},
        {with(XwdHeaderSize, 127), XSE_HEADER_READ},
        {with(XwdHeaderSize, 2000), XSE_PRIVATE_READ},
        {with(XwdColours, 0x10000000), XSE_PALETTE_READ},
        {good.substr(0, 128 + 20), XSE_PALETTE_READ},
        {with(XwdFormat, 3), XSE_LAYOUT},
        {with(XwdDepth, 1), XSE_LAYOUT},
        {with(XwdDepth, 40), XSE_LAYOUT},
        {with(XwdBytesPerLine, 1), XSE_DATA_READ},
        {with(XwdBytesPerLine, 3), XSE_DATA_READ},
        {good.substr(0, good.size() - 1), XSE_DATA_READ},
        {with(XwdWidth, 0xFFFFFFFF), XSE_NO_MEMORY},
        {with(XwdWidth, 0), XSE_NO_MEMORY},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read(c.file));
        EXPECT_EQ(xslerrno, c.code) << testing::PrintToString(c.file.substr(0, 80));
    }
    XwdDump direct = xwd_dump(2, 2, 16, 8, 2, 5);
    EXPECT_FALSE(read(timgFile(direct, 72, "abcd")));
    EXPECT_EQ(xslerrno, XSE_LAYOUT);
    XwdDump bitmap = xwd_dump(8, 2, 1, 1, 1, 0);
    bitmap.field[XwdFormat] = 0;
    bitmap.field[XwdUnit] = 12;
    EXPECT_FALSE(read(timgFile(bitmap, 72, "ab")));
    EXPECT_EQ(xslerrno, XSE_VARIANT);
}

TEST(TimgFile, RecordsOfNoKindAreRefusedBeforeAnythingIsWritten)
{
    Image header_only(XSLCrNewZmapHeader(2, 2, 8));
    Image plain = IndexedRow({1, 2});
    for (XSImage* image : {header_only.get(), plain.get()}) {
        auto none = empty_stream();
        EXPECT_EQ(TCoWriter(none.get(), image), 0);
        EXPECT_EQ(xslerrno, XSE_KIND);
        EXPECT_EQ(contents_of(none.get()), "");
    }
}
