// The text job as both programs run it: pages told to the report, geta marks
// counted in a notice, an unknown input code refused, a cancelled job ended.
#include <gtest/gtest.h>

#include "cancel.h"
#include "job_runner.h"
#include "text_job.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Told {
    std::vector<std::pair<int, int>> pages;
    std::vector<std::string> notices;
    std::vector<std::pair<int, std::string>> failures;
    std::string out;
    int status = -1;
};

Told run(TextSettings settings, const std::string& input)
{
    Told told;
    job_report report;
    report.context = &told;
    report.page_sent = [](void* c, int page, int copies) { static_cast<Told*>(c)->pages.emplace_back(page, copies); };
    report.notice = [](void* c, const char* text) { static_cast<Told*>(c)->notices.emplace_back(text); };
    report.failed = [](void* c, int err, const char* reason) {
        static_cast<Told*>(c)->failures.emplace_back(err, reason);
    };
    FILE* in = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    char* bytes = nullptr;
    size_t size = 0;
    settings.input = in;
    settings.output = open_memstream(&bytes, &size);
    told.status = print_text(&settings, report);
    std::fclose(in);
    std::fclose(settings.output);
    told.out.assign(bytes, size);
    std::free(bytes);
    return told;
}

}  // namespace

TEST(TextJob, EveryFormFeedEndsAReportedPage)
{
    TextSettings s = defaults();
    s.copies = 3;
    const Told told = run(s, "one\n\ftwo\fthree\n");
    EXPECT_EQ(told.status, 0);
    EXPECT_EQ(told.pages, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(told.out, run_job(s, "one\n\ftwo\fthree\n"));
    EXPECT_TRUE(told.failures.empty());
}

TEST(TextJob, GetaMarksAreCountedInOneNotice)
{
    TextSettings s = defaults();
    s.kanji_code = 3;
    const Told told = run(s, "\xF0\x9F\x98\x80 \xE2\x82\xAC \xE3\x81\x82\n");  // emoji, euro sign, hiragana a
    EXPECT_EQ(told.status, 0);
    EXPECT_EQ(told.notices, (std::vector<std::string>{"2 characters outside JIS X 0208 printed as \u3013"}));
}

TEST(TextJob, UnknownInputCodeFailsBeforeAnythingIsWritten)
{
    TextSettings s = defaults();
    s.kanji_code = 7;
    const Told told = run(s, "text\n");
    EXPECT_EQ(told.status, 1);
    EXPECT_EQ(told.out, "");
    ASSERT_EQ(told.failures.size(), 1u);
    EXPECT_EQ(told.failures[0].second, "unknown input code 7 (0 EUC, 1 Shift-JIS, 2 JIS, 3 UTF-8)");
}

TEST(TextJob, CancelledJobStopsAfterTheLineAndEndsThePage)
{
    job_context cancelled;
    cancelled.cancelled = [](void*) { return true; };
    TextSettings s = defaults();
    s.context = &cancelled;
    const Told told = run(s, "first\nsecond\n");
    EXPECT_NE(told.status, 0);
    EXPECT_TRUE(told.pages.empty());
    ASSERT_EQ(told.failures.size(), 1u);
    EXPECT_EQ(told.failures[0].first, ECANCELED);
    EXPECT_EQ(told.out, setup_stream() + "first\n" + end_of_job);
}
