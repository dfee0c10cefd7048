// Reading and writing PBM, PGM and PPM.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../conformance/conformance.h"
#include "../memfile.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsiopbm.h"
#include "xsown.h"

namespace {
using Image = XslImagePtr;

Image read_file(const std::string& bytes)
{
    auto f = stream_of(bytes);
    return Image(XSReadMagic(f.get()));
}

// Reads through the PNM reader alone, to see its own code.
Image read_pnm(const std::string& bytes)
{
    auto f = stream_of(bytes);
    return Image(XSReadPBM(f.get()));
}

std::string write_pnm(XSImage* image)
{
    auto f = empty_stream();
    EXPECT_EQ(XSWritePBM(f.get(), image), 1);
    return contents_of(f.get());
}

void fill_pattern(unsigned char* plane, long size, unsigned seed)
{
    for (long i = 0; i < size; ++i)
        plane[i] = static_cast<unsigned char>(i * 37 + seed * 11 + (i >> 3));
}

XSColor* colormap_of(std::initializer_list<int> levels, bool gray)
{
    auto* map = static_cast<XSColor*>(std::calloc(levels.size(), sizeof(XSColor)));
    uint16_t i = 0;
    for (int v : levels) {
        map[i] = {i, uint16_t(v), uint16_t(gray ? v : 255 - v), uint16_t(gray ? v : v / 2)};
        ++i;
    }
    return map;
}

void expect_same_colours(XSImage* expected, XSImage* actual, int tolerance = 0)
{
    ASSERT_EQ(actual->width, expected->width);
    ASSERT_EQ(actual->height, expected->height);
    for (int y = 0; y < expected->height; ++y)
        for (int x = 0; x < expected->width; ++x) {
            int r0, g0, b0, r1, g1, b1;
            XSLGetPixel(expected, x, y, &r0, &g0, &b0);
            XSLGetPixel(actual, x, y, &r1, &g1, &b1);
            EXPECT_NEAR(r1, r0, tolerance) << x << "," << y;
            EXPECT_NEAR(g1, g0, tolerance) << x << "," << y;
            EXPECT_NEAR(b1, b0, tolerance) << x << "," << y;
        }
}

std::vector<int> pixels_of(const XSImage* image, long count)
{
    return std::vector<int>(image->data, image->data + count);
}

std::vector<int> levels_of(const XSImage* image)
{
    std::vector<int> levels;
    for (int i = 0; i < image->ncolors; ++i) {
        EXPECT_EQ(image->colormap[i].index, i);
        EXPECT_EQ(image->colormap[i].green, image->colormap[i].red);
        EXPECT_EQ(image->colormap[i].blue, image->colormap[i].red);
        levels.push_back(image->colormap[i].red);
    }
    return levels;
}
}  // namespace

TEST(PnmRoundTrip, BitmapAsP4)
{
    Image source(XSLCrNewBit(13, 3));
    fill_pattern(source->data, XSLDataSize(source.get()), 1);
    const std::string file = write_pnm(source.get());
    EXPECT_EQ(file.substr(0, 10), "P4 13 3 1\n");
    EXPECT_EQ(file.size(), 10u + 2 * 3);

    Image back = read_file(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type, 0);
    EXPECT_EQ(back->depth, 1u);
    EXPECT_EQ(back->format, XSF_PBM);
    EXPECT_EQ(back->resolution, 100);
    EXPECT_EQ(pixels_of(back.get(), 6), pixels_of(source.get(), 6));
}

TEST(PnmRoundTrip, GrayColormapAsP5)
{
    Image source(XSLCrNewZmap2(7, 4, 8));
    source->colormap = colormap_of({0, 85, 170, 255}, true);
    source->ncolors = 4;
    for (int i = 0; i < 28; ++i)
        source->data[i] = static_cast<unsigned char>(i * 3 % 4);
    const std::string file = write_pnm(source.get());
    EXPECT_EQ(file.substr(0, 11), "P5 7 4 255\n");
    EXPECT_EQ(file[11 + 1], char(255));  // pixel 1 is entry 3

    Image back = read_file(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ncolors, 256);
    EXPECT_EQ(back->bits_per_sample, 8);
    expect_same_colours(source.get(), back.get());
}

