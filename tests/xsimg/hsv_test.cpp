// Hue, saturation and brightness models, with expected values worked out
// by hand from the published steps (shifts right are floor, round(x) is
// trunc(x + 0.5), normalised channels are i / 255 to three decimals).
#include "test_images.h"
#include "xshsv.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Rgb = std::array<int, 3>;

// One pixel through XSLBrightenColor on RGB planes (results clipped).
Rgb Adjust(Rgb in, int mode, double hue, double saturation, double brightness)
{
    Image image = RgbRow({uint8_t(in[0])}, {uint8_t(in[1])}, {uint8_t(in[2])});
    EXPECT_EQ(XSLBrightenColor(image.get(), mode, 7, hue, saturation, brightness), 1);
    return {image->data[0], image->data_g[0], image->data_b[0]};
}

}  // namespace

TEST(LuminanceChroma, GrayStaysGray)
{
    // Y = 255 x 100 >> 8 = 99; V = U = 100 >> 8 = 0, so C = 0.
    EXPECT_EQ(Adjust({100, 100, 100}, 2, 0, 150, 100), (Rgb{99, 99, 99}));
    // Y = round(99 x 1.2) = round(118.8) = 119.
    EXPECT_EQ(Adjust({100, 100, 100}, 2, 0, 100, 120), (Rgb{119, 119, 119}));
    EXPECT_EQ(Adjust({200, 200, 200}, 2, 0, 100, 200), (Rgb{255, 255, 255}));
    // Saturation 0: C = 0, every channel is Y = (77x200 + 150x50 + 28x10) >> 8 = 23180 >> 8 = 90.
    EXPECT_EQ(Adjust({200, 50, 10}, 2, 0, 0, 100), (Rgb{90, 90, 90}));
}

TEST(LuminanceChroma, ColouredPixels)
{
    // (200,100,50), saturation 1.5: sum = 31800, Y = 124, V = 19400 >> 8 = 75,
    // U = -19000 >> 8 = -75 (floor of -74.2). C = round(106.07) = 106,
    // H = atan2(75, -75) = 135 degrees. C = round(159.0) = 159.
    // V' = round(159 sin 135 = 112.43) = 112, U' = round(-112.43) = trunc(-111.93) = -111.
    // R = 124 + 112 = 236, G = (31744 - 14560 + 5328) >> 8 = 22512 >> 8 = 87, B = 13.
    EXPECT_EQ(Adjust({200, 100, 50}, 2, 0, 150, 100), (Rgb{236, 87, 13}));
    // Same colour, hue shift 90: H = 225, C = 106: V' = U' = round(-74.95) = -74.
    // R = B = 50, G = (31744 + 9620 + 3552) >> 8 = 44916 >> 8 = 175.
    EXPECT_EQ(Adjust({200, 100, 50}, 2, 90, 100, 100), (Rgb{50, 175, 50}));
}

TEST(LuminanceChroma, NegativeStepsRoundUpwardAndShiftDown)
{
    // Pure red: Y = 19635 >> 8 = 76, V = 45645 >> 8 = 178, U = -19635 >> 8 = -77,
    // C = round(193.94) = 194, H = round(113.39) = 113; V' = round(178.58) = 179,
    // U' = round(-75.80) = trunc(-75.30) = -75.
    // G = (19456 - 23270 + 3600) >> 8 = -214 >> 8 = -1 (a division would give 0).
    int r = 255, g = 0, b = 0;
    ModifiedHSV(&r, &g, &b, 0, 1.0, 1.0);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, -1);
    EXPECT_EQ(b, 1);
    // Pure blue: Y = 27, V = -28, U = 227; atan2 gives -7.03 degrees, round -> trunc(-6.53) = -6,
    // H = 354; C = 229: V' = round(-23.94) = -23, U' = round(227.75) = 228.
    // R = 4, G = (6912 + 2990 - 10944) >> 8 = -1042 >> 8 = -5, B = 255.
    r = 0, g = 0, b = 255;
    ModifiedHSV(&r, &g, &b, 0, 1.0, 1.0);
    EXPECT_EQ(r, 4);
    EXPECT_EQ(g, -5);
    EXPECT_EQ(b, 255);
}

