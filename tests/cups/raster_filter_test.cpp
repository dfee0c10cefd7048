// The raster filter on raster documents written with libcups: every colour
// space prints the dots pixlane prints for the same picture; pages keep their
// papers, copies and places; damaged raster ends in an ERROR: line.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include <unistd.h>

#include "printer_stream.h"
#include "raster_input.h"
#include "raster_maker.h"
#include "read_ahead.h"
#include "spooler_fixture.h"
#include "temp_dir.h"
#include "viewed_job.h"

namespace {

constexpr unsigned kWidth = 70, kHeight = 45;

unsigned char level(unsigned x, unsigned y) { return static_cast<unsigned char>((x * 7 + y * 11) % 256); }
unsigned char red(unsigned x, unsigned) { return static_cast<unsigned char>(x * 3); }
unsigned char green(unsigned, unsigned y) { return static_cast<unsigned char>(y * 5); }
unsigned char blue(unsigned x, unsigned y) { return static_cast<unsigned char>(x * y); }
bool black_bit(unsigned x, unsigned y) { return (x / 3 + y / 2) % 3 == 0; }

void put16(std::vector<unsigned char>& v, unsigned char level8)
{
    const uint16_t sample = static_cast<uint16_t>(level8 * 257);
    unsigned char b[2];
    std::memcpy(b, &sample, 2);
    v.insert(v.end(), b, b + 2);
}

// The test picture as a raster page of the kind, and as the PNM file pixlane reads.
RasterPage test_page(cups_cspace_t space, unsigned bits, std::string* pnm)
{
    RasterPage p = blank_raster_page(space, bits, kWidth, kHeight, 0);
    p.dpi = 100;
    p.rows.clear();
    const bool rgb = p.colours() == 3;
    const bool inverse = space == CUPS_CSPACE_K;
    *pnm = std::string(bits == 1 ? "P4" : rgb ? "P6" : "P5") + "\n" + std::to_string(kWidth) + " " +
           std::to_string(kHeight) + "\n" + (bits == 1 ? "" : "255\n");
    for (unsigned y = 0; y < kHeight; ++y) {
        std::vector<unsigned char> bitrow((kWidth + 7) / 8, 0), pbm((kWidth + 7) / 8, 0);
        for (unsigned x = 0; x < kWidth; ++x) {
            if (bits == 1) {
                const bool black = black_bit(x, y);
                if (black)
                    pbm[x / 8] |= 0x80 >> (x % 8);
                if (black == inverse)
                    bitrow[x / 8] |= 0x80 >> (x % 8);
                continue;
            }
            const unsigned char channels[3] = {red(x, y), green(x, y), blue(x, y)};
            const int n = rgb ? 3 : 1;
            for (int c = 0; c < n; ++c) {
                const unsigned char v = rgb ? channels[c] : level(x, y);
                const unsigned char stored = inverse ? static_cast<unsigned char>(255 - v) : v;
                if (bits == 16)
                    put16(p.rows, stored);
                else
                    p.rows.push_back(stored);
                pnm->push_back(static_cast<char>(v));
            }
        }
        if (bits == 1) {
            p.rows.insert(p.rows.end(), bitrow.begin(), bitrow.end());
            pnm->append(pbm.begin(), pbm.end());
        }
    }
    return p;
}

const char* const halftone_names[] = {"ErrorDiffusion", "ErrorDiffusion5x3", "Bayer",
                                      "Scroll",         "Random",            "Threshold"};

}  // namespace

