// Whole jobs compared: a picture prints like a reference picture, and a
// damaged one fails cleanly.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

// Prints the reference file, the picture file, and the picture's bytes fed
// through standard input; all three streams must agree.
inline void expectSamePrint(const std::string& reference, const std::string& picture, const std::string& picture_bytes)
{
    ProgramResult expected = run_program(PIXLANE_BIN, {"-in", reference});
    ProgramResult file = run_program(PIXLANE_BIN, {"-in", picture});
    ProgramResult piped = run_program(PIXLANE_BIN, {}, picture_bytes);
    ASSERT_EQ(expected.status, 0) << expected.err;
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_GT(expected.out.size(), 100u);
    EXPECT_EQ(file.out, expected.out);
    EXPECT_EQ(piped.out, expected.out);
}

// The job ends with the program's message, a non-zero status and no output.
inline void expectCleanFailure(const std::string& picture)
{
    ProgramResult r = run_program(PIXLANE_BIN, {"-in", picture});
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(r.signalled);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("pixlane: "), std::string::npos);
}
