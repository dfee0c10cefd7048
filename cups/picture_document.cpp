#include "picture_document.h"

#include <cstring>

#include "cancel.h"
#include "filter_words.h"
#include "picture_job.h"
#include "picture_scaling.h"
#include "spooler_filter.h"
#include "tevrak.h"
#include "xsiojpeg.h"
#include "xsiotiff.h"
#include "xsown.h"

namespace {

// The pages of a TIFF document (1 for every other picture); the stream is
// left where it was.
int picture_pages(FILE* in)
{
    const long start = std::ftell(in);
    unsigned char magic[4];
    const bool tiff = std::fread(magic, 1, 4, in) == 4 &&
                      (std::memcmp(magic, "II*\0", 4) == 0 || std::memcmp(magic, "MM\0*", 4) == 0);
    std::fseek(in, start, SEEK_SET);
    if (!tiff)
        return 1;
    const int pages = XSCheckMultiPageTiff(in);
    std::fseek(in, start, SEEK_SET);
    return pages > 1 ? pages : 1;
}

// One page of the document: pixlane's job on it, reported as that page.
int print_page(const picture_document& d, int page)
{
    std::vector<std::string> words = picture_words(*d.request);
    command_line line("imagetolane", words);
    Settings settings;
    getoption_restart();
    set_default(&settings);
    option_scan("imagetolane", line.argc(), line.argv.data(), &settings);
    settings.input = d.in;
    settings.input_name = d.title;
    settings.output = d.out;
    settings.output_name = d.out == stdout ? "STDOUT" : "printer";

    const page_renumbering renumbering = {&d.report, page};
    const job_report page_report = renumbered_report(&renumbering);
    int status = 0;
    XslImagePtr picture(read_job_picture(&settings, page_report, &status));
    if (!picture)
        return 1;
    if (XslJpegCutShort() && d.warn)
        d.warn("The JPEG picture ends before its last row: what was read prints, the rest is the decoder's gray.");

    // How large the picture prints depends on its size, known only now.
    const std::vector<std::string> scaling = scale_picture(*d.request, &settings, picture.get());
    words.insert(words.end(), scaling.begin(), scaling.end());
    if (d.show_words)
        d.show_words(words);
    return print_job_picture(&settings, picture.get(), page_report);
}

}  // namespace

int print_picture_document(const picture_document& d)
{
    const long start = std::ftell(d.in);
    const int pages = picture_pages(d.in);
    int status = 0;
    for (int page = 1; page <= pages && status == 0 && !job_cancelled; ++page) {
        XSTiffSetPage(page);
        std::fseek(d.in, start, SEEK_SET);
        status = print_page(d, page);
    }
    XSTiffSetPage(1);
    return status;
}
