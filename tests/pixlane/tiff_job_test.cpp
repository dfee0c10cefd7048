// pixlane prints TIFF pictures like the same picture in any other format.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "same_print.h"
#include "temp_dir.h"

namespace {

void write_tiff(const std::string& path, uint32_t width, uint32_t height, uint16_t bits,
                uint16_t photometric, const std::vector<unsigned char>& rows)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 100.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 100.0f);
    tmsize_t line = TIFFScanlineSize(tif);
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<unsigned char> row(rows.begin() + y * line, rows.begin() + (y + 1) * line);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
}

}  // namespace

TEST(TiffJob, GrayTiffPrintsLikeTheSamePgm)
{
    TempDir dir;
    const uint32_t w = 30, h = 12;
    std::vector<unsigned char> gray;
    for (uint32_t i = 0; i < w * h; ++i)
        gray.push_back(static_cast<unsigned char>(i * 7));
    write_tiff(dir.file("gray.tif"), w, h, 8, PHOTOMETRIC_MINISBLACK, gray);
    write_file(dir.file("gray.pgm"),
               "P5\n30 12\n255\n" + std::string(gray.begin(), gray.end()));

    expectSamePrint(dir.file("gray.pgm"), dir.file("gray.tif"), read_file(dir.file("gray.tif")));
}

TEST(TiffJob, OneBitPolaritiesPrintTheSamePage)
{
    TempDir dir;
    // 16 x 4: a black left half.
    std::vector<unsigned char> black_left = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00};
    std::vector<unsigned char> stored_min_is_black;
    for (unsigned char b : black_left)
        stored_min_is_black.push_back(static_cast<unsigned char>(~b));
    write_tiff(dir.file("white.tif"), 16, 4, 1, PHOTOMETRIC_MINISWHITE, black_left);
    write_tiff(dir.file("black.tif"), 16, 4, 1, PHOTOMETRIC_MINISBLACK, stored_min_is_black);
    write_file(dir.file("page.pbm"), "P4\n16 4\n" + std::string(black_left.begin(), black_left.end()));

    ProgramResult pbm = run_program(PIXLANE_BIN, {"-in", dir.file("page.pbm")});
    ProgramResult white = run_program(PIXLANE_BIN, {"-in", dir.file("white.tif")});
    ProgramResult black = run_program(PIXLANE_BIN, {"-in", dir.file("black.tif")});
    ASSERT_EQ(pbm.status, 0) << pbm.err;
    EXPECT_EQ(white.status, 0) << white.err;
    EXPECT_EQ(black.status, 0) << black.err;
    EXPECT_EQ(white.out, pbm.out);
    EXPECT_EQ(black.out, pbm.out);
}

TEST(TiffJob, DamagedTiffFailsWithoutOutput)
{
    TempDir dir;
    write_file(dir.file("bad.tif"), std::string("II*\0\x08\0\0\0\xff\xff", 10));
    expectCleanFailure(dir.file("bad.tif"));
}
