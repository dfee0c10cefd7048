// pixlane prints Sun raster and SGI pictures like the same picture as a
// portable anymap, from a named file and from standard input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "run_program.h"
#include "same_print.h"
#include "temp_dir.h"
#include "xsioiris.h"
#include "xsiosun.h"
#include "xsreadkit.h"

namespace {
constexpr int kWidth = 29, kHeight = 11;  // odd, so that rows are padded

std::string written_by(XSWriter writer, XSImage* image)
{
    FILE* f = std::tmpfile();
    EXPECT_EQ(writer(f, image), 1);
    std::string bytes;
    std::rewind(f);
    for (int c; (c = std::getc(f)) != EOF;)
        bytes += char(c);
    std::fclose(f);
    return bytes;
}

unsigned char level(long i, int channel)
{
    return static_cast<unsigned char>(i * (7 + channel * 13) + channel * 50);
}

std::string anymap_header(const char* form)
{
    return std::string(form) + "\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n";
}
}  // namespace

TEST(WorkstationJob, GrayPrintsLikeTheSamePgm)
{
    XslImagePtr gray = XslNewGrayImage(kWidth, kHeight, 256);
    std::string pgm = anymap_header("P5") + "255\n";
    for (long i = 0; i < kWidth * kHeight; ++i)
        pgm += char(gray->data[i] = level(i, 0));

    const std::string sun = written_by(RsWriter, gray.get());
    // The same file without its colormap: an 8-bit Sun raster without one is gray.
    const std::string bare = sun.substr(0, 24) + std::string(8, '\0') + sun.substr(32 + 768);
    expectPrintsLike(pgm, {sun, bare, written_by(XSWriteIRIS, gray.get())});
}

TEST(WorkstationJob, ColourPrintsLikeTheSamePpm)
{
    XslImagePtr rgb = XslNewRgbImage(kWidth, kHeight);
    unsigned char* planes[] = {rgb->data, rgb->data_g, rgb->data_b};
    std::string ppm = anymap_header("P6") + "255\n";
    for (long i = 0; i < kWidth * kHeight; ++i)
        for (int c = 0; c < 3; ++c)
            ppm += char(planes[c][i] = level(i, c));
    expectPrintsLike(ppm, {written_by(RsWriter, rgb.get()), written_by(XSWriteIRIS, rgb.get())});
}

TEST(WorkstationJob, BitmapPrintsLikeTheSamePbm)
{
    XslImagePtr bitmap = XslNewBitmap(kWidth, kHeight);
    std::string pbm = anymap_header("P4");
    for (long i = 0; i < XSLDataSize(bitmap.get()); ++i)
        pbm += char(bitmap->data[i] = level(i, 2));
    expectPrintsLike(pbm, {written_by(RsWriter, bitmap.get())});
}
