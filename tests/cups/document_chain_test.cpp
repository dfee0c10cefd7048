// PDF and PostScript through the spooler's own chain (cupsfilter with the
// built PPD: Ghostscript draws raster, rastertolane prints it): every page
// arrives, on its paper, each box's dots where the box is, gray boxes half
// black for each halftoning method, copies kept, landscape pages turned onto
// the sheet as pictures are turned.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "private_spooler.h"
#include "spooler_fixture.h"
#include "viewed_job.h"

namespace {

// A box in points from the page's top-left corner, and its gray (0 black).
struct DrawnBox {
    double x, y, w, h, gray;
};

struct Document {
    const char* name;
    double width, height;   // points
    const char* paper;      // its name in the paper table
    std::vector<std::vector<DrawnBox>> pages;
};

const Document a4 = {"a4", 595.28, 841.89, "A4",
                     {{{72, 72, 144, 72, 0}, {300, 400, 144, 144, 0.5}}, {{200, 600, 72, 72, 0}}}};
const Document letter = {"letter", 612, 792, "LT",
                         {{{36, 36, 72, 72, 0}}, {{500, 300, 72, 144, 0}}, {{100, 100, 200, 200, 0.5}, {400, 600, 100, 100, 0}}}};
// Landscape pages, as an application draws them: they print on A4 turned a
// quarter turn clockwise, their top on the sheet's right edge.
const Document a4_landscape = {"a4-landscape", 841.89, 595.28, "A4",
                               {{{72, 36, 216, 72, 0}, {500, 300, 144, 200, 0.5}}}};

// The page's boxes as they lie on the sheet: turned, a box at (x, y) of the
// page lies `y` from the sheet's right edge and `x` from its top.
std::vector<DrawnBox> on_the_sheet(const Document& d, std::vector<DrawnBox> boxes, bool turned)
{
    for (DrawnBox& b : boxes)
        b = turned ? DrawnBox{d.height - b.y - b.h, b.x, b.h, b.w, b.gray} : b;
    return boxes;
}

std::string postscript(const Document& d)
{
    std::string ps = "%!PS\n<< /PageSize [" + std::to_string(d.width) + " " + std::to_string(d.height) +
                     "] >> setpagedevice\n";
    for (const auto& page : d.pages) {
        for (const DrawnBox& b : page)
            ps += std::to_string(b.gray) + " setgray " + std::to_string(b.x) + " " +
                  std::to_string(d.height - b.y - b.h) + " " + std::to_string(b.w) + " " + std::to_string(b.h) +
                  " rectfill\n";
        ps += "showpage\n";
    }
    return ps;
}

// Writes the document as PostScript, or as PDF made from it by Ghostscript;
// "" when Ghostscript is not there.
std::string write_document(const PrivateSpooler& spooler, const Document& d, bool pdf)
{
    const std::string ps = spooler.file(std::string(d.name) + ".ps");
    write_file(ps, postscript(d));
    if (!pdf)
        return ps;
    const std::string out = spooler.file(std::string(d.name) + ".pdf");
    if (access("/usr/bin/gs", X_OK) != 0)
        return "";
    const ProgramResult r =
        run_program("/usr/bin/gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sOutputFile=" + out, ps});
    return r.status == 0 ? out : "";
}

long black_in(const PagePicture& p, long left, long top, long right, long bottom, long* all = nullptr)
{
    long black = 0, count = 0;
    for (long y = std::max(0L, top); y <= std::min(p.height - 1, bottom); ++y)
        for (long x = std::max(0L, left); x <= std::min(p.width - 1, right); ++x, ++count)
            black += picture_dot(p, x, y) ? 1 : 0;
    if (all != nullptr)
        *all = count;
    return black;
}

// The page holds its boxes at `dpi`: black boxes black, gray boxes within
// `gray_low` to `gray_high` of their dots black, and nothing beyond them
// but a dot or two at their edges.
void expect_boxes(const ViewedPage& page, const std::vector<DrawnBox>& boxes, int dpi, double gray_low,
                  double gray_high, const std::string& what)
{
    const PagePicture& p = page.picture;
    long inside_boxes = 0;
    for (const DrawnBox& b : boxes) {
        const long left = static_cast<long>(b.x * dpi / 72), top = static_cast<long>(b.y * dpi / 72);
        const long right = static_cast<long>((b.x + b.w) * dpi / 72), bottom = static_cast<long>((b.y + b.h) * dpi / 72);
        long all = 0;
        const double share = double(black_in(p, left + 2, top + 2, right - 2, bottom - 2, &all)) / all;
        if (b.gray == 0)
            EXPECT_GE(share, 0.99) << what;   // random dither leaves a dot in 256 white
        else
            EXPECT_TRUE(share >= gray_low && share <= gray_high) << what << ": gray box " << share << " black";
        inside_boxes += black_in(p, left - 2, top - 2, right + 2, bottom + 2);
    }
    EXPECT_EQ(black_in(p, 0, 0, p.width - 1, p.height - 1), inside_boxes) << what << ": dots outside the boxes";
}

ProgramResult chain(const PrivateSpooler& spooler, const std::vector<std::string>& options, const std::string& file)
{
    std::vector<std::string> args = {"-c", spooler.files_conf, "-p", spooler.ppd, "-m", "printer/lane", "-e"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(file);
    return run_cups("cupsfilter", args);
}

}  // namespace

