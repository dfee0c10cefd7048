// Channel tables and brightness curves carried out on each pixel kind.
#include "test_images.h"
#include "xsbright.h"
#include "xsgamma.h"
#include "xshsv.h"

#include <gtest/gtest.h>

#include <functional>

TEST(ChannelTables, RgbPlanesEachThroughTheirOwnGamma)
{
    Image image = RgbRow({0, 64, 128, 255}, {0, 64, 128, 255}, {64, 64, 64, 64});
    ASSERT_EQ(XSLGamma(image.get(), 2.0, 0.0, -3.0), 1);  // bad gammas act as 1.0
    EXPECT_EQ(Plane(image->data, 4), (Bytes{0, 128, 181, 255}));
    EXPECT_EQ(Plane(image->data_g, 4), (Bytes{0, 64, 128, 255}));
    EXPECT_EQ(Plane(image->data_b, 4), Bytes(4, 64));

    ASSERT_EQ(XSLValance(image.get(), 0, 100, 100), 1);
    EXPECT_EQ(Plane(image->data, 4), Bytes(4, 0));
    EXPECT_EQ(Plane(image->data_g, 4), (Bytes{0, 64, 128, 255}));
}

TEST(ChannelTables, EightBitWithoutColormapUsesTheRedTable)
{
    Image image = IndexedRow({10, 100, 255});
    ASSERT_EQ(XSLValance(image.get(), 100, 0, 0), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{10, 100, 255}));
    ASSERT_EQ(XSLValance(image.get(), 50, 100, 100), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{5, 50, 128}));
    ASSERT_EQ(XSLContrast(image.get(), 200), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{10, 100, 255}));
}

TEST(ChannelTables, SmallGrayColormapBecomesLevelsThenMapped)
{
    Image image = IndexedRow({0, 1, 2, 1}, {Entry(0, 200, 200, 200), Entry(1, 100, 100, 100), Entry(2, 1, 1, 1)});
    ASSERT_EQ(XSLContrast(image.get(), 50), 1);
    EXPECT_EQ(Plane(image->data, 4), (Bytes{100, 50, 0, 50}));
    ASSERT_EQ(image->ncolors, 256);
    EXPECT_EQ(image->colormap[77].index, 77);
    EXPECT_EQ(image->colormap[77].green, 77);
}

TEST(ChannelTables, FullGrayColormapIsSortedAndLeftAsTheRamp)
{
    // A reversed ramp: pixel p has level 255 - p.
    std::vector<XSColor> reversed;
    for (int i = 0; i < 256; ++i) reversed.push_back(Entry(i, 255 - i, 255 - i, 255 - i));
    const unsigned char* identity = Identity();
    Image image = IndexedRow({0, 55, 255}, reversed);
    ASSERT_EQ(XSLUserGamma(image.get(), identity, identity, identity), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{255, 200, 0}));
    EXPECT_EQ(image->colormap[200].red, 200);

    // Repeated levels: the pixels hold levels, so the map must still say level i at i.
    std::vector<XSColor> repeated(256, Entry(0, 0, 0, 0));
    for (int i = 0; i < 256; ++i) repeated[i] = Entry(i, i / 2, i / 2, i / 2);
    image = IndexedRow({0, 100, 255}, repeated);
    ASSERT_EQ(XSLUserValance(image.get(), identity, identity, identity), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{0, 50, 127}));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(image->colormap[i].blue, i);
}

