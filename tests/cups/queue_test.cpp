// A whole print job through the real spooler: a private cupsd on a loopback
// port with its own configuration, a queue with the PPD on a file device, jobs
// sent with lp; the device file must hold what pixlane and textlane write.
#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "private_cupsd.h"
#include "spooler_fixture.h"
#include "viewed_job.h"

namespace {

// The media names the scheduler offers IPP clients for the queue
// (media-supported), asked with ipptool.
std::vector<std::string> media_supported(const PrivateCupsd& cupsd, const std::string& queue)
{
    const ProgramResult r = run_cups(
        "ipptool", {"-tv", "ipp://" + cupsd.host + "/printers/" + queue, "get-printer-attributes.test"});
    const std::string head = "media-supported (1setOf keyword) = ";
    const size_t at = r.out.find(head), from = at + head.size();
    std::istringstream list(at == std::string::npos ? "" : r.out.substr(from, r.out.find('\n', from) - from));
    std::vector<std::string> names;
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

}  // namespace

TEST(CupsQueue, JobsSentWithLpReachTheDeviceAsTheFiltersWriteThem)
{
    PrivateCupsd cupsd;
    if (!cupsd.start())
        GTEST_SKIP() << "cupsd cannot start here: "
                     << (cups_program("cupsd").empty() ? "it is not installed"
                                                       : read_file(cupsd.spooler.file("log/cupsd_output")));
    const std::string device = cupsd.spooler.file("device.prn");
    ProgramResult r = run_cups("lpadmin", {"-h", cupsd.host, "-p", "lane", "-E", "-v", "file://" + device, "-P",
                                           cupsd.spooler.ppd});
    ASSERT_EQ(r.status, 0) << r.err;

    // What IPP clients see: a name a paper and the custom range. The
    // scheduler names a size by its dimensions alone: PWG's name where there
    // is one, else the size itself, as for every turned paper.
    if (!cups_program("ipptool").empty()) {   // the set-up installs it
        EXPECT_EQ(media_supported(cupsd, "lane"),
                  (std::vector<std::string>{
                      "iso_a3_297x420mm", "custom_420x297mm_420x297mm", "iso_a4_210x297mm", "custom_297x210mm_297x210mm",
                      "iso_a5_148x210mm", "custom_210x148mm_210x148mm", "jpn_hagaki_100x148mm",
                      "custom_148x100mm_148x100mm", "jis_b4_257x364mm", "custom_364x257mm_364x257mm", "jis_b5_182x257mm",
                      "custom_257x182mm_257x182mm", "jis_b6_128x182mm", "custom_182x128mm_182x128mm",
                      "na_letter_8.5x11in", "custom_11x8.5in_11x8.5in", "na_legal_8.5x14in", "custom_14x8.5in_14x8.5in",
                      "na_ledger_11x17in", "na_executive_7.25x10.5in", "custom_10.5x7.25in_10.5x7.25in",
                      "om_folio_210x330mm", "custom_min_1x1in", "custom_max_17x17in"}));
    }

    const std::string picture = cupsd.spooler.file("photo.jpg");
    write_file(picture, picture_bytes("JPEG", 60, 40));
    const std::string text = cupsd.spooler.file("letter.txt");
    write_file(text, sample_text("EUC-JP"));
    const struct {
        std::vector<std::string> lp;
        const char* program;
        std::vector<std::string> words;
        const char* file;
    } jobs[] = {
        {{"-n", "2", "-o", "landscape", "-o", "fit-to-page"}, PIXLANE_BIN,
         {"-cp", "2", "-ps", "A4", "-po", "1", "-r", "240", "-di", "0", "-fi", "0", "-la", "2"}, "photo.jpg"},
        {{"-o", "media=Custom.100x150mm"}, TEXTLANE_BIN, {"-cp", "1", "-ps", "100x150", "-fc", "0"}, "letter.txt"},
        {{"-n", "3", "-o", "media=Custom.4x6in", "-o", "Resolution=300dpi"}, PIXLANE_BIN,
         {"-cp", "3", "-ps", "101.6x152.4", "-r", "300", "-di", "0", "-la", "2"}, "photo.jpg"},
        // A turned paper by the name IPP clients see prints on that paper.
        {{"-o", "media=custom_297x210mm_297x210mm"}, PIXLANE_BIN,
         {"-cp", "1", "-ps", "A4R", "-r", "240", "-di", "0", "-la", "2"}, "photo.jpg"},
    };
    for (const auto& job : jobs) {
        std::vector<std::string> args = {"-h", cupsd.host, "-d", "lane"};
        args.insert(args.end(), job.lp.begin(), job.lp.end());
        args.push_back(cupsd.spooler.file(job.file));
        r = run_cups("lp", args);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(cupsd.wait_for_queue("lane")) << "the job did not finish\n" << cupsd.log();
        EXPECT_EQ(read_file(device), direct_stream(job.program, job.words, cupsd.spooler.file(job.file)))
            << job.file << "\n" << cupsd.log();
    }
    // Every job was counted, with its copies.
    const std::string pages = read_file(cupsd.spooler.file("log/page_log"));
    for (const char* counted : {"total 2 - localhost photo.jpg", "total 1 - localhost letter.txt",
                                "total 3 - localhost photo.jpg", "total 1 - localhost photo.jpg"})
        EXPECT_NE(pages.find(counted), std::string::npos) << counted << "\n" << pages;
}

TEST(CupsQueue, APdfSentWithLpPrintsEveryPage)
{
    if (access("/usr/bin/gs", X_OK) != 0)
        GTEST_SKIP() << "Ghostscript is not installed";
    PrivateCupsd cupsd(true);   // the system filters draw the PDF
    if (!cupsd.start())
        GTEST_SKIP() << "cupsd cannot start here";
    const std::string device = cupsd.spooler.file("device.prn");
    ProgramResult r = run_cups("lpadmin", {"-h", cupsd.host, "-p", "lane", "-E", "-v", "file://" + device, "-P",
                                           cupsd.spooler.ppd});
    ASSERT_EQ(r.status, 0) << r.err;
    // Three pages, a black box on each lower down the page.
    std::string ps = "%!PS\n";
    for (int page = 0; page < 3; ++page)
        ps += "0 setgray 100 " + std::to_string(600 - 200 * page) + " 144 72 rectfill showpage\n";
    const std::string source = cupsd.spooler.file("doc.ps"), pdf = cupsd.spooler.file("doc.pdf");
    write_file(source, ps);
    r = run_program("/usr/bin/gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite",
                                    "-sPAPERSIZE=a4", "-sOutputFile=" + pdf, source});
    ASSERT_EQ(r.status, 0) << r.err;

    r = run_cups("lp", {"-h", cupsd.host, "-d", "lane", "-n", "2", pdf});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(cupsd.wait_for_queue("lane")) << "the job did not finish\n" << cupsd.log();
    const ViewedJob job = view(read_file(device));
    EXPECT_EQ(job.problem_text, "") << cupsd.log();
    ASSERT_EQ(job.pages.size(), 3u) << cupsd.log();
    long last_top = -1;
    for (const ViewedPage& page : job.pages) {
        EXPECT_STREQ(page.page.sheet.name, "A4");
        EXPECT_EQ(page.page.copies, 2);
        const Box box = black_box(page.picture);
        EXPECT_NEAR(box.left, 100 * 240 / 72, 2);
        EXPECT_NEAR(box.width(), 144 * 240 / 72, 2);
        EXPECT_GT(box.top, last_top);
        last_top = box.top;
    }
}
