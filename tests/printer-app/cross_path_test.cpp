// One request, the same paper on every path: each document printed with each
// row of options through the command-line filters, through cupsfilter with
// lane.ppd, through a private cupsd (one row) and through the Printer
// Application with ipptool, must give the same bytes; a PDF, which the two
// chains draw with different renderers, the same pages and copies with every
// page's ink in the same place within a few dots. Every path prints each
// page as many times as the job asks, counted once.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app_server.h"
#include "halftone_methods.h"
#include "picture_maker.h"
#include "private_cupsd.h"
#include "raster_maker.h"
#include "spooler_fixture.h"
#include "viewed_job.h"

namespace {

struct Row {
    int copies;
    bool collate;
    bool landscape;
    const char* media;  // the PWG name both IPP and the PPD take
    const char* scaling;
    int dpi;
    int method;  // a row of halftone_methods
};

// Pairwise over copies, collation, orientation, paper, scaling, resolution
// and two halftoning methods.
const Row rows[] = {
    {1, false, false, "iso_a4_210x297mm", "fit", 240, 0},
    {3, true, true, "iso_a4_210x297mm", "fill", 600, 2},
    {3, false, false, "iso_a5_148x210mm", "none", 600, 0},
    {1, true, true, "iso_a5_148x210mm", "fit", 240, 2},
    {3, true, false, "na_letter_8.5x11in", "fit", 600, 0},
    {1, false, true, "na_letter_8.5x11in", "fill", 240, 0},
    {3, false, true, "iso_a4_210x297mm", "none", 240, 2},
    {2, true, false, "iso_a4_210x297mm", "none", 240, 2},
    {3, false, false, "iso_a5_148x210mm", "fill", 240, 2},
    {1, false, false, "na_letter_8.5x11in", "none", 600, 2},
};

struct Document {
    const char* name;  // its extension tells ipptool its type
    std::string bytes;
    int pages;
    const char* program;  // the command-line filter that prints it alone, or null
};

// The sheet of a row's paper in points.
std::pair<unsigned, unsigned> sheet_points(const Row& r)
{
    const std::string media = r.media;
    return media == "iso_a5_148x210mm"  ? std::pair{420u, 595u}
        : media == "na_letter_8.5x11in" ? std::pair{612u, 792u}
                                        : std::pair{595u, 842u};
}

const char* const document_names[] = {"pages.pdf", "gray.pwg",  "black.pwg", "colour.pwg",
                                      "photo.jpg", "photo.png", "pages.tif", "text.txt"};

// The document of that name, as the row prints it.
Document document(const std::string& name, const Row& r)
{
    const std::string text = sample_text("UTF-8");
    auto pwg = [](cups_cspace_t space, unsigned bits, int pages, unsigned dpi,
                  std::pair<unsigned, unsigned> sheet) {
        return raster_document(
            std::vector<RasterPage>(pages, sample_raster_page(space, bits, dpi, sheet.first, sheet.second)),
            CUPS_RASTER_WRITE_PWG);
    };
    // PAPPL hands a 1-bit page's lines on under its own header for the job's
    // paper and resolution, so such a page is made for them, as clients make it.
    const Document all[] = {
        {"pages.pdf", small_pdf(2, 595, 842), 2, nullptr},
        {"gray.pwg", pwg(CUPS_CSPACE_SW, 8, 2, 300, {283, 420}), 2, nullptr},
        {"black.pwg", pwg(CUPS_CSPACE_K, 1, 1, static_cast<unsigned>(r.dpi), sheet_points(r)), 1, nullptr},
        {"colour.pwg", pwg(CUPS_CSPACE_SRGB, 8, 1, 300, {283, 420}), 1, nullptr},
        {"photo.jpg", picture_bytes("JPEG", 90, 60), 1, PIXLANE_BIN},
        {"photo.png", picture_bytes("PNG", 70, 90), 1, PIXLANE_BIN},
        {"pages.tif", gray_tiff_pages({{40, 30}, {30, 60}}), 2, nullptr},
        {"text.txt", text + "\f" + text, 2, TEXTLANE_BIN},
    };
    for (const Document& d : all)
        if (name == d.name)
            return d;
    ADD_FAILURE() << name;
    return all[0];
}

std::string method_ipp(const Row& r)
{
    return halftone_methods[r.method].ipp_keyword;
}
std::string method_ppd(const Row& r)
{
    return halftone_methods[r.method].ppd_keyword;
}

std::vector<std::string> spooler_options(const Row& r)
{
    return {"-n", std::to_string(r.copies),
            "-o", std::string("collate=") + (r.collate ? "true" : "false"),
            "-o", std::string("orientation-requested=") + (r.landscape ? "4" : "3"),
            "-o", std::string("media=") + r.media,
            "-o", std::string("print-scaling=") + r.scaling,
            "-o", "Resolution=" + std::to_string(r.dpi) + "dpi",
            "-o", "Halftoning=" + method_ppd(r)};
}

ProgramResult through_cupsfilter(const PrivateSpooler& spooler, const Row& r, const std::string& file)
{
    std::vector<std::string> args = {"-c", spooler.files_conf, "-p", spooler.ppd, "-m", "printer/lane", "-e"};
    const std::vector<std::string> options = spooler_options(r);
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(file);
    return run_cups("cupsfilter", args);
}

// Print-Job of `file` with the row's job attributes, by ipptool; its status.
int through_ipptool(const AppServer& app, const Row& r, const std::string& file)
{
    const std::string test = app.dir.file("print.test");
    std::ostringstream t;
    t << "{\n OPERATION Print-Job\n GROUP operation-attributes-tag\n"
         " ATTR charset attributes-charset utf-8\n ATTR naturalLanguage attributes-natural-language en\n"
         " ATTR uri printer-uri $uri\n ATTR name requesting-user-name tester\n"
         " ATTR mimeMediaType document-format $filetype\n GROUP job-attributes-tag\n"
      << " ATTR integer copies " << r.copies << "\n"
      << " ATTR keyword multiple-document-handling separate-documents-"
      << (r.collate ? "collated" : "uncollated") << "-copies\n"
      << " ATTR enum orientation-requested " << (r.landscape ? 4 : 3) << "\n"
      << " ATTR keyword media " << r.media << "\n ATTR keyword print-scaling " << r.scaling << "\n"
      << " ATTR resolution printer-resolution " << r.dpi << "dpi\n"
      << " ATTR keyword lane-halftoning " << method_ipp(r) << "\n"
      << " FILE $filename\n STATUS successful-ok\n}\n";
    write_file(test, t.str());
    return run_program(ipptool_program(), {"-tf", file, app.uri("lane"), test}).status;
}

// The words of every "DEBUG: Printing as: NAME ..." line, for NAME.
std::vector<std::vector<std::string>> printed_as_words(const std::string& log)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        const size_t at = line.find("DEBUG: Printing as: ");
        if (at == std::string::npos)
            continue;
        std::istringstream words(line.substr(at + 20));
        std::vector<std::string> list;
        for (std::string w; words >> w;)
            list.push_back(w);
        if (!list.empty())
            list.erase(list.begin());  // the program's name
        lines.push_back(list);
    }
    return lines;
}

