// Many clients at once (LANE_LOAD_CLIENTS; 50, or 10 under the sanitizer, 5 jobs each),
// mixing PDF, PWG raster, JPEG, TIFF and text, to a folder device and to a
// slow network printer: every job printed once, whole, with its pages; the
// server's open files and memory bounded, and it answers afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app_server.h"
#include "fake_printer.h"
#include "ipp_client.h"
#include "pdf_pages.h"
#include "picture_maker.h"
#include "raster_maker.h"

namespace {

struct Document {
    const char* format;
    std::string bytes;
    int pages;
};

std::vector<Document> documents()
{
    RasterPage page = blank_raster_page(CUPS_CSPACE_SW, 8, 600, 800, 255);
    page.dpi = 300;
    std::vector<Document> d = {{"image/pwg-raster", raster_document({page}, CUPS_RASTER_WRITE_PWG), 1},
                               {"image/jpeg", picture_bytes("JPEG", 120, 80), 1},
                               {"image/tiff", gray_tiff_pages({{40, 30}, {30, 60}}), 2},
                               {"text/plain", "a page of text\n", 1}};
    if (pdf_renderer_installed())
        d.push_back({"application/pdf", small_pdf(2, 595, 842), 2});
    return d;
}

// A Print-Job of `document` to printer `name`; true when accepted. A
// streamed raster document is refused while the printer prints another job:
// as real clients do, it is sent again after a pause, until `give_up`.
bool print(int port, const std::string& name, const Document& document, const std::string& title,
           std::chrono::steady_clock::time_point give_up)
{
    for (;;) {
        ipp_t* r = ippNewRequest(IPP_OP_PRINT_JOB);
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, ("ipp://localhost/ipp/print/" + name).c_str());
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "load");
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, document.format);
        const std::string answer = talk(port, http_post("/ipp/print/" + name, ipp_message(r, document.bytes)));
        const size_t body = answer.find("\r\n\r\n");
        const int status = body != std::string::npos && answer.size() >= body + 8
                               ? static_cast<unsigned char>(answer[body + 6]) << 8 | static_cast<unsigned char>(answer[body + 7])
                               : -1;
        if (status == IPP_STATUS_ERROR_BUSY && std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            continue;
        }
        // successful-ok, or successful with attributes ignored
        if (status >= 0 && status < 0x100)
            return true;
        std::fprintf(stderr, "%s refused: %s\n", document.format,
                     status < 0 ? "no answer" : ippErrorString(static_cast<ipp_status_t>(status)));
        return false;
    }
}

int pages_of(const std::string& stream)
{
    const std::string report = run_program(LANEVIEW_BIN, {}, stream).out;
    const size_t at = report.find(" page");
    size_t start = at;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(report[start - 1])))
        --start;
    return at == std::string::npos || start == at ? -1 : std::atoi(report.c_str() + start);
}

}  // namespace

TEST(PrinterAppLoad, EveryJobOfManyClientsPrintsOnceAndWhole)
{
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    const std::string folder = app.dir.file("jobs");
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(app.add_printer("folder", "file://" + folder));
    FakePrinter slow;
    slow.read_delay_ms = 1;
    slow.start();
    ASSERT_TRUE(app.add_printer("slow", slow.uri()));
    const std::vector<Document> kinds = documents();
    const char* count = std::getenv("LANE_LOAD_CLIENTS");
#if defined(__SANITIZE_ADDRESS__)
    const int usual = 10;  // the sanitizer's server is several times slower
#else
    const int usual = 50;
#endif
    const int clients = count != nullptr ? std::atoi(count) : usual, jobs = 5;
    const size_t files_before = open_files(app.pid);

    const auto start = std::chrono::steady_clock::now();
    const auto give_up = start + std::chrono::seconds(300);
    std::vector<std::thread> threads;
    std::vector<int> accepted(static_cast<size_t>(clients)), pages(2);
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            for (int j = 0; j < jobs; ++j) {
                const Document& d = kinds[static_cast<size_t>(c + j) % kinds.size()];
                accepted[static_cast<size_t>(c)] += print(app.port, c % 2 ? "slow" : "folder", d, "Untitled", give_up);
            }
        });
    for (std::thread& t : threads)
        t.join();
    ASSERT_TRUE(app.wait_idle("folder", 300));
    ASSERT_TRUE(app.wait_idle("slow", 300));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (int c = 0; c < clients; ++c) {
        EXPECT_EQ(accepted[static_cast<size_t>(c)], jobs) << "client " << c;
        for (int j = 0; j < jobs; ++j)
            pages[static_cast<size_t>(c % 2)] += kinds[static_cast<size_t>(c + j) % kinds.size()].pages;
    }
    const std::string listing = app.jobs("folder") + app.jobs("slow");
    size_t completed = 0;
    for (size_t at = listing.find(" completed "); at != std::string::npos; at = listing.find(" completed ", at + 1))
        ++completed;
    EXPECT_EQ(completed, static_cast<size_t>(clients * jobs));

    // One whole file per job in the folder; one stream of every page at the printer.
    int folder_files = 0, folder_pages = 0;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        ++folder_files;
        const int n = pages_of(read_file(file.path()));
        EXPECT_GT(n, 0) << file.path();
        folder_pages += n;
    }
    EXPECT_EQ(folder_files, (clients + 1) / 2 * jobs);
    EXPECT_EQ(folder_pages, pages[0]);
    ASSERT_TRUE(slow.wait_closed(1));
    std::string sent;
    for (const std::string& connection : slow.connections())
        sent += connection;
    EXPECT_EQ(pages_of(sent), pages[1]);

    EXPECT_TRUE(printer_answers(app.port, "folder"));
    EXPECT_LE(open_files(app.pid), files_before + 4);
    const size_t resident = resident_kb(app.pid);
    EXPECT_LT(resident, 512u * 1024u);
    std::printf("%d clients x %d jobs (%d pages) in %.0f s: %.1f jobs/s; %zu kB resident; open files %zu before, %zu after\n",
                clients, jobs, pages[0] + pages[1], seconds, clients * jobs / seconds, resident, files_before,
                open_files(app.pid));
}
