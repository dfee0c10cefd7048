// The library's own image file: round trips of every pixel kind, the header
// length, and refusals of damaged files.
#include <gtest/gtest.h>

#include "../conformance/conformance.h"
#include "picture_kinds.h"
#include "xsioxsimg.h"
#include "xsregistry.h"
#include "xsreadkit.h"

namespace {

std::string written(XSImage* image)
{
    return writtenBy(XSLWriteXSImg, image);
}

Image readBack(const std::string& file, XSReader reader = XSLReadXSImg)
{
    return readBy(reader, file);
}

// The 60 field bytes of a gray file (2 x 2 unless told otherwise).
std::string header(uint32_t length, uint32_t ncolors = 2, uint32_t planes = 1, uint32_t width = 2,
                   uint32_t depth = 8, uint32_t height = 2)
{
    const uint32_t words[15] = {XS_IMG_MAGIC, length,  1, 0, width, height, depth, planes, 1,
                                72,           ncolors, 8, 0, 0,     0};
    std::string bytes(60, '\0');
    for (int i = 0; i < 15; ++i)
        XslPut32BE(reinterpret_cast<unsigned char*>(&bytes[i * 4]), words[i]);
    return bytes;
}

const std::string kEntries = bytes("\0\0\0\0\0\0\0\0\0\1\0\xff\0\xff\0\xff");
const std::string kPixels = bytes("\0\1\1\0");

std::string ofSize(long width, long height)
{
    return header(60, 2, 1, uint32_t(width), 8, uint32_t(height)) + kEntries + std::string(64, '\x01');
}

}  // namespace

XS_CONFORMANCE(XsImg,
               {.reader = XSLReadXSImg,
                .writer = XSLWriteXSImg,
                .samples = everyKindWritten<XSLWriteXSImg>,
                .sized = ofSize});

TEST(XsImgFile, EveryKindComesBackFieldForField)
{
    for (auto& kind : allPictureKinds()) {
        SCOPED_TRACE(kind.name);
        XSImage* source = kind.image.get();
        source->reserved = 0x1234;
        source->bits_per_sample = 5;
        const std::vector<XSColor> colours_before = colormapOf(source);
        const std::string file = written(source);
        const long planes = source->type == 0 ? 1 : source->planes;
        EXPECT_EQ(file.size(), 100u + 8u * source->ncolors + size_t(planes * XSLDataSize(source)));
        EXPECT_EQ(file.substr(0, 8), bytes("\x58\xa6\x5a\x94\0\0\0\x64"));
        EXPECT_EQ(colormapOf(source), colours_before);

        std::vector<Image> backs;
        backs.push_back(readBack(file));
        backs.push_back(readBack(file, XSReadMagic));
        for (const Image& back : backs) {
            ASSERT_TRUE(back) << "code " << xslerrno;
            EXPECT_EQ(back->type, source->type);
            EXPECT_EQ(back->reserved, 0x1234);
            EXPECT_EQ(back->width, source->width);
            EXPECT_EQ(back->height, source->height);
            EXPECT_EQ(back->depth, source->depth);
            EXPECT_EQ(back->planes, source->planes);
            EXPECT_EQ(back->bytes_per_pixel, source->bytes_per_pixel);
            EXPECT_EQ(back->resolution, source->resolution);
            EXPECT_EQ(colormapOf(back.get()), colours_before);
            if (source->type == 1 && source->planes == 1) {
                EXPECT_EQ(back->bits_per_sample, 5);
                EXPECT_EQ(back->red_mask, source->red_mask);
                EXPECT_EQ(back->green_mask, source->green_mask);
                EXPECT_EQ(back->blue_mask, source->blue_mask);
            }
            const long size = XSLDataSize(source);
            EXPECT_EQ(Plane(back->data, size), Plane(source->data, size));
            if (source->planes == 3) {
                EXPECT_EQ(Plane(back->data_g, size), Plane(source->data_g, size));
                EXPECT_EQ(Plane(back->data_b, size), Plane(source->data_b, size));
            }
        }
        EXPECT_EQ(backs[1]->format, XSF_NATIVE);
    }
}

TEST(XsImgFile, HeaderLengthDecidesWhereTheColormapBegins)
{
    for (const std::string& file :
         {header(60) + kEntries + kPixels, header(100) + std::string(40, '\x55') + kEntries + kPixels}) {
        Image image = readBack(file);
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(colormapOf(image.get()),
                  (std::vector<XSColor>{Entry(0, 0, 0, 0), Entry(1, 255, 255, 255)}));
        EXPECT_EQ(Plane(image->data, 4), Bytes({0, 1, 1, 0}));
    }
}

TEST(XsImgFile, DamagedFilesGiveTheirCodes)
{
    const struct {
        std::string file;
        int code;
    } cases[] = {
        {header(60).substr(0, 59), XSE_HEADER_READ},
        // A header length that would go backwards, or past the end of the file.
        {header(59) + kEntries + kPixels, XSE_HEADER_READ},
        {header(0) + kEntries + kPixels, XSE_HEADER_READ},
        {header(0xFFFFFFFF) + kEntries + kPixels, XSE_HEADER_READ},
        {"\x58\xa6\x5a\x95" + header(60).substr(4) + kEntries + kPixels, XSE_BAD_MAGIC},
        {header(60) + kEntries.substr(0, 15), XSE_CMAP_READ},
        {header(60, 0x20000000) + kEntries + kPixels, XSE_CMAP_READ},
        {header(60, 257) + std::string(257 * 8, '\0') + kPixels, XSE_BAD_MAGIC},
        {header(60, 2, 2) + kEntries + kPixels, XSE_KIND},
        {header(60, 2, 1, 2, 0) + kEntries + kPixels, XSE_BAD_MAGIC},
        {header(60, 2, 1, 2, 33) + kEntries + kPixels, XSE_BAD_MAGIC},
        {header(60) + kEntries + kPixels.substr(0, 3), XSE_DATA_READ},
        {header(60, 2, 3) + kEntries + kPixels + kPixels, XSE_DATA_READ},
        {header(60, 2, 1, 0x7FFFFFFF) + kEntries + kPixels, XSE_NO_MEMORY},
        {header(60, 2, 1, 0xFFFFFFFF) + kEntries + kPixels, XSE_NO_MEMORY},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(readBack(c.file));
        EXPECT_EQ(xslerrno, c.code) << testing::PrintToString(c.file);
    }
}

TEST(XsImgFile, WriterRefusesRecordsItCouldNotReadBack)
{
    Image header_only(XSLCrNewZmapHeader(4, 4, 24));
    Image rgb(XSLCrNewZmap(4, 4, 8));
    free(rgb->data_b);
    rgb->data_b = nullptr;
    for (XSImage* image : {header_only.get(), rgb.get()}) {
        auto f = empty_stream();
        xslerrno = 0;
        EXPECT_EQ(XSLWriteXSImg(f.get(), image), 0);
        EXPECT_EQ(xslerrno, XSE_KIND);
        EXPECT_EQ(contents_of(f.get()), "");
    }
    // A stream that takes nothing fails at the header.
    FilePtr closed(std::fopen("/dev/null", "r"), &std::fclose);
    Image bitmap(XSLCrNewBit(8, 8));
    EXPECT_EQ(XSLWriteXSImg(closed.get(), bitmap.get()), 0);
    EXPECT_EQ(xslerrno, XSE_READ_ERROR);
}
