// pixlane reads PBM, PGM and PPM pictures from a named file and from standard input.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"
#include "temp_dir.h"

namespace {
const std::string kSample = std::string(SAMPLES_DIR) + "/sample.pgm";

std::string with_bytes(std::string header, std::initializer_list<int> data)
{
    for (int b : data)
        header += static_cast<char>(b);
    return header;
}
}  // namespace

TEST(ReadPicture, FromANamedFile)
{
    TempDir dir;
    ProgramResult r = run_program(PIXLANE_BIN, {"-in", kSample, "-out", dir.file("out.prn")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST(ReadPicture, EveryFormFromStandardInput)
{
    const std::string pictures[] = {
        read_file(kSample),
        "P2 2 2 15\n0 5\n10 15\n",
        with_bytes("P4 9 2\n", {0xff, 0x80, 0x00, 0x00}),
        "P3 1 2 255\n255 0 0 0 0 255\n",
        with_bytes("P6 1 1 255\n", {1, 2, 3}),
    };
    for (const std::string& picture : pictures) {
        ProgramResult r = run_program(PIXLANE_BIN, {}, picture);
        EXPECT_EQ(r.status, 0) << picture.substr(0, 12) << ": " << r.err;
    }
}

TEST(ReadPicture, DamagedPictureFailsWithoutOutput)
{
    const std::string whole = read_file(kSample);
    const std::string damaged = whole.substr(0, whole.size() / 2);
    TempDir dir;
    write_file(dir.file("cut.pgm"), damaged);

    ProgramResult from_file = run_program(PIXLANE_BIN, {"-in", dir.file("cut.pgm")});
    ProgramResult from_stdin = run_program(PIXLANE_BIN, {}, damaged);
    ProgramResult plain_letter = run_program(PIXLANE_BIN, {}, "P2 2 1 255\n1 x 2\n");
    for (const ProgramResult* r : {&from_file, &from_stdin, &plain_letter}) {
        EXPECT_NE(r->status, 0);
        EXPECT_FALSE(r->signalled);
        EXPECT_EQ(r->out, "");
        EXPECT_NE(r->err, "");
    }
}

TEST(ReadPicture, NamedPipeIsCopiedLikeStandardInput)
{
    const std::string picture = read_file(kSample);
    TempDir dir;
    ProgramResult piped = run_program(PIXLANE_BIN, {"-in", "/dev/stdin"}, picture,
                                      {{"TMPDIR", dir.path()}});
    ProgramResult plain = run_program(PIXLANE_BIN, {}, picture);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_GT(piped.out.size(), 0u);
    EXPECT_EQ(piped.out, plain.out);
    EXPECT_TRUE(dir.entries().empty());
}