TEST(Hexcone, WorkedColours)
{
    EXPECT_EQ(Adjust({255, 0, 0}, 3, 0, 100, 100), (Rgb{255, 0, 0}));
    // Orange: g = 0.502, h = 30.12 -> 30, sector 0, f = 0.5, t = 255 x 0.5 = 127.5 -> 128.
    EXPECT_EQ(Adjust({255, 128, 0}, 3, 0, 100, 100), (Rgb{255, 128, 0}));
    // (200,100,50): r 0.784, g 0.392, b 0.196; s = 0.588 / 0.784 = 0.75, h = 20.
    // Shift 120 -> 140: sector 2, f = 1/3; value 0.5: V = 255 x 0.392 = 99.96,
    // p = 24.99, t = V (1 - 0.75 x 2/3) = 49.98 -> (p, V, t) = (25, 100, 50).
    EXPECT_EQ(Adjust({200, 100, 50}, 3, 120, 100, 50), (Rgb{25, 100, 50}));
}

TEST(Hls, SaturationAndSignedLightness)
{
    // (200,100,50): max 0.784, min 0.196, l = 0.49, s = 0.588 / 0.98 = 0.6, h = 20.
    // Saturation 0.5: s = 0.3; m1 = 0.49 x 0.7 = 0.343, m2 = 0.637.
    // R: hue 140 -> m2 -> 162.4 -> 162; G: hue 20 -> 0.343 + 0.294 / 3 = 0.441 -> 112.46 -> 112;
    // B: hue -100 -> 260 -> m1 -> 87.47 -> 87.
    EXPECT_EQ(Adjust({200, 100, 50}, 5, 0, 50, 100), (Rgb{162, 112, 87}));
    EXPECT_EQ(Adjust({200, 100, 50}, 5, 0, 100, 100), (Rgb{200, 100, 50}));
    // Signed: L = 0.98 - 1 = -0.02, halved -> -0.01, l = 0.495;
    // m1 = 0.198, m2 = 0.792: R = 201.96 -> 202, G = 0.198 + 0.198 = 0.396 -> 100.98 -> 101, B = 50.49 -> 50.
    EXPECT_EQ(Adjust({200, 100, 50}, 6, 0, 100, 50), (Rgb{202, 101, 50}));
}

TEST(BrightenColor, ModesAndKinds)
{
    // Modes 0 and 1 take the percentages undivided.
    EXPECT_EQ(Adjust({255, 255, 255}, 0, 50, 100, 100), (Rgb{127, 255, 255}));
    EXPECT_EQ(Adjust({255, 255, 100}, 1, 100, 100, 200), (Rgb{255, 255, 0}));  // ink 155 x 2 is full

    for (int mode : {4, 7, -1}) {
        Image image = RgbRow({1}, {2}, {3});
        xslerrno = 0;
        EXPECT_EQ(XSLBrightenColor(image.get(), mode, 7, 0, 150, 150), 0);
        EXPECT_EQ(xslerrno, 0);
        EXPECT_EQ(image->data[0], 1);
    }

    // A colormap image changes its entries only.
    Image mapped = IndexedRow({1, 0}, {Entry(0, 100, 100, 100), Entry(1, 200, 50, 10)});
    ASSERT_EQ(XSLBrightenColor(mapped.get(), 2, 7, 0, 0, 120), 1);
    EXPECT_EQ(Plane(mapped->data, 2), (Bytes{1, 0}));
    EXPECT_EQ(mapped->colormap[0].red, 119);
    EXPECT_EQ(mapped->colormap[1].blue, 108);  // round(90 x 1.2)

    // Direct colour: fields to 8 bits, through the model, back; stray bits dropped.
    Image direct = DirectRow(4, 0xFF0000, 0x00FF00, 0x0000FF, {0x7F000000 | 100u << 16 | 100u << 8 | 100u});
    ASSERT_EQ(XSLBrightenColor(direct.get(), 2, 7, 0, 100, 120), 1);
    EXPECT_EQ(DirectAt(direct.get(), 0), 119u << 16 | 119u << 8 | 119u);
}
