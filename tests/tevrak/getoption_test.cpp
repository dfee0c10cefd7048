#include "tevrak.h"

#include <gtest/gtest.h>

TEST(Optsrch, ExactNamesAndFirstLetterFlags)
{
    const option_entry table[] = {
        {"dpi", "r", 1}, {"verbose", nullptr, -1}, {"dpi", "d", 0}, {nullptr, nullptr, 0}};
    EXPECT_EQ(optsrch(table, "dpi"), 0);
    EXPECT_EQ(optsrch(table, "r"), 0);
    EXPECT_EQ(optsrch(table, "dp"), -1);
    EXPECT_EQ(optsrch(table, "v"), 1);
    EXPECT_EQ(optsrch(table, "vxyz"), 1);
    EXPECT_EQ(optsrch(table, "d"), 2);
    EXPECT_EQ(optsrch(table, ""), -1);
}
