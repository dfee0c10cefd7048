// Copies, collation and page counts of raster pages and PDF through the
// Printer Application: the file device gets what rastertolane sends for a
// raster document with the same copies, 1-bit pages print as they are, and
// every page is counted once per copy.
#include <gtest/gtest.h>

#include <cstring>

#include "app_server.h"
#include "raster_maker.h"
#include "spooler_fixture.h"
#include "viewed_job.h"

namespace {

// An A4 page at 300 dpi with a black bar `top` rows down, of `space` and bits.
std::string pwg_bar(cups_cspace_t space, unsigned bits, unsigned top, int pages = 1)
{
    std::vector<RasterPage> list;
    for (int i = 0; i < pages; ++i) {
        RasterPage page = blank_raster_page(space, bits, 2480, 3508, space == CUPS_CSPACE_K ? 0 : 255);
        page.dpi = 300;
        const unsigned line = page.bytes_per_line();
        for (unsigned y = top + 300 * i; y < top + 300 * i + 50; ++y)
            std::memset(page.rows.data() + size_t(y) * line, space == CUPS_CSPACE_K ? 0xFF : 0, line / 3);
        list.push_back(page);
    }
    return raster_document(list, CUPS_RASTER_WRITE_PWG);
}

// The impressions PAPPL logged for the job that ended last.
int impressions(const std::string& log)
{
    const size_t at = log.rfind("job-impressions-completed=");
    return at == std::string::npos ? -1 : std::atoi(log.c_str() + at + std::strlen("job-impressions-completed="));
}

std::vector<int> copies_of_sheets(const std::string& stream)
{
    std::vector<int> copies;
    for (const ViewedPage& p : view(stream).pages)
        copies.push_back(p.page.copies);
    return copies;
}

}  // namespace

TEST(PrinterAppRasterCopies, CopiesAreExactAndPagesCountedOnce)
{
    AppServer app;
    const std::string device = app.start_with_file_printer("lane");
    ASSERT_FALSE(device.empty()) << read_file(app.dir.file("output"));
    const struct {
        const char* name;
        std::string document;
        std::vector<std::string> options;
        const char* filter_options;   // rastertolane's words for a raster document; null for PDF
        std::vector<int> copies;      // of each sheet sent
        int impressions;
    } cases[] = {
        {"gray.pwg", pwg_bar(CUPS_CSPACE_SW, 8, 200), {"copies=2"}, "", {2}, 2},
        {"black.pwg", pwg_bar(CUPS_CSPACE_K, 1, 200), {"print-color-mode=bi-level"}, "", {1}, 1},
        {"black3.pwg", pwg_bar(CUPS_CSPACE_K, 1, 200), {"copies=3"}, "", {3}, 3},
        {"pages.pwg", pwg_bar(CUPS_CSPACE_SW, 8, 200, 2), {"copies=2", "multiple-document-handling=separate-documents-uncollated-copies"}, "collate=false", {2, 2}, 4},
        {"pages.pdf", small_pdf(2, 595, 842), {"copies=2"}, nullptr, {1, 1, 1, 1}, 4},
        {"pages3.pdf", small_pdf(2, 595, 842), {"copies=3", "multiple-document-handling=separate-documents-uncollated-copies"}, nullptr, {3, 3}, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = app.dir.file(c.name);
        write_file(file, c.document);
        write_file(device, "");
        ASSERT_GT(app.submit("lane", file, c.options), 0);
        ASSERT_TRUE(app.wait_idle("lane")) << app.jobs("lane");
        const std::string printed = read_file(device);
        EXPECT_EQ(copies_of_sheets(printed), c.copies);
        EXPECT_EQ(impressions(app.log()), c.impressions);
        if (c.filter_options != nullptr) {
            const int n = c.copies.size() == 1 ? c.copies[0] : 2;
            const FilterRun expected = run_filter(RASTERTOLANE_BIN, std::to_string(n), c.filter_options, file, {},
                                                  {{"CONTENT_TYPE", "image/pwg-raster"}});
            ASSERT_EQ(expected.result.status, 0) << expected.result.err;
            std::string why;
            EXPECT_TRUE(printed == expected.result.out)
                << printed.size() << " against " << expected.result.out.size() << " bytes; "
                << (same_dots(printed, expected.result.out, &why) ? "same dots" : why);
        }
    }
}