TEST(RasterFilter, EveryColourSpacePrintsThePixlaneDotsOfThePicture)
{
    TempDir dir;
    const struct {
        cups_cspace_t space;
        unsigned bits;
        cups_mode_t mode;
        int method;
        const char* brightness = nullptr;  // the job's brightness, when it asks for one
    } cases[] = {
        {CUPS_CSPACE_W, 8, CUPS_RASTER_WRITE, 0},         {CUPS_CSPACE_SW, 8, CUPS_RASTER_WRITE_PWG, 2},
        {CUPS_CSPACE_K, 8, CUPS_RASTER_WRITE_COMPRESSED, 5}, {CUPS_CSPACE_W, 16, CUPS_RASTER_WRITE, 1},
        {CUPS_CSPACE_SW, 16, CUPS_RASTER_WRITE_PWG, 3},    {CUPS_CSPACE_K, 16, CUPS_RASTER_WRITE_COMPRESSED, 4},
        {CUPS_CSPACE_RGB, 8, CUPS_RASTER_WRITE, 0},       {CUPS_CSPACE_SRGB, 8, CUPS_RASTER_WRITE_PWG, 1},
        {CUPS_CSPACE_RGB, 16, CUPS_RASTER_WRITE_COMPRESSED, 2}, {CUPS_CSPACE_SRGB, 16, CUPS_RASTER_WRITE_PWG, 0},
        {CUPS_CSPACE_K, 1, CUPS_RASTER_WRITE, 0},         {CUPS_CSPACE_W, 1, CUPS_RASTER_WRITE_PWG, 3},
        {CUPS_CSPACE_W, 8, CUPS_RASTER_WRITE, 0, "120"},  {CUPS_CSPACE_SW, 16, CUPS_RASTER_WRITE_PWG, 5, "80"},
    };
    for (const auto& c : cases) {
        const std::string what = "space " + std::to_string(c.space) + ", " + std::to_string(c.bits) +
                                 " bits, mode " + std::to_string(c.mode) + ", method " + std::to_string(c.method);
        std::string pnm;
        const std::string raster = dir.file("page.ras"), picture = dir.file("page.pnm");
        write_file(raster, raster_document({test_page(c.space, c.bits, &pnm)}, c.mode));
        write_file(picture, pnm);
        std::string options = std::string("Halftoning=") + halftone_names[c.method];
        std::vector<std::string> words = {"-r", "100", "-gm", "0.6666666666666666", "-x", "0", "-y", "0", "-di",
                                          std::to_string(c.method)};
        if (c.brightness != nullptr) {
            options += std::string(" brightness=") + c.brightness;
            words.insert(words.end(), {"-br", std::to_string(std::atoi(c.brightness) - 100)});
        }
        const FilterRun run = run_filter(RASTERTOLANE_BIN, "1", options, raster);
        ASSERT_EQ(run.result.status, 0) << what << "\n" << run.result.err;
        EXPECT_EQ(run.lines("PAGE:"), std::vector<std::string>{"PAGE: 1 1"}) << what;
        // One pixel one dot, from the sheet's corner, no gamma (2/3 of pixlane's
        // 1.5 is exactly 1): pixlane's words for the same.
        std::string why;
        EXPECT_TRUE(same_dots(run.result.out, direct_stream(PIXLANE_BIN, words, picture), &why))
            << what << ": " << why;
    }
}

