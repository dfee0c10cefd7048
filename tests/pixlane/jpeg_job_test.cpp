// pixlane prints JPEG pictures like the same decoded picture in any other format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jpeg_maker.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

std::string text(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Prints the JPEG from a file and from standard input, and the samples libjpeg
// decodes from it as a PGM or PPM; all three streams must agree.
void expectPrintsLikeNetpbm(const JpegSpec& spec)
{
    TempDir dir;
    const auto jpeg = makeJpeg(spec);
    int width, height, components;
    const auto samples = decodeJpeg(jpeg, &width, &height, &components);
    write_file(dir.file("picture.jpg"), text(jpeg));
    write_file(dir.file("picture.pnm"), std::string(components == 1 ? "P5\n" : "P6\n") + std::to_string(width)
                                            + " " + std::to_string(height) + "\n255\n" + text(samples));

    ProgramResult pnm = run_program(PIXLANE_BIN, {"-in", dir.file("picture.pnm")});
    ProgramResult file = run_program(PIXLANE_BIN, {"-in", dir.file("picture.jpg")});
    ProgramResult piped = run_program(PIXLANE_BIN, {}, text(jpeg));
    ASSERT_EQ(pnm.status, 0) << pnm.err;
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_GT(pnm.out.size(), 100u);
    EXPECT_EQ(file.out, pnm.out);
    EXPECT_EQ(piped.out, pnm.out);
}

}  // namespace

TEST(JpegJob, GrayJpegPrintsLikeTheSamePgm)
{
    JpegSpec spec;
    spec.width = 30;
    spec.height = 12;
    spec.components = 1;
    spec.input_space = JCS_GRAYSCALE;
    spec.quality = 90;
    expectPrintsLikeNetpbm(spec);
}

TEST(JpegJob, ColourJpegPrintsLikeTheSamePpm)
{
    JpegSpec spec;
    spec.width = 25;
    spec.height = 17;
    spec.quality = 90;
    expectPrintsLikeNetpbm(spec);
}

TEST(JpegJob, DamagedJpegFailsWithoutOutput)
{
    JpegSpec spec;
    auto jpeg = makeJpeg(spec);
    jpeg.resize(30);   // inside the quantisation tables
    ProgramResult r = run_program(PIXLANE_BIN, {}, text(jpeg));
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(r.signalled);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("pixlane: "), std::string::npos);
}