TEST(DocumentChain, PdfAndPostScriptPagesPrintWhereTheyAreDrawn)
{
    PrivateSpooler spooler(true);
    const struct {
        const Document* document;
        bool pdf;
        int dpi;
        std::vector<std::string> options;
        int copies;
        bool turned = false;   // landscape pages on the portrait sheet
    } cases[] = {
        {&a4, true, 240, {}, 1},
        {&a4, false, 600, {"-o", "Resolution=600dpi"}, 1},
        // The queue's paper is A4: a Letter document asks for its own.
        {&letter, true, 240, {"-n", "2", "-o", "media=Letter", "-o", "Halftoning=Bayer"}, 2},
        {&letter, false, 300, {"-o", "media=Letter", "-o", "Resolution=300dpi", "-o", "Halftoning=ErrorDiffusion5x3"}, 1},
        // Turned whether the job says landscape or not.
        {&a4_landscape, true, 240, {"-o", "landscape"}, 1, true},
        {&a4_landscape, false, 600, {"-o", "Resolution=600dpi"}, 1, true},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.document->name) + (c.pdf ? ".pdf" : ".ps") + " at " +
                                 std::to_string(c.dpi);
        const std::string file = write_document(spooler, *c.document, c.pdf);
        if (file.empty())
            GTEST_SKIP() << "Ghostscript is not installed";
        const ProgramResult r = chain(spooler, c.options, file);
        if (r.status == 127)
            GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << what << "\n" << r.err;
        const ViewedJob job = view(r.out);
        EXPECT_EQ(job.problem_text, "") << what;
        ASSERT_EQ(job.pages.size(), c.document->pages.size()) << what;
        for (size_t i = 0; i < job.pages.size(); ++i) {
            EXPECT_STREQ(job.pages[i].page.sheet.name, c.document->paper) << what;
            EXPECT_EQ(job.pages[i].page.copies, c.copies) << what;
            EXPECT_EQ(job.pages[i].picture.resolution, c.dpi) << what;
            expect_boxes(job.pages[i], on_the_sheet(*c.document, c.document->pages[i], c.turned), c.dpi, 0.4, 0.6,
                         what + " page " + std::to_string(i + 1));
        }
    }
}

TEST(DocumentChain, GrayIsHalfBlackByEveryMethodAndLandscapeTurnsThePage)
{
    PrivateSpooler spooler(true);
    const std::string file = write_document(spooler, a4, true);
    if (file.empty())
        GTEST_SKIP() << "Ghostscript is not installed";
    // Threshold has no halftone: a 50% gray falls wholly on one side of it.
    const struct {
        const char* method;
        double low, high;
    } methods[] = {{"ErrorDiffusion", 0.45, 0.55}, {"ErrorDiffusion5x3", 0.45, 0.55}, {"Bayer", 0.45, 0.55},
                   {"Scroll", 0.45, 0.55},         {"Random", 0.4, 0.6},            {"Threshold", 0.0, 1.0}};
    for (const auto& m : methods) {
        const ProgramResult r = chain(spooler, {"-o", std::string("Halftoning=") + m.method}, file);
        if (r.status == 127)
            GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << m.method << "\n" << r.err;
        const ViewedJob job = view(r.out);
        ASSERT_EQ(job.pages.size(), 2u) << m.method;
        expect_boxes(job.pages[0], a4.pages[0], 240, m.low, m.high, m.method);
    }

    // Portrait pages asked for in landscape: how they turn is the chain's
    // own (landscape pages are checked with the other documents above).
    const ProgramResult r = chain(spooler, {"-o", "landscape"}, file);
    ASSERT_EQ(r.status, 0) << r.err;
    const ViewedJob job = view(r.out);
    EXPECT_EQ(job.problem_text, "");
    ASSERT_EQ(job.pages.size(), 2u);
    EXPECT_STREQ(job.pages[0].page.sheet.name, "A4");
}

// The chain repeats the pages of collated copies itself and marks uncollated
// ones in each page: either way every sheet is printed once.
TEST(DocumentChain, CopiesAreMadeOnce)
{
    PrivateSpooler spooler(true);
    const std::string file = write_document(spooler, a4, true);
    if (file.empty())
        GTEST_SKIP() << "Ghostscript is not installed";
    const struct {
        const char* collate;
        std::vector<int> copies;   // of each page sent, in order
    } cases[] = {{"collate=true", {1, 1, 1, 1}}, {"collate=false", {2, 2}}};
    for (const auto& c : cases) {
        const ProgramResult r = chain(spooler, {"-n", "2", "-o", c.collate}, file);
        if (r.status == 127)
            GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << c.collate << "\n" << r.err;
        const ViewedJob job = view(r.out);
        std::vector<int> copies;
        for (const ViewedPage& p : job.pages)
            copies.push_back(p.page.copies);
        EXPECT_EQ(copies, c.copies) << c.collate;
        if (copies.size() == 4)   // in page order, once per copy
            EXPECT_EQ(black_box(job.pages[2].picture).top, black_box(job.pages[0].picture).top);
    }
}
