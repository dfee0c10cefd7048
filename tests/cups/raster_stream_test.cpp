// Raster documents read as they come: the job's copies and collation for a
// document that was raster from the start, the compact stream that puts the
// same dots on paper as every line sent whole, and memory that stays a few
// lines for a long document on a pipe.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>

#include "in_child.h"
#include "raster_maker.h"
#include "run_program.h"
#include "spooler_fixture.h"
#include "temp_dir.h"
#include "viewed_job.h"

namespace {

const Env raster_job = {{"CONTENT_TYPE", "image/pwg-raster"}};

// A white page of 8-bit gray with a black bar at `top` of `rows` lines.
RasterPage bar_page(unsigned width, unsigned height, unsigned top, unsigned rows, unsigned dpi = 240)
{
    RasterPage p = blank_raster_page(CUPS_CSPACE_SW, 8, width, height, 255);
    p.dpi = dpi;
    for (unsigned y = top; y < top + rows && y < height; ++y)
        std::memset(p.rows.data() + size_t(y) * width, 0, width / 2);
    return p;
}

}  // namespace

TEST(RasterStream, JobCopiesAndCollationOfARasterDocument)
{
    TempDir dir;
    const std::string two = dir.file("two.ras"), one = dir.file("one.ras");
    write_file(two, raster_document({bar_page(200, 300, 10, 5), bar_page(200, 300, 100, 5)}, CUPS_RASTER_WRITE_PWG));
    write_file(one, raster_document({bar_page(200, 300, 10, 5)}, CUPS_RASTER_WRITE_PWG));
    const struct {
        const std::string* file;
        const char* options;
        std::vector<std::string> pages;
        std::vector<long> bars;   // each sheet's bar, in order
    } cases[] = {
        {&two, "collate=true", {"PAGE: 1 1", "PAGE: 2 1", "PAGE: 3 1", "PAGE: 4 1"}, {10, 100, 10, 100}},
        {&two, "collate=false", {"PAGE: 1 2", "PAGE: 2 2"}, {10, 100}},
        {&one, "collate=true", {"PAGE: 1 2"}, {10}},
    };
    for (const auto& c : cases) {
        const FilterRun run = run_filter(RASTERTOLANE_BIN, "2", c.options, *c.file, {}, raster_job);
        ASSERT_EQ(run.result.status, 0) << run.result.err;
        EXPECT_EQ(run.lines("PAGE:"), c.pages) << c.options;
        const ViewedJob job = view(run.result.out);
        EXPECT_EQ(job.problem_text, "");
        std::vector<long> bars;
        for (const ViewedPage& p : job.pages)
            bars.push_back(black_box(p.picture).top);
        EXPECT_EQ(bars, c.bars) << c.options;
    }
}

// Blank runs of every length against the q lines a whole move takes (5 at
// 100 dpi), lines white at their start and end: laneview draws pixlane's full stream
// of the same picture and the compact one dot for dot.
TEST(RasterStream, CompactStreamDrawsTheSameDots)
{
    TempDir dir;
    RasterPage page = blank_raster_page(CUPS_CSPACE_SW, 8, 300, 120, 255);
    page.dpi = 100;
    std::string pnm = "P5\n300 120\n255\n";
    for (unsigned y = 0; y < 120; ++y)
        for (unsigned x = 0; x < 300; ++x) {
            const bool band = (y / 7) % 3 == 0 || y == 50 || (y >= 60 && y < 73);
            const unsigned left = y % 4 * 37;   // white before it: none, or less or more than a whole move
            const unsigned char v = band && x >= left && x < 40 + y + left ? static_cast<unsigned char>((x * 5 + y) % 200) : 255;
            page.rows[size_t(y) * 300 + x] = v;
            pnm.push_back(static_cast<char>(v));
        }
    const std::string raster = dir.file("page.ras"), picture = dir.file("page.pgm");
    write_file(raster, raster_document({page}, CUPS_RASTER_WRITE_PWG));
    write_file(picture, pnm);
    for (const char* method : {"ErrorDiffusion", "Bayer", "Threshold"}) {
        const FilterRun run = run_filter(RASTERTOLANE_BIN, "1", std::string("Halftoning=") + method, raster);
        ASSERT_EQ(run.result.status, 0) << run.result.err;
        const std::string full = direct_stream(
            PIXLANE_BIN,
            {"-r", "100", "-gm", "0.6666666666666666", "-x", "0", "-y", "0", "-di",
             std::to_string(std::string(method) == "Bayer" ? 2 : std::string(method) == "Threshold" ? 5 : 0)},
            picture);
        std::string why;
        EXPECT_TRUE(same_dots(run.result.out, full, &why)) << method << ": " << why;
        EXPECT_LT(run.result.out.size(), full.size() * 3 / 4) << method;
    }
}

// Forty A4 pages at 300 dpi through a pipe: the filter holds a few lines,
// not a page (one page is 8.7 MB of gray).
TEST(RasterStream, LongDocumentOnAPipeKeepsMemoryBounded)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory is counted in the filter's";
#endif
    // The pages one after the other behind one sync word, made small: the
    // test's own memory is counted in the filter's until it starts.
    std::string document;
    {
        const std::string one = raster_document({bar_page(2480, 3508, 1000, 200, 300)}, CUPS_RASTER_WRITE_COMPRESSED);
        document = one;
        for (int i = 1; i < 40; ++i)
            document.append(one, 4);
    }
    const ChildResult child = run_in_child([&] {
        const ProgramResult r = run_program(RASTERTOLANE_BIN, {"1", "tester", "job", "1", ""}, document);
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return std::to_string(r.status) + " " + std::to_string(usage.ru_maxrss);
    });
    ASSERT_TRUE(child.returned);
    long status = -1, peak_kb = 0;
    ASSERT_EQ(std::sscanf(child.bytes.c_str(), "%ld %ld", &status, &peak_kb), 2);
    EXPECT_EQ(status, 0);
    EXPECT_LT(peak_kb, 12 * 1024) << "peak resident set of the filter";
}
