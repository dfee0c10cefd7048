// One-pass gray through channel tables against the stage-by-stage road.
#include "xsconv.h"
#include "xsgamma.h"
#include "xsgraytables.h"
#include "xsreadkit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

const int W = 13, H = 7;

XslImagePtr random_direct(int bytes_per_pixel, uint32_t r, uint32_t g, uint32_t b)
{
    XslImagePtr image = XslNewDirectImage(W, H, bytes_per_pixel, r, g, b);
    for (long i = 0; i < long(W) * H * bytes_per_pixel; ++i)
        image->data[i] = static_cast<unsigned char>(rand());
    return image;
}

// count entries, all gray or in colour; pixels also beyond the colormap.
XslImagePtr random_colormap(int count, bool gray)
{
    XslImagePtr image = XslNewColormapImage(W, H);
    unsigned char palette[256 * 3];
    for (int i = 0; i < count * 3; ++i)
        palette[i] = static_cast<unsigned char>(gray ? rand() % 256 : rand());
    if (gray)
        for (int i = 0; i < count; ++i)
            palette[3 * i + 1] = palette[3 * i + 2] = palette[3 * i];
    XslSetPalette(image.get(), palette, count);
    for (long i = 0; i < long(W) * H; ++i)
        image->data[i] = static_cast<unsigned char>(rand());
    return image;
}

}  // namespace

TEST(TablesToGray, SamePixelsAsPlanesTablesThenGray)
{
    srand(3);
    const std::function<XslImagePtr()> pictures[] = {
        [] { return random_direct(2, 0x7C00, 0x03E0, 0x001F); },
        [] { return random_direct(3, 0xFF0000, 0xFF00, 0xFF); },
        [] { return random_direct(4, 0xFF, 0xFF00, 0xFF0000); },
        [] { return random_colormap(200, false); },
        [] { return random_colormap(256, true); },
    };
    unsigned char tables[3][256], balance[3][256];
    ASSERT_TRUE(XslGammaTables(tables, 1.5, 0.7, 2.2));
    ASSERT_TRUE(XslBalanceTables(balance, 80, 120, 100));
    for (int c = 0; c < 3; ++c)
        for (auto& v : tables[c])
            v = balance[c][v];
    for (const auto& make : pictures) {
        XslImagePtr fast = make();
        XslImagePtr staged(XSLAllocAndCopy(fast.get()));
        ASSERT_TRUE(staged);
        ASSERT_TRUE(XSLConv24RGB(staged.get()));
        ASSERT_TRUE(XSLGamma(staged.get(), 1.5, 0.7, 2.2));
        ASSERT_TRUE(XSLValance(staged.get(), 80, 120, 100));
        ASSERT_TRUE(XSLConvGray(staged.get()));
        ASSERT_TRUE(XSLTablesToGray(fast.get(), tables[0], tables[1], tables[2]));
        EXPECT_EQ(XslKindOf(fast.get()), XslKindOf(staged.get()));
        EXPECT_EQ(fast->bytes_per_pixel, 1);
        ASSERT_EQ(fast->ncolors, staged->ncolors);
        EXPECT_EQ(memcmp(fast->colormap, staged->colormap, 256 * sizeof(XSColor)), 0);
        EXPECT_EQ(memcmp(fast->data, staged->data, W * H), 0) << "picture " << &make - pictures;
    }
    // No table changes anything: nothing is made. Another kind is refused.
    EXPECT_FALSE(XslGammaTables(tables, 1.0, -2.0, 0.0));
    EXPECT_FALSE(XslBalanceTables(tables, 100, 100, 100));
    XslImagePtr rgb = XslNewRgbImage(2, 2);
    EXPECT_EQ(XSLTablesToGray(rgb.get(), tables[0], tables[1], tables[2]), 0);
}