TEST(PnmRoundTrip, GrayPixelsAreFoundThroughTheIndexFields)
{
    Image source(XSLCrNewZmap2(2, 1, 8));
    source->colormap = colormap_of({10, 20}, true);
    source->colormap[0].index = 1;
    source->colormap[1].index = 0;
    source->ncolors = 2;
    source->data[0] = 0;
    source->data[1] = 1;
    EXPECT_EQ(write_pnm(source.get()), std::string("P5 2 1 255\n") + char(20) + char(10));
}

TEST(PnmRoundTrip, DirectColourAsP6)
{
    Image source(XSLCrNewZmap2(5, 3, 24));
    source->red_mask = 0xFF0000;
    source->green_mask = 0x00FF00;
    source->blue_mask = 0x0000FF;
    fill_pattern(source->data, 45, 2);
    const std::string file = write_pnm(source.get());
    EXPECT_EQ(file.substr(0, 11), "P6 5 3 255\n");
    EXPECT_EQ(file.substr(11), std::string(reinterpret_cast<char*>(source->data), 45));

    Image back = read_file(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bytes_per_pixel, 3);
    EXPECT_EQ(back->red_mask, 0xFF0000u);
    EXPECT_EQ(back->blue_mask, 0x0000FFu);
    EXPECT_EQ(pixels_of(back.get(), 45), pixels_of(source.get(), 45));
}

TEST(PnmRoundTrip, OtherKindsGoThroughRgbAndStayUnchanged)
{
    Image planes(XSLCrNewZmap(4, 3, 8));
    fill_pattern(planes->data, 12, 3);
    fill_pattern(planes->data_g, 12, 4);
    fill_pattern(planes->data_b, 12, 5);
    Image colour(XSLCrNewZmap2(4, 3, 8));
    colour->colormap = colormap_of({0, 60, 200}, false);
    colour->ncolors = 3;
    for (int i = 0; i < 12; ++i)
        colour->data[i] = static_cast<unsigned char>(i % 3);
    Image direct16(XSLCrNewZmap2(4, 3, 16));
    direct16->red_mask = 0xF800;
    direct16->green_mask = 0x07E0;
    direct16->blue_mask = 0x001F;
    fill_pattern(direct16->data, 24, 6);

    for (XSImage* source : {planes.get(), colour.get(), direct16.get()}) {
        const std::string file = write_pnm(source);
        EXPECT_EQ(file.substr(0, 11), "P6 4 3 255\n");
        Image back = read_file(file);
        ASSERT_TRUE(back);
        expect_same_colours(source, back.get(), source == direct16.get() ? 1 : 0);
    }
    EXPECT_EQ(colour->ncolors, 3);
    EXPECT_EQ(colour->planes, 1);
    EXPECT_EQ(direct16->bytes_per_pixel, 2);
}

