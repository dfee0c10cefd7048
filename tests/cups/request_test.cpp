// Job options and PPD defaults read into the words of pixlane and textlane.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cups_options.h"
#include "filter_words.h"
#include "job_request.h"
#include "paper_names.h"

namespace {

using Words = std::vector<std::string>;

std::string joined(const Words& words)
{
    std::string s;
    for (const std::string& w : words)
        s += (s.empty() ? "" : " ") + w;
    return s;
}

std::string joined(const std::vector<cups_option>& options)
{
    std::string s;
    for (const cups_option& o : options)
        s += "[" + o.name + "=" + o.value + "]";
    return s;
}

}  // namespace

TEST(CupsOptions, OptionStringsSplitAsTheSpoolerWritesThem)
{
    const struct {
        const char* text;
        const char* options;
    } cases[] = {
        {"media=A4 landscape nofit-to-page", "[media=A4][landscape=true][fit-to-page=false]"},
        {"  job-name='My \"photo\"'  title=\"a b\" x=a\\ b", "[job-name=My \"photo\"][title=a b][x=a b]"},
        {"col={media-size={x-dimension=100}} =orphan copies=2", "[col={media-size={x-dimension=100}}][copies=2]"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(joined(parse_cups_options(c.text)), c.options) << c.text;
}

TEST(CupsOptions, PpdDefaultsAreItsDefaultLines)
{
    FILE* ppd = std::tmpfile();
    std::fputs("*PPD-Adobe: \"4.3\"\n*DefaultPageSize: Letter\r\n*PageSize A4/A4: \"\"\n"
               "*DefaultResolution:  300dpi \n*Default: x\n",
               ppd);
    std::rewind(ppd);
    EXPECT_EQ(joined(read_ppd_defaults(ppd)), "[PageSize=Letter][Resolution=300dpi]");
    std::fclose(ppd);
}

TEST(JobRequest, PictureOptionsBecomePixlaneWords)
{
    const struct {
        const char* copies;
        const char* defaults;
        const char* options;
        const char* words;
        const char* scaling_percent;
    } cases[] = {
        {"1", "PageSize=A4 Resolution=240dpi Halftoning=ErrorDiffusion", "", "-cp 1 -ps A4 -r 240 -di 0", "0"},
        {"3", "PageSize=A4", "media=Letter PageSize=A5", "-cp 3 -ps LT", "0"},
        {"1", "", "PageSize=A4Rotated Resolution=600dpi Halftoning=Bayer", "-cp 1 -ps A4R -r 600 -di 2", "0"},
        {"1", "", "media=iso_a5_148x210mm,Tray1 printer-resolution=300x600dpi", "-cp 1 -ps A5 -r 300", "0"},
        {"1", "", "Resolution=400", "-cp 1 -r 400", "0"},
        {"1", "", "media=na_foolscap_8.5x13in", "-cp 1 -ps 215.9x330.2", "0"},
        {"1", "", "PageSize=Custom.283.46x425.2", "-cp 1 -ps 99.9984x150.0011", "0"},
        {"1", "", "media=Custom.100x150mm landscape", "-cp 1 -ps 100x150 -po 1", "0"},
        {"1", "", "orientation-requested=5 page-left=36 page-top=0", "-cp 1 -po 1 -pm 0 5 12.7 5", "0"},
        {"1", "", "gamma=2000 brightness=120 saturation=50 Halftoning=5", "-cp 1 -gm 2 -br 20 -sa -50 -di 5", "0"},
        {"1", "", "scaling=50 fit-to-page print-scaling=auto", "-cp 1", "50"},
    };
    for (const auto& c : cases) {
        const job_request r = read_job_request(filter_kind::picture, c.copies, parse_cups_options(c.defaults),
                                               parse_cups_options(c.options));
        EXPECT_EQ(joined(picture_words(r)), c.words) << c.options;
        EXPECT_EQ(r.error, "") << c.options;
        EXPECT_EQ(number_word(r.scaling_percent), c.scaling_percent) << c.options;
    }
}

TEST(JobRequest, TextOptionsBecomeTextlaneWords)
{
    const struct {
        const char* options;
        const char* words;
        int input_code;
    } cases[] = {
        {"", "-cp 1", -1},
        {"cpi=12 lpi=8 media=B5 charset=Shift_JIS", "-cp 1 -ps B5 -fs 12 12 -ls 9", 1},
        {"orientation-requested=4 page-bottom=72 document-charset=utf-8 Resolution=600dpi", "-cp 1 -po 1 -pm 5 25.4 5 5", 3},
        {"lpi=6 charset=iso-2022-jp scaling=50", "-cp 1 -ls 12", 2},
    };
    for (const auto& c : cases) {
        const job_request r = read_job_request(filter_kind::text, "1", {}, parse_cups_options(c.options));
        EXPECT_EQ(joined(text_words(r)), c.words) << c.options;
        EXPECT_EQ(r.input_code, c.input_code) << c.options;
        EXPECT_TRUE(r.notes.empty() && r.error.empty()) << c.options;
    }
}

TEST(JobRequest, UnknownValuesAreSetAsideAndAbsurdOnesRefused)
{
    const struct {
        filter_kind kind;
        const char* copies;
        const char* options;
        const char* words;   // what the values that stand ask
        const char* note;    // start of the first note, or ""
        const char* error;   // start of the error, or ""
    } cases[] = {
        {filter_kind::picture, "2", "media=Envelope gamma=dark Resolution=highdpi landscape",
         "-cp 2 -po 1", "INFO: Ignoring media=Envelope: no paper size", ""},
        {filter_kind::picture, "1", "print-scaling=zoom Halftoning=Fancy orientation-requested=9", "-cp 1",
         "INFO: Ignoring orientation-requested=9: orientations are 3", ""},
        {filter_kind::text, "1", "charset=klingon cpi=wide", "-cp 1", "INFO: Ignoring cpi=wide: not a number.", ""},
        {filter_kind::picture, "1", "Resolution=100000dpi", "-cp 1", "",
         "ERROR: Cannot print with Resolution=100000dpi: it must lie between 60 and 2400 dpi."},
        {filter_kind::picture, "0", "", "-cp 1", "", "ERROR: Cannot print 0 copies"},
        {filter_kind::picture, "1e9", "", "-cp 1", "", "ERROR: Cannot print 1e9 copies"},
        {filter_kind::picture, "1", "media=Custom.5000x5000mm", "-cp 1", "", "ERROR: Cannot print with media="},
        {filter_kind::text, "1", "media=Custom.10x10mm", "-cp 1", "",
         "ERROR: Cannot print with media=Custom.10x10mm: the sides of a custom paper must lie between 25.4 and "
         "431.8 mm."},
        // A PPD's "Default" choice leaves the filter's default without a note.
        {filter_kind::text, "1", "cpi=Default lpi=Default charset=Default PictureScaling=Fit", "-cp 1", "", ""},
        {filter_kind::picture, "1", "PictureScaling=None", "-cp 1", "", ""},
        {filter_kind::picture, "1", "scaling=0 brightness=900", "-cp 1", "", "ERROR: Cannot print with scaling=0"},
        {filter_kind::text, "1", "cpi=1000", "-cp 1", "", "ERROR: Cannot print with cpi=1000"},
        {filter_kind::text, "1", "page-left=-5", "-cp 1", "", "ERROR: Cannot print with page-left=-5"},
        {filter_kind::text, "1", "media=A5 page-left=300 page-right=300", "-cp 1 -ps A5 -pm 5 5 105.8333 105.8333", "",
         "ERROR: Cannot print with these page margins"},
    };
    for (const auto& c : cases) {
        const job_request r = read_job_request(c.kind, c.copies, {}, parse_cups_options(c.options));
        const Words words = c.kind == filter_kind::picture ? picture_words(r) : text_words(r);
        EXPECT_EQ(joined(words), c.words) << c.options;
        EXPECT_EQ(r.notes.empty() ? "" : r.notes[0].substr(0, std::string(c.note).size()), c.note) << c.options;
        EXPECT_EQ(r.error.substr(0, std::string(c.error).size()), c.error) << c.options;
    }
}

TEST(PaperNames, EveryPaperOfTheTableReadsBackFromItsPpdKeyword)
{
    int rows = 0;
    for (const paper_entry* p = paper; p->name != nullptr; ++p, ++rows) {
        paper_choice choice;
        EXPECT_EQ(read_paper_name(ppd_keyword(*p), &choice), paper_verdict::found) << p->name;
        EXPECT_EQ(choice.row, p) << ppd_keyword(*p);
        EXPECT_EQ(read_paper_name(p->name, &choice), paper_verdict::found) << p->name;
        EXPECT_EQ(choice.row, p) << p->name;
    }
    EXPECT_EQ(rows, 22);
    EXPECT_EQ(ppd_keyword(*paper_lookup("LTR")), "LetterRotated");
}
