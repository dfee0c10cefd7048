// The curve builders of gamma, balance, contrast and channel brightness.
#include "test_images.h"
#include "xsbright.h"
#include "xsgamma.h"

#include <gtest/gtest.h>

TEST(ToneTables, GammaCurve)
{
    unsigned char t[256];
    XSBuildGamma(t, 2.0);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[64], 128);
    EXPECT_EQ(t[128], 181);
    EXPECT_EQ(t[255], 255);
    XSBuildGamma(t, 0.5);
    EXPECT_EQ(t[128], 64);
    EXPECT_EQ(t[255], 255);
    XSBuildGamma(t, 1.0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], i);
}

TEST(ToneTables, BalanceCurveRoundsAndSaturates)
{
    unsigned char t[256];
    buildvalance(t, 0.5);
    EXPECT_EQ(t[1], 1);
    EXPECT_EQ(t[100], 50);
    EXPECT_EQ(t[255], 128);
    buildvalance(t, 1.5);
    EXPECT_EQ(t[100], 150);
    EXPECT_EQ(t[200], 255);
    buildvalance(t, 2.0);
    EXPECT_EQ(t[127], 254);
    EXPECT_EQ(t[128], 255);
    buildvalance(t, -1.0);
    EXPECT_EQ(t[200], 0);
}

TEST(ToneTables, ContrastCurveTruncatesWithoutOffset)
{
    int32_t t[256];
    BuildContrastTable(t, 0.5f);
    EXPECT_EQ(t[255], 127);
    EXPECT_EQ(t[200], 100);
    EXPECT_EQ(t[1], 0);
    BuildContrastTable(t, 1.5f);
    EXPECT_EQ(t[1], 1);
    EXPECT_EQ(t[3], 4);
    EXPECT_EQ(t[100], 150);
    EXPECT_EQ(t[169], 253);
    EXPECT_EQ(t[170], 255);
    BuildContrastTable(t, 0.0f);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], 0);
    BuildContrastTable(t, -2.0f);
    EXPECT_EQ(t[255], 0);

    BuildContrastTable(t, 1.5f);
    int r = 100, g = 3, b = 255;
    contrast(&r, &g, &b, t);
    EXPECT_EQ(r, 150);
    EXPECT_EQ(g, 4);
    EXPECT_EQ(b, 255);
}

// Channel brightness builds its curves inside the call; read them back
// through a ramp of 256 pixels in each plane.
TEST(ToneTables, BrightnessAndInkCurves)
{
    Bytes ramp(256);
    for (int i = 0; i < 256; ++i) ramp[i] = uint8_t(i);

    Image image = RgbRow(ramp, ramp, ramp);
    ASSERT_EQ(XSLBrightenChannl(image.get(), XSL_CHANNEL_RED, 50, 50, 50), 1);
    EXPECT_EQ(image->data[255], 127);
    EXPECT_EQ(image->data[101], 50);
    EXPECT_EQ(Plane(image->data_g, 256), ramp);
    EXPECT_EQ(Plane(image->data_b, 256), ramp);

    image = RgbRow(ramp, ramp, ramp);
    ASSERT_EQ(XSLBrighten(image.get(), 200), 1);
    EXPECT_EQ(image->data_g[127], 254);
    EXPECT_EQ(image->data_g[128], 255);

    image = RgbRow(ramp, ramp, ramp);
    ASSERT_EQ(XSLBrightenCMY(image.get(), 0, 100, 200), 1);
    EXPECT_EQ(Plane(image->data, 256), Bytes(256, 255));
    EXPECT_EQ(Plane(image->data_g, 256), ramp);
    EXPECT_EQ(image->data_b[127], 0);
    EXPECT_EQ(image->data_b[128], 1);  // 255 - (127 x 2)
    EXPECT_EQ(image->data_b[255], 255);

    // Negative percentages clip at no change of sign: no ink, or no light.
    image = RgbRow(ramp, ramp, ramp);
    ASSERT_EQ(XSLBrightenCMY(image.get(), -50, 100, 100), 1);
    EXPECT_EQ(Plane(image->data, 256), Bytes(256, 255));
    ASSERT_EQ(XSLBrighten(image.get(), -50), 1);
    EXPECT_EQ(Plane(image->data_g, 256), Bytes(256, 0));
}
