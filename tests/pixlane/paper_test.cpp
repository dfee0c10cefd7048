#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "paper.h"

TEST(Paper, TableSizesAndCodes)
{
    int rows = 0;
    while (paper[rows].name != nullptr)
        ++rows;
    EXPECT_EQ(rows, 22);
    const paper_entry* a4 = paper_lookup("A4");
    EXPECT_EQ(a4->code, 14);
    EXPECT_DOUBLE_EQ(a4->width * 25.4, 210.0);
    EXPECT_DOUBLE_EQ(a4->height * 25.4, 297.0);
    const paper_entry* exer = paper_lookup("EXER");
    EXPECT_EQ(exer->code, 41);
    EXPECT_EQ(exer->width, 10.5);
    EXPECT_EQ(exer->height, 7.25);
    EXPECT_EQ(paper_lookup("F4")->code, 50);
}

TEST(Paper, LookupIgnoresCaseAndFallsBackToA3R)
{
    EXPECT_EQ(paper_lookup("a4"), paper_lookup("A4"));
    EXPECT_EQ(paper_lookup("pCaRdR")->code, 19);
    EXPECT_EQ(paper_lookup("b5r")->code, 27);
    // Whole names only: no prefixes, and anything unknown is A3R, not A4.
    for (const char* unknown : std::initializer_list<const char*>{"Q9", "A", "A4RR", "", " A4", nullptr}) {
        const paper_entry* p = paper_lookup(unknown);
        EXPECT_EQ(p->code, 13) << (unknown ? unknown : "(null)");
        EXPECT_EQ(p->name, std::string("A3R"));
    }
}
