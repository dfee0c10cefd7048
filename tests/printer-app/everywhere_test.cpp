// CUPS's own IPP Everywhere test file against the Printer Application, with
// the PWG raster samples its print tests ask for written here with libcups
// (sgray-8, black-1 and srgb-8 at each resolution both the printer and the
// test file know), so that those tests run instead of being skipped.
#include <gtest/gtest.h>

#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app_server.h"
#include "picture_maker.h"

namespace {

struct SampleDocument {
    const char* name;
    const char* media;
    int pages;
};

const SampleDocument documents[] = {
    {"color.jpg-4x6", "na_index-4x6_4x6in", 1}, {"gray.jpg-4x6", "na_index-4x6_4x6in", 1},
    {"document-a4", "iso_a4_210x297mm", 2},      {"document-letter", "na_letter_8.5x11in", 2},
    {"onepage-a4", "iso_a4_210x297mm", 1},       {"onepage-letter", "na_letter_8.5x11in", 1},
};

// A page of bands and a diagonal, different on every page.
void write_sample(const std::string& path, const SampleDocument& doc, const char* type, int dpi)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_PWG);
    cups_page_header2_t header;
    ASSERT_TRUE(cupsRasterInitPWGHeader(&header, pwgMediaForPWG(doc.media), type, dpi, dpi, "one-sided", nullptr));
    header.cupsInteger[0] = static_cast<unsigned>(doc.pages);  // TotalPageCount
    std::vector<unsigned char> line(header.cupsBytesPerLine);
    for (int page = 0; page < doc.pages; ++page) {
        ASSERT_TRUE(cupsRasterWriteHeader2(raster, &header));
        for (unsigned y = 0; y < header.cupsHeight; ++y) {
            const bool band = (y / (dpi / 2) + static_cast<unsigned>(page)) % 4 == 1;
            const unsigned diagonal = y * header.cupsWidth / header.cupsHeight;
            for (unsigned x = 0; x < header.cupsWidth; ++x) {
                const bool ink = band ? x < header.cupsWidth / 2 : (x > diagonal ? x - diagonal : diagonal - x) < 8;
                if (header.cupsBitsPerPixel == 1) {
                    if (x % 8 == 0)
                        line[x / 8] = 0;
                    if (ink)
                        line[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
                } else {
                    const unsigned char level = ink ? static_cast<unsigned char>(x * 160 / header.cupsWidth) : 255;
                    for (unsigned c = 0; c < header.cupsBitsPerPixel / 8; ++c)
                        line[x * header.cupsBitsPerPixel / 8 + c] = level;
                }
            }
            ASSERT_EQ(cupsRasterWritePixels(raster, line.data(), header.cupsBytesPerLine), header.cupsBytesPerLine);
        }
    }
    cupsRasterClose(raster);
    close(fd);
}

// "[PASS]"-style result words of ipptool's test output, counted.
int count(const std::string& out, const std::string& word)
{
    int n = 0;
    for (size_t at = out.find(word); at != std::string::npos; at = out.find(word, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(PrinterAppEverywhere, CupsIppEverywhereTestFilePasses)
{
    const std::string ipptool = ipptool_program();
    const std::string test_file = "/usr/share/cups/ipptool/ipp-everywhere.test";
    if (ipptool.empty() || !std::filesystem::exists(test_file))
        GTEST_SKIP() << "ipptool and its test files (cups-ipp-utils) are not installed";
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    ASSERT_TRUE(app.add_printer("lane", "file:///dev/null"));

    const std::string samples = app.dir.file("samples");
    for (int dpi : {300, 600})
        for (const char* type : {"black_1", "sgray_8", "srgb_8"}) {
            std::string folder_type = type;
            folder_type[folder_type.find('_')] = '-';
            const std::string folder =
                samples + "/pwg-raster-samples-" + std::to_string(dpi) + "dpi/" + folder_type;
            std::filesystem::create_directories(folder);
            for (const SampleDocument& doc : documents)
                write_sample(folder + "/" + doc.name + "-" + folder_type + "-" + std::to_string(dpi) + "dpi.pwg",
                             doc, type, dpi);
        }

    // The other documents the test files name: real ones for what the printer
    // takes, empty ones for tests it skips (other resolutions and colour
    // spaces, PostScript); ipptool wants every file present.
    for (const char* jpeg : {"testfile.jpg", "color.jpg", "gray.jpg"})
        write_file(samples + "/" + jpeg, picture_bytes("JPEG", 160, 120));
    write_file(samples + "/document-a4.pdf", small_pdf(2, 595, 842));
    write_file(samples + "/document-letter.pdf", small_pdf(2, 612, 792));
    // printer-up-time must be above 0.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    // ipptool looks for a test's files next to the test file: the test file
    // and those it includes run from the samples' folder.
    for (const char* name : {"ipp-everywhere.test", "ipp-2.0.test", "ipp-1.1.test"}) {
        const std::string text = read_file((std::filesystem::path(test_file).parent_path() / name).string());
        write_file(samples + "/" + name, text);
        for (size_t at = text.find("\tFILE "); at != std::string::npos; at = text.find("\tFILE ", at + 1)) {
            const std::string file = text.substr(at + 6, text.find('\n', at) - at - 6);
            if (file[0] != '$' && !std::filesystem::exists(samples + "/" + file)) {
                std::filesystem::create_directories(std::filesystem::path(samples + "/" + file).parent_path());
                write_file(samples + "/" + file, "");
            }
        }
    }
    const ProgramResult r =
        run_program("/bin/sh", {"-c", "cd '" + samples + "' && exec '" + ipptool +
                                          "' -T 30 -f testfile.jpg -t '" + app.uri("lane") + "' ipp-everywhere.test"});
    // Every print test of a resolution and raster type the printer has runs
    // and passes; the only failure allowed is PAPPL 1.3's own: its Print-Job
    // response for a job held with job-hold-until has no job-state-reasons.
    int printed = 0;
    for (size_t start = 0, end; start < r.out.size(); start = end + 1) {
        end = r.out.find('\n', start);
        if (end == std::string::npos)
            end = r.out.size();
        const std::string line = r.out.substr(start, end - start);
        if (line.find("[FAIL]") != std::string::npos) {
            EXPECT_NE(line.find("Print-Job with job-hold-until"), std::string::npos) << r.out;
        }
        const bool ours = (line.find("@ 300dpi") != std::string::npos || line.find("@ 600dpi") != std::string::npos) &&
                          (line.find("black-1") != std::string::npos || line.find("sgray-8") != std::string::npos ||
                           line.find("srgb-8") != std::string::npos);
        if (ours && line.find("[0") == std::string::npos) {
            EXPECT_NE(line.find("[PASS]"), std::string::npos) << line;
            ++printed;
        }
    }
    EXPECT_EQ(printed, 2 * (6 + 6 + 5) * 3) << r.out << r.err;
    std::printf("ipptool: %d passed, %d skipped, %d failed\n", count(r.out, "[PASS]"), count(r.out, "[SKIP]"),
                count(r.out, "[FAIL]"));
}
