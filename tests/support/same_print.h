// Whole pixlane jobs compared: a picture prints like a reference picture,
// and a damaged one fails cleanly. For test trees that know PIXLANE_BIN.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

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

// Every file prints, from its name and from standard input, the very stream
// the reference anymap prints.
inline void expectPrintsLike(const std::string& anymap, const std::vector<std::string>& files)
{
    TempDir dir;
    write_file(dir.file("reference.pnm"), anymap);
    ProgramResult reference = run_program(PIXLANE_BIN, {"-in", dir.file("reference.pnm")});
    ASSERT_EQ(reference.status, 0) << reference.err;
    ASSERT_GT(reference.out.size(), 100u);
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        const std::string name = dir.file("picture" + std::to_string(i));
        write_file(name, files[i]);
        ProgramResult named = run_program(PIXLANE_BIN, {"-in", name});
        ProgramResult piped = run_program(PIXLANE_BIN, {}, files[i]);
        EXPECT_EQ(named.status, 0) << named.err;
        EXPECT_EQ(piped.status, 0) << piped.err;
        EXPECT_EQ(named.out, reference.out);
        EXPECT_EQ(piped.out, reference.out);
    }
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