TEST(ChannelTables, UnityCorrectionsTouchNoKind)
{
    // Unity returns before any table is run: a gray colormap keeps its map and
    // pixel indices (no normalisation), direct pixels keep their stray bits and
    // lose no level in the scaling round trip. Non-positive gammas count as 1.0.
    const std::vector<XSColor> grays = {Entry(0, 200, 200, 200), Entry(1, 100, 100, 100)};
    const uint32_t stray = 0xABCD0000u | 16u << 11 | 32u << 5 | 8u;
    const std::vector<std::function<int(XSImage*)>> unity = {
        [](XSImage* im) { return XSLGamma(im, 1.0, 0.0, -2.0); },
        [](XSImage* im) { return XSLValance(im, 100, 100, 100); },
        [](XSImage* im) { return XSLContrast(im, 100.0f); },
    };
    for (size_t i = 0; i < unity.size(); ++i) {
        Image gray = IndexedRow({1, 0}, grays);
        ASSERT_EQ(unity[i](gray.get()), 1) << i;
        EXPECT_EQ(Plane(gray->data, 2), (Bytes{1, 0})) << i;
        EXPECT_EQ(gray->ncolors, 2) << i;
        EXPECT_EQ(gray->colormap[1].red, 100) << i;

        Image direct = DirectRow(4, 0xF800, 0x07E0, 0x001F, {stray});
        ASSERT_EQ(unity[i](direct.get()), 1) << i;
        EXPECT_EQ(DirectAt(direct.get(), 0), stray) << i;
    }
}

TEST(ChannelTables, ColourColormapChangesEntriesOnly)
{
    Image image = IndexedRow({1, 0, 1}, {Entry(0, 255, 128, 0), Entry(1, 64, 64, 200)});
    ASSERT_EQ(XSLGamma(image.get(), 2.0, 0.5, 1.0), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{1, 0, 1}));
    EXPECT_EQ(image->colormap[0].red, 255);
    EXPECT_EQ(image->colormap[0].green, 64);
    EXPECT_EQ(image->colormap[0].blue, 0);
    EXPECT_EQ(image->colormap[1].red, 128);
    EXPECT_EQ(image->colormap[1].blue, 200);
}

TEST(ChannelTables, DirectColourFieldByField)
{
    // 5-6-5 in 16 bits. Red field 16: 16 x (255 / 31) = 131, gamma 2 gives 183,
    // back 183 / 255 x 31 = 22; green 32 -> 129 -> 181 -> 44; blue 8 -> 65 -> 129 -> 15.
    const uint32_t ones = 0xFFFF, mid = 16u << 11 | 32u << 5 | 8u;
    Image image = DirectRow(2, 0xF800, 0x07E0, 0x001F, {ones, mid, 0});
    ASSERT_EQ(XSLGamma(image.get(), 2.0, 2.0, 2.0), 1);
    EXPECT_EQ(DirectAt(image.get(), 0), ones);
    EXPECT_EQ(DirectAt(image.get(), 1), 22u << 11 | 44u << 5 | 15u);
    EXPECT_EQ(DirectAt(image.get(), 2), 0u);

    // The same masks in 32-bit pixels: the bits outside them come back 0. Both
    // scalings truncate, so even identity tables lose a level on the way:
    // 16 -> 131 -> 15, 32 -> 129 -> 31, 8 -> 65 -> 7.
    image = DirectRow(4, 0xF800, 0x07E0, 0x001F, {0xABCD0000 | ones, 0x00010000 | mid});
    ASSERT_EQ(XSLUserGamma(image.get(), Identity(), Identity(), Identity()), 1);
    EXPECT_EQ(DirectAt(image.get(), 0), ones);
    EXPECT_EQ(DirectAt(image.get(), 1), 15u << 11 | 31u << 5 | 7u);

    // 24-bit pixels are stored most significant byte first.
    image = DirectRow(3, 0xFF0000, 0x00FF00, 0x0000FF, {200u << 16 | 100u << 8 | 1u});
    ASSERT_EQ(XSLContrast(image.get(), 50), 1);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{100, 50, 0}));
}

TEST(ChannelTables, BrightnessOnDirectColourRescalesItsCurve)
{
    // 255 x 0.5 = 127, scaled into the fields: 127 x 31 / 255 = 15, 127 x 63 / 255 = 31.
    Image image = DirectRow(2, 0xF800, 0x07E0, 0x001F, {0xFFFF});
    ASSERT_EQ(XSLBrighten(image.get(), 50), 1);
    EXPECT_EQ(DirectAt(image.get(), 0), 15u << 11 | 31u << 5 | 15u);

    image = DirectRow(4, 0xFF0000, 0x00FF00, 0x0000FF, {0xFF000000 | 10u << 16 | 20u << 8 | 30u});
    ASSERT_EQ(XSLBrightenChannl(image.get(), XSL_CHANNEL_GREEN | XSL_CHANNEL_BLUE, 500, 300, 100), 1);
    EXPECT_EQ(DirectAt(image.get(), 0), 10u << 16 | 60u << 8 | 30u);

    image = IndexedRow({0}, {Entry(0, 10, 128, 255)});
    ASSERT_EQ(XSLBrightenCMY(image.get(), 100, 50, 200), 1);
    EXPECT_EQ(image->colormap[0].red, 10);
    EXPECT_EQ(image->colormap[0].green, 192);  // 255 - trunc(127 x 0.5)
    EXPECT_EQ(image->colormap[0].blue, 255);
}

