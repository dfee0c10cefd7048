// Documents submitted with the program's own submit sub-command: the file
// device must get exactly what the spooler filters write for the same options
// (the cross-path table covers the documents IPP clients send most).
#include <gtest/gtest.h>

#include "app_server.h"
#include "picture_maker.h"
#include "raster_maker.h"
#include "spooler_fixture.h"

namespace {

struct SubmitCase {
    const char* name;
    std::string document;            // file contents
    std::vector<std::string> options;  // for submit
    const char* filter;
    const char* filter_options;      // the same request in the filter's words
};

// A sheet of A4 as a client renders it at 300 dpi.
std::string pwg_page(cups_cspace_t space)
{
    return raster_document({sample_raster_page(space, 8, 300, 595, 842)}, CUPS_RASTER_WRITE_PWG);
}

}  // namespace

TEST(PrinterAppSubmit, DocumentsPrintAsTheSpoolerFiltersPrintThem)
{
    AppServer app;
    const std::string device = app.start_with_file_printer("lane");
    ASSERT_FALSE(device.empty()) << read_file(app.dir.file("output"));

    const SubmitCase cases[] = {
        {"text.txt", sample_text("EUC-JP"), {"document-format=text/plain"}, TEXTTOLANE_BIN, "media=iso_a4_210x297mm"},
        {"picture.tif", picture_bytes("TIFF", 90, 60), {}, IMAGETOLANE_BIN, "Resolution=300dpi media=A4"},
        {"picture.gif", picture_bytes("GIF", 70, 50),
         {"media=na_letter_8.5x11in", "orientation-requested=4", "lane-halftoning=scroll"}, IMAGETOLANE_BIN,
         "Resolution=300dpi media=Letter landscape Halftoning=Scroll"},
        {"picture.pcx", picture_bytes("PCX", 40, 30), {"print-quality=3", "print-scaling=fit"}, IMAGETOLANE_BIN,
         "Resolution=240dpi media=A4 print-scaling=fit Halftoning=Bayer"},
        {"picture.bmp", picture_bytes("BMP", 40, 30), {"print-quality=5", "printer-resolution=600dpi"},
         IMAGETOLANE_BIN, "Resolution=600dpi media=A4 Halftoning=ErrorDiffusion5x3"},
        {"toned.pwg", pwg_page(CUPS_CSPACE_SW), {"lane-brightness=130", "lane-gamma=1800", "lane-halftoning=bayer"},
         RASTERTOLANE_BIN, "brightness=130 gamma=1800 Halftoning=Bayer"},
    };
    for (const SubmitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = app.dir.file(c.name);
        write_file(file, c.document);
        write_file(device, "");
        ASSERT_GT(app.submit("lane", file, c.options), 0);
        ASSERT_TRUE(app.wait_idle("lane")) << app.jobs("lane");
        EXPECT_NE(app.jobs("lane").find("completed"), std::string::npos) << app.jobs("lane");
        const FilterRun expected = run_filter(c.filter, "1", c.filter_options, file);
        ASSERT_EQ(expected.result.status, 0) << expected.result.err;
        std::string words;
        for (const std::string& word : expected.words)
            words += " " + word;
        EXPECT_TRUE(read_file(device) == expected.result.out)
            << "the filter printed as:" << words << "\n" << printed_as(app.log());
    }
    // The web interface shows each completed job's first page as a picture.
    const std::string page = app.http_get("/lane-pages");
    EXPECT_NE(page.find("200 OK"), std::string::npos) << page;
    for (int job = 1; job <= static_cast<int>(std::size(cases)); ++job) {
        const std::string picture = "/lane-pages/1-" + std::to_string(job) + ".png";
        EXPECT_NE(page.find("<img src=\"" + picture + "\""), std::string::npos) << page;
        EXPECT_NE(app.http_get(picture).find("\x89PNG\r\n"), std::string::npos) << picture;
    }
}
