// Pictures that are more than one page, or less than one picture: every page
// of a TIFF prints; a JPEG cut short prints what it holds, with a warning.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <string>
#include <vector>

#include "spooler_fixture.h"
#include "temp_dir.h"
#include "viewed_job.h"

namespace {

// A TIFF of black 8-bit gray pages of the given sizes.
void write_tiff(const std::string& path, const std::vector<std::pair<int, int>>& sizes)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (const auto& [width, height] : sizes) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        std::vector<unsigned char> row(width, 0);
        for (int y = 0; y < height; ++y)
            TIFFWriteScanline(tif, row.data(), y, 0);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

}  // namespace

TEST(ImageToLane, EveryPageOfATiffPrints)
{
    TempDir dir;
    const std::string file = dir.file("pages.tiff");
    write_tiff(file, {{40, 30}, {30, 60}, {50, 50}});
    const FilterRun run = run_filter(IMAGETOLANE_BIN, "2", "", file);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.lines("PAGE:"), (std::vector<std::string>{"PAGE: 1 2", "PAGE: 2 2", "PAGE: 3 2"}));
    const ViewedJob job = view(run.result.out);
    EXPECT_EQ(job.problem_text, "");
    ASSERT_EQ(job.pages.size(), 3u);
    // Each page at its own size: 100 dpi pictures at 240 dpi.
    const long widths[] = {96, 72, 120};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(black_box(job.pages[i].picture).width(), widths[i]) << i;
}

TEST(ImageToLane, AJpegCutShortPrintsWithAWarning)
{
    TempDir dir;
    const std::string whole = picture_bytes("JPEG", 200, 150);
    const std::string file = dir.file("cut.jpg");
    write_file(file, whole.substr(0, whole.size() * 2 / 3));
    const FilterRun run = run_filter(IMAGETOLANE_BIN, "1", "", file);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.lines("WARNING:").size(), 1u) << run.result.err;
    EXPECT_EQ(run.lines("PAGE:"), std::vector<std::string>{"PAGE: 1 1"});

    write_file(file, whole);
    EXPECT_TRUE(run_filter(IMAGETOLANE_BIN, "1", "", file).lines("WARNING:").empty());
}
