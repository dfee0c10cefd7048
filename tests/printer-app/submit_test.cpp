// Documents submitted with the program's own submit sub-command: the file
// device must get exactly what the spooler filters write for the same options.
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

// A sheet of A4 as a client renders it at 300 dpi: steps across (in colour,
// each channel its own), a black bar near the top left.
std::string pwg_page(cups_cspace_t space)
{
    RasterPage page = blank_raster_page(space, 8, 2480, 3508, 255);
    page.dpi = 300;
    const unsigned colours = page.colours();
    for (unsigned y = 0; y < page.height; ++y)
        for (unsigned x = 0; x < page.width; ++x)
            for (unsigned c = 0; c < colours; ++c)
                page.rows[(static_cast<size_t>(y) * page.width + x) * colours + c] =
                    y > 100 && y < 400 && x > 100 && x < 1200 ? 0 : static_cast<unsigned char>(x / (10 + 7 * c));
    return raster_document({page}, CUPS_RASTER_WRITE_PWG);
}

}  // namespace

TEST(PrinterAppSubmit, DocumentsPrintAsTheSpoolerFiltersPrintThem)
{
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    const std::string device = app.add_file_printer("lane");
    ASSERT_FALSE(device.empty());

    const SubmitCase cases[] = {
        {"text.txt", sample_text("EUC-JP"), {"document-format=text/plain"}, TEXTTOLANE_BIN, "media=iso_a4_210x297mm"},
        {"utf8.txt", sample_text("UTF-8"), {}, TEXTTOLANE_BIN, ""},
        {"picture.tif", picture_bytes("TIFF", 90, 60), {}, IMAGETOLANE_BIN, "Resolution=300dpi media=A4"},
        {"pages.tif", gray_tiff_pages({{40, 30}, {30, 60}}), {}, IMAGETOLANE_BIN, "Resolution=300dpi media=A4"},
        {"picture.gif", picture_bytes("GIF", 70, 50),
         {"media=na_letter_8.5x11in", "orientation-requested=4", "lane-halftoning=scroll"}, IMAGETOLANE_BIN,
         "Resolution=300dpi media=Letter landscape Halftoning=Scroll"},
        {"picture.pcx", picture_bytes("PCX", 40, 30), {"print-quality=3", "print-scaling=fit"}, IMAGETOLANE_BIN,
         "Resolution=240dpi media=A4 print-scaling=fit Halftoning=Bayer"},
        {"picture.bmp", picture_bytes("BMP", 40, 30), {"print-quality=5", "printer-resolution=600dpi"},
         IMAGETOLANE_BIN, "Resolution=600dpi media=A4 Halftoning=ErrorDiffusion5x3"},
        // JPEG and PNG take the picture path too, landscape turned as imagetolane turns it.
        {"photo.jpg", picture_bytes("JPEG", 90, 60), {"orientation-requested=4"}, IMAGETOLANE_BIN,
         "Resolution=300dpi media=A4 landscape"},
        {"picture.png", picture_bytes("PNG", 70, 50), {}, IMAGETOLANE_BIN, "Resolution=300dpi media=A4"},
        {"page.pwg", pwg_page(CUPS_CSPACE_SW), {}, RASTERTOLANE_BIN, ""},
        {"colour.pwg", pwg_page(CUPS_CSPACE_SRGB), {}, RASTERTOLANE_BIN, ""},
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
