// Pages told to the job's report, and a cancelled job ending its page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "cancel.h"
#include "job.h"
#include "job_fixture.h"
#include "printer_stream.h"

namespace {

using Pages = std::vector<std::pair<int, int>>;

job_report recording(Pages* pages)
{
    job_report report;
    report.context = pages;
    report.page_sent = [](void* context, int page, int copies) {
        static_cast<Pages*>(context)->emplace_back(page, copies);
    };
    return report;
}

struct Sent {
    int result;
    int err;
    Pages pages;
    PrinterStream stream;
};

// Sends a 10-line picture with `copies`, the job cancelled before the first
// line when `cancelled` is set; asked for two threads, a 20-line picture
// whose lines two threads make with `method` (ordered dither by default).
Sent send(int copies, bool cancelled, bool two_threads = false, int method = 2)
{
    MemoryStream setup;
    MemoryStream out;
    Settings settings = default_settings(setup.file());
    settings.copies = copies;
    settings.y_scale = settings.x_scale = 0.1 / 2.4;  // 10 lines of 10 dots
    if (two_threads) {
        settings.y_scale *= 2;
        settings.dither = method;
    }
    Image picture = uniform_picture(100, 100, 0);
    PageLayout layout{};
    EXPECT_EQ(initialize(&settings, picture.get(), &layout), 1);
    settings.output = out.file();
    Sent sent;
    const job_report report = recording(&sent.pages);
    job_context context;
    context.cancelled = [](void* data) { return *static_cast<bool*>(data); };
    context.cancel_data = &cancelled;
    errno = 0;
    RasterJobPtr job(make_raster_job());
    set_job_context(job.get(), &context);
    set_second_thread_from(job.get(), two_threads ? 0 : -1);
    sent.result = send_data(job.get(), &settings, &layout, picture.get(), &report);
    sent.err = errno;
    sent.stream = parse_printer_stream(out.text());
    return sent;
}

long count(const PrinterStream& s, const std::string& command)
{
    return std::count(s.commands.begin(), s.commands.end(), command);
}

}  // namespace

TEST(PageReport, OneReportPerTransmissionWithItsCopies)
{
    const struct {
        int copies;
        Pages pages;
    } cases[] = {
        {1, {{1, 1}}},
        {99, {{1, 99}}},
        {150, {{1, 99}, {1, 51}}},
        {250, {{1, 99}, {1, 99}, {1, 52}}},
    };
    for (const auto& c : cases) {
        const Sent sent = send(c.copies, false);
        EXPECT_EQ(sent.result, 1);
        EXPECT_EQ(sent.pages, c.pages) << c.copies;
        EXPECT_EQ(count(sent.stream, "FF"), static_cast<long>(c.pages.size()));
    }
}

TEST(PageReport, CancelledJobEndsThePageAfterOneLineAndReportsNoPage)
{
    // One thread; two with ordered dither; two with error diffusion.
    const struct {
        bool two_threads;
        int method;
    } cases[] = {{false, 2}, {true, 2}, {true, 0}};
    for (const auto& c : cases) {
        const Sent sent = send(150, true, c.two_threads, c.method);
        EXPECT_EQ(sent.result, 0);
        EXPECT_EQ(sent.err, ECANCELED);
        EXPECT_TRUE(sent.pages.empty());
        EXPECT_EQ(sent.stream.error, "");
        EXPECT_EQ(sent.stream.rows.size(), 1u);
        ASSERT_FALSE(sent.stream.commands.empty());
        EXPECT_EQ(sent.stream.commands.back(), "FF");
        EXPECT_EQ(count(sent.stream, "FF"), 1);
    }
}
