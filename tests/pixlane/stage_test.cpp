#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "failure.h"
#include "job.h"
#include "temp_copy.h"
#include "temp_dir.h"
#include "xsimage.h"

namespace {

// Sets TMPDIR for one test and puts back what was there.
struct TmpdirSetting {
    std::string saved;
    bool had;
    explicit TmpdirSetting(const std::string& value)
    {
        const char* old = std::getenv("TMPDIR");
        had = old != nullptr;
        if (had)
            saved = old;
        setenv("TMPDIR", value.c_str(), 1);
    }
    ~TmpdirSetting()
    {
        if (had)
            setenv("TMPDIR", saved.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
};

Settings defaults()
{
    Settings s;
    set_default(&s);
    return s;
}

}  // namespace

TEST(Failure, ReasonsForLibraryCodes)
{
    EXPECT_EQ(xsl_reason(0), nullptr);
    EXPECT_STREQ(xsl_reason(XSE_UNKNOWN_FORMAT), "unknown image format");
    EXPECT_STREQ(xsl_reason(XSE_NO_MEMORY), "out of memory");
    EXPECT_STREQ(xsl_reason(XSE_DATA_READ), "damaged image data");
    EXPECT_NE(xsl_reason(999), nullptr);
}

TEST(FailureDeathTest, SystemErrorWinsOverLibraryCode)
{
    EXPECT_EXIT(
        {
            xslerrno = XSE_UNKNOWN_FORMAT;
            errno = EACCES;
            fail_job("pixlane", "unused");
        },
        testing::ExitedWithCode(EACCES), "^pixlane: Permission denied\n$");
}

TEST(FailureDeathTest, NoSystemErrorGivesReasonAndStatusOne)
{
    EXPECT_EXIT(
        {
            begin_stage();
            xslerrno = XSE_NO_MEMORY;
            fail_job("pixlane", "unused");
        },
        testing::ExitedWithCode(1), "^pixlane: out of memory\n$");
    EXPECT_EXIT(
        {
            begin_stage();
            fail_job("pixlane", "cannot write the output");
        },
        testing::ExitedWithCode(1), "^pixlane: cannot write the output\n$");
}

TEST(Terminate, WritesTheResetAndReportsStreamErrors)
{
    Settings s = defaults();
    s.output = std::tmpfile();
    ASSERT_NE(s.output, nullptr);
    EXPECT_EQ(terminate(&s), 1);
    std::rewind(s.output);
    char bytes[8] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, s.output), 2u);
    EXPECT_EQ(std::string(bytes), "\x1b<");
    std::fclose(s.output);

    s.output = std::fopen("/dev/full", "w");
    if (s.output == nullptr)
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(terminate(&s), 0);
    std::fclose(s.output);
}

TEST(TempCopy, DirectoryFollowsTmpdirWhenItIsADirectory)
{
    TempDir dir;
    {
        TmpdirSetting t(dir.path());
        EXPECT_EQ(temporary_directory(), dir.path());
    }
    {
        TmpdirSetting t(dir.file("missing"));
        EXPECT_EQ(temporary_directory(), P_tmpdir);
    }
    write_file(dir.file("plain"), "");
    TmpdirSetting t(dir.file("plain"));
    EXPECT_EQ(temporary_directory(), P_tmpdir);
}

TEST(TempCopy, CopiesEverythingAndLeavesNoName)
{
    TempDir dir;
    TmpdirSetting t(dir.path());
    std::string bytes;
    for (int i = 0; i < 3000; ++i)  // several 1024-byte blocks and a short one
        bytes += static_cast<char>(i * 7);
    write_file(dir.file("source"), bytes);
    FILE* in = std::fopen(dir.file("source").c_str(), "r");
    ASSERT_NE(in, nullptr);
    FILE* copy = copy_to_temporary(in);
    std::fclose(in);
    ASSERT_NE(copy, nullptr);
    // Made in the temporary directory under an "orv" name, removed at once.
    char target[4096] = {};
    std::string fd_link = "/proc/self/fd/" + std::to_string(fileno(copy));
    ASSERT_GT(readlink(fd_link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind(dir.file("orv"), 0), 0u) << target;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"source"}));
    std::string read(bytes.size() + 10, '\0');
    EXPECT_EQ(std::fread(read.data(), 1, read.size(), copy), bytes.size());
    read.resize(bytes.size());
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(std::fseek(copy, 100, SEEK_SET), 0);  // the readers seek
    EXPECT_EQ(std::fgetc(copy), static_cast<unsigned char>(bytes[100]));
    std::fclose(copy);
}

TEST(TempCopy, ReadErrorFailsAndLeavesNothing)
{
    TempDir dir;
    TmpdirSetting t(dir.path());
    // A stream open only for writing reports an error when read.
    FILE* unreadable = std::fopen(dir.file("plain").c_str(), "w");
    ASSERT_NE(unreadable, nullptr);
    errno = 0;
    EXPECT_EQ(copy_to_temporary(unreadable), nullptr);
    EXPECT_EQ(errno, EBADF);
    std::fclose(unreadable);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"plain"}));
}

TEST(ReadData, UnopenedInputReportsItsOpenError)
{
    Settings s = defaults();
    s.input = nullptr;
    s.input_errno = EACCES;
    errno = 0;
    EXPECT_EQ(read_data(&s), nullptr);
    EXPECT_EQ(errno, EACCES);
}

TEST(ReadData, UnknownContentLeavesTheLibraryCode)
{
    TempDir dir;
    write_file(dir.file("text"), "plain words\n");
    Settings s = defaults();
    s.input = std::fopen(dir.file("text").c_str(), "r");
    ASSERT_NE(s.input, nullptr);
    begin_stage();
    EXPECT_EQ(read_data(&s), nullptr);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
    std::fclose(s.input);
}
