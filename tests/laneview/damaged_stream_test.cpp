// Damaged and doubtful streams: each gives its checking message, none crashes.
#include <gtest/gtest.h>

#include <random>

#include "viewed_job.h"

namespace {

// A two-transmission job (120 copies) of a small patterned bitmap at 120 dpi.
const std::string& good_job()
{
    static const std::string stream =
        print_and_view(pbm(30, 20, [](int x, int y) { return (x + y) % 3 == 0; }),
                       {"-r", "120", "-cp", "120"})
            .stream;
    return stream;
}

std::string replaced(std::string s, const std::string& from, const std::string& to)
{
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? s : s.replace(at, from.size(), to);
}

// The job with `bytes` put after the set-up (before the first copies command).
std::string inserted(const std::string& bytes)
{
    return replaced(good_job(), "\x1b[99v", bytes + "\x1b[99v");
}

}  // namespace

TEST(DamagedStream, GoodJobIsWellFormed)
{
    const ViewedJob job = view(good_job());
    EXPECT_EQ(job.problem_text, "");
    ASSERT_EQ(job.pages.size(), 2u);
}

TEST(DamagedStream, EachDamageGivesItsMessage)
{
    // Each line of the job is ESC[5;5;120.r and 5 bytes.
    const std::string line = "\x1b[5;5;120.r";
    const std::string good = good_job();
    const struct {
        std::string stream;
        const char* message;
    } cases[] = {
        {replaced(good, line, "\x1b[6;6;120.r"), "raster line 1 of page 1: its byte count does not match its data"},
        {replaced(good, line, "\x1b[4;4;120.r"), "raster line 1 of page 1: its byte count does not match its data"},
        {replaced(good, line, "\x1b[5;4;120.r"), "two byte counts differ (5 and 4)"},
        {good.substr(0, good.find(line) + line.size() + 2), "declares 5 bytes, but only 2 remain"},
        {good.substr(0, good.size() - 3) + "\x1b<", "page 2 has no form feed before the reset"},
        {good.substr(0, good.size() - 2), "does not end with the closing reset"},
        {inserted("\x1b[5z"), "unknown command ESC[5z"},
        {inserted("\x1b[1;2v"), "malformed command ESC[1;2v"},
        {inserted("junk"), "4 bytes that are no command"},
        {inserted("\x1b[2;2;0.r\x01\x02"), "resolution 0 dpi"},
        {replaced(good, "\x1b[14p", "\x1b[99p"), "unknown paper code 99"},
        {replaced(good, "\x1b[99v", "\x1b[0v"), "copies 0 is outside 1 to 99"},
        {replaced(good, "\x1b[2 I", "\x1b[1 I"), "size unit 1 is not 1/720 inch"},
        {"", "the stream is empty"},
        {"\x1b<", "the stream prints no page"},
    };
    for (const auto& c : cases) {
        const ViewedJob job = view(c.stream);
        EXPECT_NE(job.problem_text.find(c.message), std::string::npos)
            << c.message << " not in:\n" << job.problem_text;
    }
}

TEST(DamagedStream, DotsOutsideTheSheetAreCounted)
{
    // 10 pixels at 240 dots each from 141 units (47 dots) in: 463 of 2400 dots
    // on each of the 24 lines fall beyond the 1984 dots of A4.
    const ViewedJob job = print_and_view(pbm(10, 10, [](int, int) { return true; }), {"-xs", "10000"});
    EXPECT_NE(job.problem_text.find("page 1: 24 raster lines put 11112 dots outside the sheet"),
              std::string::npos)
        << job.problem_text;
}

TEST(DamagedStream, CutAtEveryOffsetIsReported)
{
    const std::string& good = good_job();
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const ViewedJob job = view(good.substr(0, cut));
        ASSERT_FALSE(job.problems.empty()) << "cut at " << cut;
    }
}

TEST(DamagedStream, GarbageNeverCrashes)
{
    std::mt19937 random(15);
    const std::string& good = good_job();
    for (int round = 0; round < 300; ++round) {
        std::string s = good;
        const int changes = 1 + round % 8;
        for (int i = 0; i < changes; ++i) {
            const size_t at = random() % s.size();
            const char byte = static_cast<char>(round % 3 == 0 ? "\x1b[;.r\x0c\x0f" "0123456789"[random() % 16]
                                                               : random());
            if (random() % 2 == 0)
                s[at] = byte;
            else
                s.insert(at, 1, byte);
        }
        view(s);
    }
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    EXPECT_FALSE(view(noise).problems.empty());
}
