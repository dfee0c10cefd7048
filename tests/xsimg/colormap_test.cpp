// Colormap searches, growth, lightest/darkest entries, gray normalisation, clears.
#include "test_images.h"

#include <gtest/gtest.h>

namespace {

TEST(Colormap, SearchesAndExtremes)
{
    const XSColor map[] = {{0, 10, 20, 30}, {1, 300, 0, 0}, {2, 10, 20, 30}};
    EXPECT_EQ(XSLSearchCmapIndex(map, 3, 256 + 10, 20, 512 + 30), 0);   // low 8 bits
    EXPECT_EQ(XSLSearchCmapIndex(map, 3, 300, 0, 0), -1);
    EXPECT_EQ(XSLFindColor(3, map, 300, 0, 0), 1);                        // 16 bits
    EXPECT_EQ(XSLFindColor(0, map, 10, 20, 30), -1);

    const XSColor ties[] = {{0, 0, 0, 0}, {1, 255, 255, 255}, {2, 0, 0, 0}, {3, 255, 255, 255}};
    EXPECT_EQ(XSLMinimumColor(4, ties), 1);
    EXPECT_EQ(XSLMaximumColor(4, ties), 0);
    // Green alone (luminance 149) is lighter than red and blue together (106).
    const XSColor two[] = {{0, 255, 0, 255}, {1, 0, 255, 0}};
    EXPECT_EQ(XSLMinimumColor(2, two), 1);
    EXPECT_EQ(XSLMaximumColor(2, two), 0);
}

TEST(Colormap, SearchColormapAppendsThenFallsBackToLightest)
{
    Image image = colormapImage(1, 1, {0}, {{0, 0, 0}, {200, 200, 200}});
    EXPECT_EQ(XSLSearchColormap(image.get(), 200, 200, 200), 1);
    EXPECT_EQ(XSLSearchColormap(image.get(), 1, 2, 3), 2);
    EXPECT_EQ(image->colormap[2].index, 2);
    for (int n = image->ncolors; n < 256; n++)
        ASSERT_EQ(XslAppendColor(image.get(), 0, 0, n), n);
    EXPECT_EQ(XSLSearchColormap(image.get(), 255, 255, 255), 1);
    xslerrno = 0;
    EXPECT_EQ(XslAppendColor(image.get(), 9, 9, 9), -1);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(image->ncolors, 256);

    Image direct = directImage(2, 2, 16, 0xF800, 0x07E0, 0x1F);
    EXPECT_EQ(XSLSearchColormap(direct.get(), 1, 2, 3), -1);
    EXPECT_EQ(direct->ncolors, 0);
}

TEST(Graymap, CheckAndBuild)
{
    EXPECT_EQ(XSLCheckGraymap(Image(XSLCrNewZmap2(1, 1, 8)).get()), 0);
    EXPECT_EQ(XSLCheckGraymap(colormapImage(1, 1, {0}, {{5, 5, 5}, {9, 9, 8}}).get()), 0);

    Image image = colormapImage(4, 1, {0, 1, 2, 3}, {{200, 200, 200}, {7, 7, 7}, {255, 255, 255}});
    EXPECT_EQ(XSLCheckGraymap(image.get()), 1);
    ASSERT_EQ(XSLBuildGraymap(image.get()), 1);
    EXPECT_EQ(bytes(image->data, 4), (std::vector<int>{200, 7, 255, 0}));   // no entry 3: black
    ASSERT_EQ(image->ncolors, 256);
    for (int i = 0; i < 256; i++) {
        const XSColor& e = image->colormap[i];
        ASSERT_TRUE(e.index == i && e.red == i && e.green == i && e.blue == i) << i;
    }

    Image plain(XSLCrNewZmap2(2, 1, 8));      // no colormap: the bytes already are levels
    plain->data[0] = 17;
    plain->data[1] = 230;
    ASSERT_EQ(XSLBuildGraymap(plain.get()), 1);
    EXPECT_EQ(bytes(plain->data, 2), (std::vector<int>{17, 230}));
    EXPECT_EQ(plain->ncolors, 256);

    xslerrno = 0;
    EXPECT_EQ(XSLBuildGraymap(Image(XSLCrNewZmap(2, 1, 8)).get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
}

TEST(Graymap, SortColormapOrdersByLuminanceAndRenumbers)
{
    Image image(XSLCrNewZmap2(3, 1, 8));
    image->data[0] = 0;
    image->data[1] = 1;
    image->data[2] = 255;
    for (int i = 0; i < 256; i++)             // a descending gray ramp
        XslAppendColor(image.get(), 255 - i, 255 - i, 255 - i);
    ASSERT_EQ(XSLSortColormap(image.get()), 1);
    EXPECT_EQ(bytes(image->data, 3), (std::vector<int>{255, 254, 0}));   // red of the old entry
    for (int i = 0; i < 256; i++)
        ASSERT_TRUE(image->colormap[i].index == i && image->colormap[i].red == i) << i;
    EXPECT_EQ(XSLSortColormap(Image(XSLCrNewZmap2(1, 1, 8)).get()), 0);
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
    EXPECT_EQ(bytes(mapped->data, 2), (std::vector<int>{2, 2}));

    Image full(XSLCrNewZmap2(2, 1, 8));      // full, no white: the lightest entry
    for (int i = 0; i < 256; i++)
        XslAppendColor(full.get(), i == 77 ? 250 : 0, i == 77 ? 250 : 0, i == 77 ? 0 : i);
    XSImageClear(full.get());
    EXPECT_EQ(bytes(full->data, 2), (std::vector<int>{77, 77}));
}

} // namespace
