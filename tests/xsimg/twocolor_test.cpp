// Which entry of a two-colour palette prints black.
#include <gtest/gtest.h>

#include "test_images.h"
#include "xstwocolor.h"

TEST(DarkerEntry, TheDarkerByLuminanceAndTheFirstOnATie)
{
    const struct {
        XSColor first, second;
        int black;
    } cases[] = {
        {Entry(0, 0, 0, 0), Entry(1, 255, 255, 255), 0},
        {Entry(0, 255, 255, 255), Entry(1, 0, 0, 0), 1},
        {Entry(0, 0, 0, 0), Entry(1, 0, 0, 0), 0},
        {Entry(0, 255, 215, 0), Entry(1, 0, 0, 128), 1},    // gold and navy
        {Entry(0, 128, 0, 0), Entry(1, 255, 255, 255), 0},  // dark red on white
        {Entry(0, 0, 0, 255), Entry(1, 255, 0, 0), 0},      // blue (28) under red (76)
        {Entry(0, 30, 10, 10), Entry(1, 10, 20, 10), 1},    // 16 against 15
    };
    for (const auto& c : cases) {
        const XSColor pair[2] = {c.first, c.second};
        EXPECT_EQ(XslDarkerEntry(pair), c.black) << c.first.red << "," << c.second.red;
    }
}