// Sheets the stream prints: every page times the copies it carries.
int sheets(const ViewedJob& job)
{
    int count = 0;
    for (const ViewedPage& p : job.pages)
        count += p.page.copies;
    return count;
}

// Two renderers drew the same pages: the same number, copies and sheets,
// and each page's ink within a few dots of the other's.
void expect_same_pages(const ViewedJob& a, const ViewedJob& b)
{
    ASSERT_EQ(a.pages.size(), b.pages.size());
    for (size_t i = 0; i < a.pages.size(); ++i) {
        EXPECT_EQ(a.pages[i].page.copies, b.pages[i].page.copies) << "page " << i + 1;
        const Box x = black_box(a.pages[i].picture), y = black_box(b.pages[i].picture);
        const long most = 3 * a.pages[i].picture.resolution / 240;
        EXPECT_LE(std::abs(x.left - y.left), most) << "page " << i + 1;
        EXPECT_LE(std::abs(x.top - y.top), most) << "page " << i + 1;
        EXPECT_LE(std::abs(x.right - y.right), most) << "page " << i + 1;
        EXPECT_LE(std::abs(x.bottom - y.bottom), most) << "page " << i + 1;
    }
}

}  // namespace

class CrossPath : public testing::TestWithParam<const char*> {};

TEST_P(CrossPath, EveryPathPrintsTheSamePaper)
{
    if (ipptool_program().empty())
        GTEST_SKIP() << "ipptool (cups-ipp-utils) is not installed";
    PrivateSpooler spooler(true);
    AppServer app;
    const std::string device = app.start_with_file_printer("lane");
    ASSERT_FALSE(device.empty()) << read_file(app.dir.file("output"));
    for (const Row& r : rows) {
        const Document d = document(GetParam(), r);
        const std::string file = spooler.file(d.name);
        write_file(file, d.bytes);
        SCOPED_TRACE(std::string(d.name) + " with" + [&] {
            std::string o;
            for (const std::string& w : spooler_options(r))
                o += " " + w;
            return o;
        }());
        const ProgramResult spooled = through_cupsfilter(spooler, r, file);
        ASSERT_EQ(spooled.status, 0) << spooled.err;
        const ViewedJob viewed = view(spooled.out);
        EXPECT_EQ(viewed.problem_text, "");
        EXPECT_EQ(sheets(viewed), d.pages * r.copies) << spooled.err;

        write_file(device, "");
        ASSERT_EQ(through_ipptool(app, r, file), 0);
        ASSERT_TRUE(app.wait_idle("lane"));
        const std::string served = read_file(device);
        if (std::string(d.name).ends_with(".pdf")) {
            // pdftopdf turns a portrait document on a landscape request
            // and scales it to other papers by its own rules.
            if (!r.landscape && std::string(r.media) == "iso_a4_210x297mm")
                expect_same_pages(viewed, view(served));
            EXPECT_EQ(sheets(view(served)), d.pages * r.copies);
            continue;
        }
        EXPECT_TRUE(served == spooled.out) << printed_as(app.log());
        if (served != spooled.out && std::getenv("CROSS_PATH_KEEP")) {
            write_file(std::string(std::getenv("CROSS_PATH_KEEP")) + "/" + d.name + ".app", served);
            write_file(std::string(std::getenv("CROSS_PATH_KEEP")) + "/" + d.name + ".cups", spooled.out);
        }

        // The command line the log shows prints the same bytes, but for
        // the dots beyond the sheet, which the spooler's filters leave out.
        const auto lines = printed_as_words(spooled.err);
        const bool cut = std::string(r.scaling) == "fill";
        if (d.program != nullptr && lines.size() == 1 && !cut
            && !(r.collate && r.copies > 1 && d.pages > 1)) {
            std::vector<std::string> words = lines[0];
            words.insert(words.end(), {"-in", file});
            const ProgramResult direct = run_program(d.program, words);
            ASSERT_EQ(direct.status, 0) << direct.err;
            EXPECT_TRUE(direct.out == spooled.out);
        }
    }
    // Each completed job counted its sheets once.
    EXPECT_EQ(app.jobs("lane").find("aborted"), std::string::npos) << app.jobs("lane");
}