TEST(ChannelTables, UnsupportedLayoutsAreRefusedUntouched)
{
    Image image = IndexedRow({1, 2, 3});
    image->planes = 2;
    xslerrno = 0;
    EXPECT_EQ(XSLGamma(image.get(), 2, 2, 2), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    image->planes = 1;
    image->bytes_per_pixel = 5;
    xslerrno = 0;
    EXPECT_EQ(XSLBrightenColor(image.get(), 2, 7, 0, 150, 100), 0);
    EXPECT_EQ(xslerrno, XSE_PROCESS_KIND);
    image->bytes_per_pixel = 1;
    EXPECT_EQ(Plane(image->data, 3), (Bytes{1, 2, 3}));

    // Brightness leaves an 8-bit image without colormap alone, without a code.
    xslerrno = 0;
    EXPECT_EQ(XSLBrighten(image.get(), 50), 0);
    EXPECT_EQ(XSLBrightenColor(image.get(), 2, 7, 0, 150, 100), 0);
    EXPECT_EQ(xslerrno, 0);
    EXPECT_EQ(Plane(image->data, 3), (Bytes{1, 2, 3}));

}

TEST(ChannelTables, WideFieldsActByTheirTopByte)
{
    // Red 0x123 of 12 bits reads as 0x12 = 18 -> 9, green 0x45 = 69 -> 34,
    // blue 0x678 reads as 0x67 = 103 -> 51; the bits below the top byte come back 0.
    Image image = DirectRow(4, 0xFFF00000, 0x000FF000, 0x00000FFF, {0x12345678});
    ASSERT_EQ(XSLContrast(image.get(), 50), 1);
    EXPECT_EQ(DirectAt(image.get(), 0), 9u << 24 | 34u << 12 | 51u << 4);
}

TEST(ChannelTables, EveryCorrectionRefusesABitmap)
{
    const unsigned char* identity = Identity();
    const std::vector<std::function<int(XSImage*)>> corrections = {
        [](XSImage* im) { return XSLGamma(im, 1.0, 1.0, 1.0); },
        [&](XSImage* im) { return XSLUserGamma(im, identity, identity, identity); },
        [](XSImage* im) { return XSLValance(im, 100, 100, 100); },
        [&](XSImage* im) { return XSLUserValance(im, identity, identity, identity); },
        [](XSImage* im) { return XSLContrast(im, 100); },
        [](XSImage* im) { return XSLBrighten(im, 50); },
        [](XSImage* im) { return XSLBrightenChannl(im, 7, 50, 50, 50); },
        [](XSImage* im) { return XSLBrightenCMY(im, 50, 50, 50); },
        [](XSImage* im) { return XSLBrightenColor(im, 2, 7, 0, 150, 100); },
        [](XSImage* im) { return XSLBrightenColor(im, 4, 7, 0, 150, 100); },
    };
    for (size_t i = 0; i < corrections.size(); ++i) {
        Image image(XSLCrNewBit(12, 2));
        image->data[0] = 0xA5;
        image->data[3] = 0x0F;
        xslerrno = 0;
        EXPECT_EQ(corrections[i](image.get()), 0) << i;
        EXPECT_EQ(xslerrno, XSE_PROCESS_KIND) << i;
        EXPECT_EQ(Plane(image->data, 4), (Bytes{0xA5, 0, 0, 0x0F})) << i;
        EXPECT_EQ(image->type, 0) << i;
    }
}
