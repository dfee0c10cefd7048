// imagetolane: the spooler's filter for pictures. It runs pixlane's job in
// this process with the command-line words that ask what the job's options
// ask, so the printer gets the bytes pixlane would send.
#include <cstdio>
#include <cstring>

#include "cancel.h"
#include "picture_job.h"
#include "picture_scaling.h"
#include "spooler_filter.h"
#include "tevrak.h"
#include "xsiojpeg.h"
#include "xsiotiff.h"
#include "xsown.h"

namespace {

// pixlane's settings for the words, reading `in` and writing standard output.
void scan_words(command_line& line, FILE* in, const char* title, Settings* settings)
{
    getoption_restart();
    set_default(settings);
    option_scan(program, line.argc(), line.argv.data(), settings);
    settings->input = in;
    settings->input_name = title;
}

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
int print_page(const job_request& request, FILE* in, const filter_job& job, const job_report& report, int page)
{
    std::vector<std::string> words = picture_words(request);
    command_line line(program, words);
    Settings settings;
    scan_words(line, in, job.title, &settings);
    const page_renumbering renumbering = {&report, page};
    const job_report page_report = renumbered_report(&renumbering);
    int status = 0;
    XslImagePtr picture(read_job_picture(&settings, page_report, &status));
    if (!picture)
        return 1;
    if (XslJpegCutShort())
        spooler_message("WARNING: The JPEG picture ends before its last row: what was read prints, "
                        "the rest is the decoder's gray.");

    // How large the picture prints depends on its size, known only now.
    const std::vector<std::string> scaling = scale_picture(request, &settings, picture.get());
    words.insert(words.end(), scaling.begin(), scaling.end());
    show_command("pixlane", words);
    return print_job_picture(&settings, picture.get(), page_report);
}

}  // namespace

int main(int argc, char** argv)
{
    program = "imagetolane";
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::picture, &job, &request);
    if (in == nullptr)
        return 1;

    // A TIFF of several pages prints every one, each a whole job of its own.
    const job_report report = spooler_report();
    const long start = std::ftell(in);
    const int pages = picture_pages(in);
    int status = 0;
    for (int page = 1; page <= pages && status == 0 && !job_cancelled; ++page) {
        XSTiffSetPage(page);
        std::fseek(in, start, SEEK_SET);
        status = print_page(request, in, job, report, page);
    }
    XSTiffSetPage(1);
    if (in != stdin)
        std::fclose(in);
    return status == 0 ? 0 : 1;
}