INSTANTIATE_TEST_SUITE_P(Documents, CrossPath, testing::ValuesIn(document_names),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name[name.find('.')] = '_';
                             return name;
                         });

TEST(CrossPathScheduler, LpPrintsAsCupsfilter)
{
    PrivateCupsd cupsd;
    if (!cupsd.start())
        GTEST_SKIP() << "cupsd cannot start here";
    const std::string device = cupsd.spooler.file("device.prn");
    ASSERT_EQ(
        run_cups("lpadmin",
                 {"-h", cupsd.host, "-p", "lane", "-E", "-v", "file://" + device, "-P", cupsd.spooler.ppd})
            .status,
        0);
    const Row& r = rows[1];  // three collated copies, landscape, filled
    for (const char* name : {"pages.tif", "text.txt"}) {
        const Document d = document(name, r);
        SCOPED_TRACE(d.name);
        const std::string file = cupsd.spooler.file(d.name);
        write_file(file, d.bytes);
        write_file(device, "");
        std::vector<std::string> lp = {"-h", cupsd.host, "-d", "lane"};
        const std::vector<std::string> options = spooler_options(r);
        lp.insert(lp.end(), options.begin(), options.end());
        lp.push_back(file);
        ASSERT_EQ(run_cups("lp", lp).status, 0);
        ASSERT_TRUE(cupsd.wait_for_queue("lane")) << cupsd.log();
        const ProgramResult spooled = through_cupsfilter(cupsd.spooler, r, file);
        ASSERT_EQ(spooled.status, 0) << spooled.err;
        EXPECT_TRUE(read_file(device) == spooled.out);
        EXPECT_EQ(sheets(view(read_file(device))), d.pages * r.copies);
    }
}
