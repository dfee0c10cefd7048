#include "picture_runner.h"

#include <cstring>

#include "picture_job.h"
#include "xsiojpeg.h"
#include "xsiotiff.h"
#include "xsown.h"

namespace {

// One page of the document as a whole job of its own, reported as page `number`.
int print_page(const picture_run& run, job_context* context, int page, int copies, int number)
{
    Settings settings = run.settings;
    settings.copies = copies;
    const page_renumbering renumbering = {&context->report, number};
    const job_report report = renumbered_report(&renumbering);
    context->tiff_page = page;
    int status = 0;
    XslImagePtr picture(read_job_picture(&settings, report, &status, context));
    if (!picture)
        return status;
    if (context->jpeg_cut_short && run.warn)
        run.warn("The JPEG picture ends before its last row: what was read prints, the rest is the decoder's gray.");
    // How large the picture prints may depend on its size, known only now.
    if (run.size_picture)
        run.size_picture(&settings, picture.get());
    return print_job_picture(&settings, picture.get(), report, context);
}

}  // namespace

int picture_document_pages(FILE* in, bool every_page)
{
    if (!every_page || in == nullptr)
        return 1;
    const long start = std::ftell(in);
    if (start < 0)
        return 1;
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

int run_picture_job(const picture_run& run, job_context* context)
{
    FILE* in = run.settings.input;
    const int pages = picture_document_pages(in, run.every_page);
    if (pages == 1)
        return print_page(run, context, 1, run.settings.copies, 1);
    // Collated copies of several pages go out a pass at a time, each page
    // once; otherwise the printer repeats each page.
    const long start = std::ftell(in);
    const bool by_pass = run.collate && run.settings.copies > 1;
    const int passes = by_pass ? run.settings.copies : 1;
    const int copies = by_pass ? 1 : run.settings.copies;
    int number = 0;
    for (int pass = 0; pass < passes; ++pass)
        for (int page = 1; page <= pages; ++page) {
            if (job_is_cancelled(context))
                return 1;
            std::fseek(in, start, SEEK_SET);
            if (const int status = print_page(run, context, page, copies, ++number))
                return status;
        }
    return 0;
}