TEST(PnmWrite, FailuresLeaveTheirCode)
{
    FilePtr f(std::fopen("/dev/null", "r"), &std::fclose);
    ASSERT_TRUE(f);
    Image bitmap(XSLCrNewBit(8, 8));
    xslerrno = 0;
    EXPECT_EQ(XSWritePBM(f.get(), bitmap.get()), 0);
    EXPECT_EQ(xslerrno, XSE_READ_ERROR);

    // One byte per pixel without colormap is no pixel kind: nothing written, code XSE_KIND.
    auto out = empty_stream();
    Image plain(XSLCrNewZmap2(2, 2, 8));
    xslerrno = 0;
    EXPECT_EQ(XSWritePBM(out.get(), plain.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(contents_of(out.get()), "");
}

TEST(PnmPlain, CommentsAndCommasSeparateLikeBlanks)
{
    Image bits = read_file("P1\n# made by hand\n5,2 # size\n1 0 1 1 0\n0,0,0,0,#x\n1\n");
    ASSERT_TRUE(bits);
    EXPECT_EQ(bits->type, 0);
    EXPECT_EQ(pixels_of(bits.get(), 2), (std::vector<int>{0xB0, 0x08}));

    Image packed = read_file("P1 5 2\n10110\n00001");
    ASSERT_TRUE(packed);
    EXPECT_EQ(pixels_of(packed.get(), 2), (std::vector<int>{0xB0, 0x08}));

    Image gray = read_file("P2,3,\n# width 3\n1 # one row\n15\n0,8\t15\r\n");
    ASSERT_TRUE(gray);
    EXPECT_EQ(pixels_of(gray.get(), 3), (std::vector<int>{0, 8, 15}));
}

TEST(PnmPlain, GraymapHasOneEntryPerLevel)
{
    Image gray = read_file("P2 3 1 15\n0 8 15\n");
    ASSERT_TRUE(gray);
    std::vector<int> expected;
    for (int i = 0; i < 16; ++i)
        expected.push_back(17 * i);
    EXPECT_EQ(levels_of(gray.get()), expected);

    Image full = read_file("P5 1 1 255\n\x7f");
    ASSERT_TRUE(full);
    const std::vector<int> identity = levels_of(full.get());
    ASSERT_EQ(identity.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(identity[i], i);
}

TEST(PnmMaxval, LargeMaxvalIsHalvedAndSmallOneScaled)
{
    Image wide = read_file("P3 1 1 65535\n65535 32768 255\n");
    ASSERT_TRUE(wide);
    EXPECT_EQ(pixels_of(wide.get(), 3), (std::vector<int>{255, 128, 0}));

    Image gray = read_file("P2 3 1 1023\n1023 4 600\n");
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->ncolors, 256);
    EXPECT_EQ(pixels_of(gray.get(), 3), (std::vector<int>{255, 1, 150}));

    Image scaled = read_file("P3 2 1 100\n100 50 0 1 2 3\n");
    ASSERT_TRUE(scaled);
    EXPECT_EQ(pixels_of(scaled.get(), 6), (std::vector<int>{255, 127, 0, 2, 5, 7}));

    Image raw = read_file(bytes("P6 1 1 100\n\x64\x32\0"));
    ASSERT_TRUE(raw);
    EXPECT_EQ(pixels_of(raw.get(), 3), (std::vector<int>{255, 127, 0}));
}

TEST(PnmMaxval, SamplesAboveMaxvalStayInsideTheColormap)
{
    // maxval 300 halves to 150; raw bytes up to 255 can still occur.
    Image gray = read_file("P5 3 1 300\n\x10\x96\xff");
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->ncolors, 151);
    EXPECT_EQ(pixels_of(gray.get(), 3), (std::vector<int>{16, 150, 150}));

    Image plain = read_file("P2 2 1 7\n9 3\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(pixels_of(plain.get(), 2), (std::vector<int>{7, 3}));

    Image colour = read_file("P6 1 1 100\n\xc8\x64\x01");
    ASSERT_TRUE(colour);
    EXPECT_EQ(pixels_of(colour.get(), 3), (std::vector<int>{255, 255, 2}));
}

TEST(PnmBadInput, EachFaultGivesItsCode)
{
    struct Case {
        std::string file;
        int code;
    };
    const Case cases[] = {
        {"P7 1 1 255\n\0", XSE_BAD_MAGIC},
        {"p5 1 1 255\n\0", XSE_BAD_MAGIC},
        {"P", XSE_BAD_MAGIC},
        {"P2 2 x 1 255\n1 2\n", XSE_HEADER_READ},
        {"P2 -2 1 255\n1 2\n", XSE_HEADER_READ},
        {"P2 2 1 0\n1 2\n", XSE_HEADER_READ},
        {"P3 0 1 255\n", XSE_HEADER_READ},
        {"P4 8\n", XSE_HEADER_READ},
        {"P2 2 1 255\n1 x 2\n", XSE_DATA_READ},  // a letter among the samples
        {"P1 2 1\n1 2\n", XSE_DATA_READ},        // only 0 and 1 are bits
        {"P5 2 2 255", XSE_DATA_READ},           // header line ends the file
        {"P6 2 1 255\nabcde", XSE_DATA_READ},
        {"P5 99999999999999999999 9 255\n", XSE_NO_MEMORY},
        {"P6 100000 100000 255\nxyz", XSE_NO_MEMORY},
        {"P4 70000 70000\n", XSE_NO_MEMORY},
        {"P1 8000 8000\n1 0 1", XSE_DATA_READ},
        {"P5 8000 8000 255\n0123456789", XSE_DATA_READ},
    };
    for (const Case& c : cases) {
        xslerrno = 0;
        EXPECT_FALSE(read_pnm(c.file)) << c.file;
        EXPECT_EQ(xslerrno, c.code) << c.file;
    }
    xslerrno = 0;
    EXPECT_FALSE(read_file("P5 2 2 255"));
    EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
}

namespace {
// Small valid files of every form; each plain one ends in a one-digit sample.
const std::vector<std::string>& valid_files()
{
    static const std::vector<std::string> files = {
        "P1\n# bits\n4 2\n1 0 1 1\n0 1 0 1\n",
        "P2 3 2\n# levels\n15\n0 4 15\n7 3 9\n",
        "P3 2 1 255\n255 0 10 1 2 3\n",
        bytes("P4 12 2\n\xa5\x50\x0f\xf0"),
        bytes("P5 3 2 200\n\0\x10\x20\x30\x40\xc8"),
        bytes("P6 2 2 255\n\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c"),
    };
    return files;
}

std::string pgm_of_size(long width, long height)
{
    return "P5 " + std::to_string(width) + " " + std::to_string(height) + " 255\n" + std::string(64, '\x80');
}
}  // namespace

XS_CONFORMANCE(Pnm, {.reader = XSReadPBM, .writer = XSWritePBM, .samples = [] { return valid_files(); },
                     .sized = pgm_of_size, .trailing_slack = 1,
                     .codes = {XSE_BAD_MAGIC, XSE_HEADER_READ, XSE_DATA_READ, XSE_NO_MEMORY}});

TEST(PnmBadInput, RandomMutationsNeverBreakTheReader)
{
    std::mt19937 random(20240517);
    const char interesting[] = "0123456789 #,\nP-x\xff";
    int read = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string file = valid_files()[random() % valid_files().size()];
        for (int n = 1 + random() % 4; n > 0; --n) {
            const size_t at = random() % file.size();
            switch (random() % 4) {
            case 0: file[at] = static_cast<char>(random()); break;
            case 1: file[at] = interesting[random() % (sizeof interesting - 1)]; break;
            case 2: file.insert(at, 1, static_cast<char>('0' + random() % 10)); break;
            default: file.resize(at + 1); break;
            }
        }
        xslerrno = 0;
        Image image = read_pnm(file);
        if (!image) {
            EXPECT_TRUE(xslerrno == XSE_BAD_MAGIC || xslerrno == XSE_HEADER_READ ||
                        xslerrno == XSE_DATA_READ || xslerrno == XSE_NO_MEMORY)
                << "code " << xslerrno;
            continue;
        }
        ++read;
        ASSERT_GT(image->width, 0);
        ASSERT_GT(image->height, 0);
        ASSERT_NE(image->data, nullptr);
        // A gray pixel always names an entry of its colormap.
        if (image->type == 1 && image->bytes_per_pixel == 1) {
            const long size = XSLDataSize(image.get());
            for (long i = 0; i < size; ++i)
                ASSERT_LT(image->data[i], image->ncolors) << file;
        }
    }
    EXPECT_GT(read, 100);  // the mutations leave many files readable
}
