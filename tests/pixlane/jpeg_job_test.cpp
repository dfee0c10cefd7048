// pixlane prints JPEG pictures like the same decoded picture in any other format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jpeg_maker.h"
#include "run_program.h"
#include "same_print.h"
#include "temp_dir.h"

namespace {

std::string text(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Prints the JPEG from a file and from standard input, and the samples libjpeg
// decodes from it as a PGM or PPM; all three streams must agree.
void expectPrintsLikeThePnm(const JpegRecipe& recipe)
{
    TempDir dir;
    const auto jpeg = makeJpeg(recipe);
    int width, height, components;
    const auto samples = decodeJpeg(jpeg, &width, &height, &components);
    write_file(dir.file("picture.jpg"), text(jpeg));
    write_file(dir.file("picture.pnm"), std::string(components == 1 ? "P5\n" : "P6\n") + std::to_string(width)
                                            + " " + std::to_string(height) + "\n255\n" + text(samples));

    expectSamePrint(dir.file("picture.pnm"), dir.file("picture.jpg"), text(jpeg));
}

}  // namespace

TEST(JpegJob, GrayJpegPrintsLikeTheSamePgm)
{
    JpegRecipe recipe;
    recipe.width = 30;
    recipe.height = 12;
    recipe.components = 1;
    recipe.input_space = JCS_GRAYSCALE;
    recipe.quality = 90;
    expectPrintsLikeThePnm(recipe);
}

TEST(JpegJob, ColourJpegPrintsLikeTheSamePpm)
{
    JpegRecipe recipe;
    recipe.width = 25;
    recipe.height = 17;
    recipe.quality = 90;
    expectPrintsLikeThePnm(recipe);
}

TEST(JpegJob, DamagedJpegFailsWithoutOutput)
{
    JpegRecipe recipe;
    auto jpeg = makeJpeg(recipe);
    jpeg.resize(30);   // inside the quantisation tables
    ProgramResult r = run_program(PIXLANE_BIN, {}, text(jpeg));
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(r.signalled);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("pixlane: "), std::string::npos);
}