TEST(RasterFilter, EveryPageKeepsItsPaperCopiesAndPlace)
{
    TempDir dir;
    // A black box of 100 x 100 pixels on white at a known place of each page.
    const struct {
        unsigned points[2];
        unsigned dpi, width, height;
        const char* paper;     // the paper table's name, or "" for a custom size
        long box_x, box_y;
    } pages[] = {
        {{595, 842}, 240, 1984, 2806, "A4", 240, 480},
        {{612, 792}, 300, 2550, 3300, "LT", 600, 150},
        {{842, 595}, 240, 2806, 1984, "A4R", 1000, 33},
        {{283, 425}, 240, 943, 1416, "", 10, 1000},
        // Drawn larger than its sheet (826 x 1169 dots): what lies beyond is not sent.
        {{595, 842}, 100, 900, 1200, "A4", 780, 1100},
        // A size within a millimetre of A4 prints on A4, and what lies beyond A4 is not sent.
        {{598, 844}, 240, 1993, 2813, "A4", 1900, 2750},
    };
    std::vector<RasterPage> raster;
    for (const auto& p : pages) {
        RasterPage page = blank_raster_page(CUPS_CSPACE_W, 8, p.width, p.height, 255);
        page.dpi = p.dpi;
        page.page_points[0] = p.points[0];
        page.page_points[1] = p.points[1];
        for (unsigned y = p.box_y; y < p.box_y + 100 && y < p.height; ++y)
            std::memset(page.rows.data() + size_t(y) * p.width + p.box_x, 0, std::min<size_t>(100, p.width - p.box_x));
        raster.push_back(page);
    }
    const std::string file = dir.file("pages.ras");
    write_file(file, raster_document(raster, CUPS_RASTER_WRITE_COMPRESSED));
    // A raster document from the start: the job's copies are the printer's to make.
    const FilterRun run = run_filter(RASTERTOLANE_BIN, "2", "Halftoning=Threshold", file, {},
                                     {{"CONTENT_TYPE", "image/pwg-raster"}});
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.lines("PAGE:"),
              (std::vector<std::string>{"PAGE: 1 2", "PAGE: 2 2", "PAGE: 3 2", "PAGE: 4 2", "PAGE: 5 2", "PAGE: 6 2"}));

    const ViewedJob job = view(run.result.out);
    EXPECT_EQ(job.problem_text, "");
    EXPECT_TRUE(raster_on_sheets(job));
    ASSERT_EQ(job.pages.size(), std::size(pages));
    for (size_t i = 0; i < job.pages.size(); ++i) {
        const Page& page = job.pages[i].page;
        const auto& want = pages[i];
        EXPECT_EQ(page.copies, 2) << i;
        EXPECT_EQ(page.sheet.custom, *want.paper == '\0') << i;
        EXPECT_STREQ(page.sheet.name, want.paper) << i;
        const Box box = black_box(job.pages[i].picture);
        const long sheet_right = job.pages[i].picture.width - 1, sheet_bottom = job.pages[i].picture.height - 1;
        EXPECT_EQ(box.left, want.box_x) << i;
        EXPECT_EQ(box.top, want.box_y) << i;
        EXPECT_EQ(box.right, std::min(want.box_x + 99, sheet_right)) << i;
        EXPECT_EQ(box.bottom, std::min(want.box_y + 99, sheet_bottom)) << i;
    }
}

namespace {

raster_read read_pages(raster_input& in, int* pages, std::string* error)
{
    raster_read got;
    do {
        XslImagePtr picture;
        raster_page_setup setup;
        std::string description;
        got = read_raster_page(in, &picture, &setup, &description, error);
    } while (got == raster_read::page);
    *pages = in.pages;
    return got;
}

// Reads every page of a raster document held in memory, as the filter does:
// the pages read, and whether the document ended well. With `ahead`, from a
// pipe read ahead on a thread, as the filter reads the renderer's (when the
// machine has the processors for it). The documents fit in a pipe.
raster_read read_all(const std::string& bytes, int* pages, std::string* error, bool ahead = false)
{
    int ends[2];
    if (ahead && pipe(ends) == 0) {
        std::thread writer([&] {
            (void)!write(ends[1], bytes.data(), bytes.size());
            close(ends[1]);
        });
        read_ahead_ptr reader(start_read_ahead(ends[0], 256 * 1024));
        const bool used = reader != nullptr;
        raster_read got = raster_read::failed;
        if (used) {
            raster_input in(nullptr, reader.get());
            got = read_pages(in, pages, error);
        }
        reader.reset();
        writer.join();
        close(ends[0]);
        if (used)
            return got;
    }
    FILE* f = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (f == nullptr)
        return raster_read::failed;
    raster_read got;
    {
        raster_input in(f);
        got = read_pages(in, pages, error);
    }
    std::fclose(f);
    return got;
}

}  // namespace

