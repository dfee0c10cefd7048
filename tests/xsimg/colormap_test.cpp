// Colormap searches, growth, lightest/darkest entries and gray normalisation.
#include "test_images.h"

#include <gtest/gtest.h>

namespace {

TEST(Colormap, SearchesCompareLow8Or16Bits)
{
    const XSColor map[] = {{0, 10, 20, 30}, {1, 300, 0, 0}, {2, 10, 20, 30}};
    EXPECT_EQ(XSLSearchCmapIndex(map, 3, 10, 20, 30), 0);
    EXPECT_EQ(XSLSearchCmapIndex(map, 3, 256 + 10, 20, 512 + 30), 0);
    EXPECT_EQ(XSLSearchCmapIndex(map, 3, 300, 0, 0), -1);   // 300 & 0xFF = 44
    EXPECT_EQ(XSLFindColor(3, map, 300, 0, 0), 1);
    EXPECT_EQ(XSLFindColor(3, map, 1, 2, 3), -1);
    EXPECT_EQ(XSLFindColor(0, map, 10, 20, 30), -1);
}

TEST(Colormap, LightestAndDarkestFirstWinsTies)
{
    const XSColor map[] = {{0, 0, 0, 0}, {1, 255, 255, 255}, {2, 0, 0, 0}, {3, 255, 255, 255}, {4, 0, 255, 0}};
    EXPECT_EQ(XSLMinimumColor(5, map), 1);
    EXPECT_EQ(XSLMaximumColor(5, map), 0);
    // Green alone (luminance 149) is lighter than red and blue together (106).
    const XSColor two[] = {{0, 255, 0, 255}, {1, 0, 255, 0}};
    EXPECT_EQ(XSLMinimumColor(2, two), 1);
    EXPECT_EQ(XSLMaximumColor(2, two), 0);
    EXPECT_EQ(XSLMinimumColor(0, map), -1);
}

TEST(Colormap, SearchColormapAppendsThenFallsBackToLightest)
{
    Image image = colormapImage(1, 1, {0}, {{0, 0, 0}, {200, 200, 200}});
    EXPECT_EQ(XSLSearchColormap(image.get(), 200, 200, 200), 1);
    EXPECT_EQ(XSLSearchColormap(image.get(), 1, 2, 3), 2);
    ASSERT_EQ(image->ncolors, 3);
    EXPECT_EQ(image->colormap[2].index, 2);
    EXPECT_EQ(image->colormap[2].blue, 3);
    while (image->ncolors < 256)
        XslAppendColor(image.get(), 0, 0, image->ncolors);
    EXPECT_EQ(XSLSearchColormap(image.get(), 255, 255, 255), 1);   // full: lightest entry
    EXPECT_EQ(image->ncolors, 256);

    Image direct(XSLCrNewZmap2(2, 2, 16));
    EXPECT_EQ(XSLSearchColormap(direct.get(), 1, 2, 3), -1);
    EXPECT_EQ(direct->ncolors, 0);
}

TEST(Colormap, AppendGrowsToExactly256)
{
    Image image(XSLCrNewZmap2(1, 1, 8));
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(XslAppendColor(image.get(), i, 255 - i, 7), i);
    EXPECT_EQ(image->ncolors, 256);
    EXPECT_EQ(image->colormap[255].index, 255);
    EXPECT_EQ(image->colormap[255].green, 0);
    xslerrno = 0;
    EXPECT_EQ(XslAppendColor(image.get(), 1, 1, 1), -1);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(image->ncolors, 256);
}

TEST(Graymap, CheckGraymap)
{
    Image none(XSLCrNewZmap2(1, 1, 8));
    EXPECT_EQ(XSLCheckGraymap(none.get()), 0);
    EXPECT_EQ(XSLCheckGraymap(colormapImage(1, 1, {0}, {{5, 5, 5}, {9, 9, 9}}).get()), 1);
    EXPECT_EQ(XSLCheckGraymap(colormapImage(1, 1, {0}, {{5, 5, 5}, {9, 9, 8}}).get()), 0);
}

TEST(Graymap, BuildGraymapMapsPixelsThroughRed)
{
    Image image = colormapImage(4, 1, {0, 1, 2, 3}, {{200, 200, 200}, {7, 7, 7}, {255, 255, 255}});
    ASSERT_EQ(XSLBuildGraymap(image.get()), 1);
    EXPECT_EQ(image->data[0], 200);
    EXPECT_EQ(image->data[1], 7);
    EXPECT_EQ(image->data[2], 255);
    EXPECT_EQ(image->data[3], 0);          // no entry 3: black, not a read past the colormap
    ASSERT_EQ(image->ncolors, 256);
    for (int i = 0; i < 256; i++) {
        const XSColor& e = image->colormap[i];
        ASSERT_TRUE(e.index == i && e.red == i && e.green == i && e.blue == i) << i;
    }

    Image plain(XSLCrNewZmap2(2, 1, 8));      // bytes already are gray levels
    plain->data[0] = 17;
    plain->data[1] = 230;
    ASSERT_EQ(XSLBuildGraymap(plain.get()), 1);
    EXPECT_EQ(plain->data[0], 17);
    EXPECT_EQ(plain->data[1], 230);
    EXPECT_EQ(plain->ncolors, 256);

    Image rgb(XSLCrNewZmap(2, 1, 8));
    xslerrno = 0;
    EXPECT_EQ(XSLBuildGraymap(rgb.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

TEST(Graymap, SortColormapOrdersByLuminanceAndRenumbers)
{
    Image image(XSLCrNewZmap2(3, 1, 8));
    image->data[0] = 0;
    image->data[1] = 1;
    image->data[2] = 255;
    image->colormap = static_cast<XSColor*>(malloc(256 * sizeof(XSColor)));
    image->ncolors = 256;
    for (int i = 0; i < 256; i++) {          // a descending gray ramp
        const uint16_t v = 255 - i;
        image->colormap[i] = XSColor{uint16_t(i), v, v, v};
    }
    ASSERT_EQ(XSLSortColormap(image.get()), 1);
    EXPECT_EQ(image->data[0], 255);          // red of the old entry
    EXPECT_EQ(image->data[1], 254);
    EXPECT_EQ(image->data[2], 0);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(image->colormap[i].index, i);
        EXPECT_EQ(image->colormap[i].red, i);
    }
    Image none(XSLCrNewZmap2(1, 1, 8));
    EXPECT_EQ(XSLSortColormap(none.get()), 0);
}

TEST(Clear, ClearsPerKind)
{
    Image bitmap(XSLCrNewBit(9, 2));
    bitmap->data[3] = 0xFF;
    XSLClearXSLim(bitmap.get());
    EXPECT_EQ(bitmap->data[3], 0);

    Image rgb(XSLCrNewZmap(2, 2, 8));
    XSLClearXSLim(rgb.get());
    EXPECT_EQ(rgb->data_b[3], 255);
    XSImageClear(rgb.get());
    EXPECT_EQ(rgb->data_g[2], 0);

    Image mapped = colormapImage(2, 1, {0, 0}, {{0, 0, 0}, {250, 250, 250}});
    XSImageClear(mapped.get());
    EXPECT_EQ(mapped->ncolors, 3);           // white was added
    EXPECT_EQ(mapped->data[0], 2);
    EXPECT_EQ(mapped->data[1], 2);
}

TEST(Clear, FullColormapClearsToLightestEntry)
{
    Image image(XSLCrNewZmap2(2, 1, 8));
    for (int i = 0; i < 256; i++)
        XslAppendColor(image.get(), i == 77 ? 250 : 0, 0, i == 77 ? 0 : i);
    image->colormap[77].green = 250;
    XSImageClear(image.get());
    EXPECT_EQ(image->data[0], 77);
    EXPECT_EQ(image->data[1], 77);
}

} // namespace
