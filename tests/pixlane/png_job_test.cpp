// pixlane prints PNG and WebP pictures like the same picture saved as PBM, PGM
// or PPM (transparent ones composited over white by hand), and refuses
// damaged ones with a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "png_maker.h"
#include "run_program.h"
#include "temp_dir.h"
#include "webp_maker.h"

namespace {

// Prints both files; the streams must be the same.
void expectPrintsAlike(const std::string& picture, const std::string& pnm)
{
    TempDir dir;
    write_file(dir.file("picture"), picture);
    write_file(dir.file("picture.pnm"), pnm);
    ProgramResult expected = run_program(PIXLANE_BIN, {"-in", dir.file("picture.pnm")});
    ProgramResult actual = run_program(PIXLANE_BIN, {"-in", dir.file("picture")});
    ASSERT_EQ(expected.status, 0) << expected.err;
    EXPECT_EQ(actual.status, 0) << actual.err;
    EXPECT_GT(expected.out.size(), 100u);
    EXPECT_EQ(actual.out, expected.out);
}

std::string ppm(const std::vector<unsigned char>& rgb, int width, int height)
{
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n"
           + std::string(rgb.begin(), rgb.end());
}

}  // namespace

TEST(PngJob, EveryColourTypeAndDepthPrintsLikeTheSamePnm)
{
    for (const PngVariant& v : pngVariants()) {
        SCOPED_TRACE(v.name);
        expectPrintsAlike(makePng(v.recipe), pnmOf(v.recipe));
    }
}

TEST(WebpJob, LosslessPicturesPrintLikeTheSamePpm)
{
    const std::vector<unsigned char> rgb = smoothPicture(21, 13, 3);
    expectPrintsAlike(makeWebp(rgb, 21, 13, false), ppm(rgb, 21, 13));

    const std::vector<unsigned char> rgba = smoothPicture(21, 13, 4);
    expectPrintsAlike(makeWebp(rgba, 21, 13, true), ppm(composited(rgba), 21, 13));
}

TEST(PngJob, DamagedPicturesFailWithoutOutput)
{
    const std::string good = makePng(PngRecipe{});
    std::string bad_crc = good;
    bad_crc[good.find("IDAT") + 10] ^= 1;
    for (const std::string& file : {bad_crc, good.substr(0, good.size() - 30), good.substr(0, 20),
                                    makeWebp(smoothPicture(9, 9, 3), 9, 9, false, 70).substr(0, 40)}) {
        ProgramResult r = run_program(PIXLANE_BIN, {}, file);
        EXPECT_NE(r.status, 0);
        EXPECT_FALSE(r.signalled);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("pixlane: ", 0), 0u) << r.err;
    }
}
