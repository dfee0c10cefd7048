// The read stage's correction chain: its order, its defaults and the bitmap exception.
#include "corrections.h"
#include "job.h"
#include "xsconv.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Picture {
    XSImage* image;
    ~Picture() { XSLFree(image); }
};

// One pixel of the given colour in a one-entry colormap.
XSImage* OneColour(int red, int green, int blue)
{
    XSImage* image = XSLCrNewZmap2(1, 1, 8);
    image->data[0] = 0;
    image->colormap = static_cast<XSColor*>(std::malloc(sizeof(XSColor)));
    image->colormap[0] = {0, uint16_t(red), uint16_t(green), uint16_t(blue)};
    image->ncolors = 1;
    return image;
}

Settings Defaults()
{
    Settings s;
    set_default(&s);
    return s;
}

// The read stage on a named file.
XSImage* ReadFile(Settings s, const std::string& path)
{
    s.input = std::fopen(path.c_str(), "rb");
    if (s.input == nullptr) return nullptr;
    XSImage* picture = read_data(&s);
    std::fclose(s.input);
    return picture;
}

}  // namespace

TEST(CorrectionChain, DefaultGammaAlwaysAppliesAndColourStaysRgb)
{
    Settings s = Defaults();
    Picture p{OneColour(10, 100, 200)};
    ASSERT_EQ(correct_picture(&s, p.image), 1);
    // Gamma 1.5: 255 (v/255)^(2/3) + 0.5 truncated: 10 -> 29, 100 -> 137, 200 -> 217.
    ASSERT_EQ(p.image->planes, 3);
    EXPECT_EQ(p.image->data[0], 29);
    EXPECT_EQ(p.image->data_g[0], 137);
    EXPECT_EQ(p.image->data_b[0], 217);

    s.mono = 1;
    Picture q{OneColour(10, 100, 200)};
    ASSERT_EQ(correct_picture(&s, q.image), 1);
    ASSERT_EQ(q.image->planes, 1);
    EXPECT_EQ(q.image->data[0], (77 * 29 + 150 * 137 + 29 * 217) >> 8);
}

TEST(CorrectionChain, BitmapSkipsEveryStep)
{
    Settings s = Defaults();
    s.saturation = 50;
    s.contrast = 30;
    s.mono = 1;
    Picture p{XSLCrNewBit(9, 1)};
    p.image->data[0] = 0xC3;
    ASSERT_EQ(correct_picture(&s, p.image), 1);
    EXPECT_EQ(p.image->type, 0);
    EXPECT_EQ(p.image->data[0], 0xC3);
    EXPECT_EQ(p.image->data[1], 0);
}

TEST(CorrectionChain, AFailedStepFails)
{
    Settings s = Defaults();
    Picture p{OneColour(10, 100, 200)};
    p.image->planes = 2;  // no step can work on this
    EXPECT_EQ(correct_picture(&s, p.image), 0);
}

TEST(CorrectionChain, ReadStageRunsItInOrderAndPassesBitmaps)
{
    TempDir dir;
    write_file(dir.file("gray.pgm"), std::string("P5 2 1 255\n") + char(100) + char(0));
    write_file(dir.file("dots.pbm"), std::string("P4 9 1\n") + char(0xC3) + char(0x80));
    Settings s = Defaults();
    s.bright = 20;
    s.gamma_red = s.gamma_green = s.gamma_blue = 2.0;
    s.balance_red = -50;
    s.contrast = 50;

    Picture gray{ReadFile(s, dir.file("gray.pgm"))};
    ASSERT_NE(gray.image, nullptr);
    ASSERT_EQ(gray.image->planes, 1);
    // Brightness 1.2: 100 -> 119 in every channel; gamma 2: 255 sqrt(119/255) = 174.2 -> 174;
    // red balance 50%: 87; contrast 1.5: red 130.5 -> 130, green and blue 261 -> 255;
    // back to gray as it came: (77 x 130 + 179 x 255) >> 8 = 217. Any other order differs.
    EXPECT_EQ(gray.image->data[0], 217);
    EXPECT_EQ(gray.image->data[1], 0);

    s.mono = 1;
    Picture dots{ReadFile(s, dir.file("dots.pbm"))};
    ASSERT_NE(dots.image, nullptr);
    EXPECT_EQ(dots.image->type, 0);
    EXPECT_EQ(dots.image->data[0], 0xC3);
    EXPECT_EQ(dots.image->data[1], 0x80);
}

// The read stage's one pass to gray gives the pixels of the correction chain
// followed by the page set-up's gray conversion, and is taken only when every
// correction is a channel table.
TEST(CorrectionChain, OnePassGrayMatchesTheChainThenGray)
{
    struct Case {
        int gamma_percent, balance_red, mono;
    };
    for (Case c : {Case{150, 0, 0}, Case{100, -30, 1}, Case{70, 25, 0}}) {
        Settings s = Defaults();
        s.gamma_red = s.gamma_green = s.gamma_blue = c.gamma_percent / 100.0;
        s.balance_red = c.balance_red;
        s.mono = c.mono;
        Picture chain{OneColour(10, 100, 200)}, one_pass{OneColour(10, 100, 200)};
        ASSERT_TRUE(tables_only(&s, one_pass.image));
        ASSERT_EQ(correct_picture(&s, chain.image), 1);
        ASSERT_EQ(XSLConvGray(chain.image), 1);
        ASSERT_EQ(one_pass_gray(&s, one_pass.image), 1);
        EXPECT_EQ(one_pass.image->planes, 1);
        EXPECT_EQ(one_pass.image->data[0], chain.image->data[0]) << c.gamma_percent;
    }
    Settings s = Defaults();
    Picture p{OneColour(1, 2, 3)};
    s.contrast = 10;
    EXPECT_FALSE(tables_only(&s, p.image));
    s.contrast = 0;
    s.saturation = -5;
    EXPECT_FALSE(tables_only(&s, p.image));
}