TEST(RasterFilter, CutAndMutatedRasterEndsInAnErrorNeverACrash)
{
    RasterPage gray = blank_raster_page(CUPS_CSPACE_SW, 8, 24, 6, 128);
    RasterPage bits = blank_raster_page(CUPS_CSPACE_K, 1, 20, 5, 0x5a);
    for (cups_mode_t mode : {CUPS_RASTER_WRITE, CUPS_RASTER_WRITE_COMPRESSED, CUPS_RASTER_WRITE_PWG}) {
        const std::string whole = raster_document({gray, bits}, mode);
        int pages = 0;
        std::string error;
        ASSERT_EQ(read_all(whole, &pages, &error), raster_read::end) << error;
        ASSERT_EQ(pages, 2);
        // Cut at every offset: never more pages than were whole, and an error
        // unless the cut falls between pages.
        // Read ahead from a pipe, the same.
        for (size_t n = 0; n < whole.size(); ++n) {
            const raster_read got = read_all(whole.substr(0, n), &pages, &error);
            EXPECT_TRUE(got == raster_read::failed || (got == raster_read::end && pages == 1))
                << "mode " << mode << ", cut at " << n;
            int pages_ahead = -1;
            EXPECT_EQ(read_all(whole.substr(0, n), &pages_ahead, &error, true), got) << n;
            EXPECT_EQ(pages_ahead, pages) << n;
        }
        // Bytes changed at random: whatever comes of them, no crash and an end.
        std::mt19937 random(static_cast<unsigned>(mode));
        for (int round = 0; round < 300; ++round) {
            std::string mutated = whole;
            for (int k = 0; k < 4; ++k)
                mutated[random() % mutated.size()] = static_cast<char>(random());
            const raster_read got = read_all(mutated, &pages, &error);
            EXPECT_TRUE(got == raster_read::failed || got == raster_read::end);
        }
    }
}

TEST(RasterFilter, AbsurdPageHeadersAreRefusedBeforeAnythingIsSent)
{
    TempDir dir;
    const struct {
        const char* what;
        void (*change)(RasterPage&);
    } cases[] = {
        {"resolution beyond 2400 dpi", [](RasterPage& p) { p.dpi = 100000; }},
        {"resolution below 60 dpi", [](RasterPage& p) { p.dpi = 10; }},
        {"a sheet of 50 inches", [](RasterPage& p) { p.page_points[0] = p.page_points[1] = 3600; }},
        {"a sheet of no size", [](RasterPage& p) { p.page_points[0] = p.page_points[1] = 0; p.width = 4; }},
        {"a width of 2^31 dots", [](RasterPage& p) { p.width = 1u << 31; }},
        {"a height of 2^31 lines", [](RasterPage& p) { p.height = 1u << 31; }},
        {"CMYK", [](RasterPage& p) { p.space = CUPS_CSPACE_CMYK; }},
        {"4 bits a colour", [](RasterPage& p) { p.bits = 4; }},
    };
    for (const auto& c : cases) {
        RasterPage page = blank_raster_page(CUPS_CSPACE_W, 8, 16, 4, 255);
        c.change(page);
        page.rows.assign(64, 0);   // what pixels there are: far fewer than the header says
        const std::string file = dir.file("bad.ras");
        cups_page_header2_t h = raster_header(page);
        std::string bytes = "3SaR";
        bytes.append(reinterpret_cast<const char*>(&h), sizeof h);
        bytes.append(page.rows.begin(), page.rows.end());
        write_file(file, bytes);
        const FilterRun run = run_filter(RASTERTOLANE_BIN, "1", "", file);
        EXPECT_EQ(run.result.status, 1) << c.what << "\n" << run.result.err;
        EXPECT_EQ(run.lines("ERROR:").size(), 1u) << c.what << "\n" << run.result.err;
        EXPECT_EQ(run.result.out, "") << c.what;
    }
}
