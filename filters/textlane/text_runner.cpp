#include "text_runner.h"

#include <cstdio>

#include "text_job.h"

namespace {

// Pages of later passes continue the numbering of the earlier ones.
struct page_offset {
    const job_report* inner;
    int before = 0;  // pages of the passes already sent
    int last = 0;    // the last page of this pass
};

job_report offset_report(page_offset* offset)
{
    job_report report = *offset->inner;
    report.context = offset;
    report.failed = [](void* c, int err, const char* reason) {
        report_failure(*static_cast<page_offset*>(c)->inner, err, reason);
    };
    report.notice = [](void* c, const char* text) { report_notice(*static_cast<page_offset*>(c)->inner, text); };
    report.page_sent = [](void* c, int page, int copies) {
        auto* o = static_cast<page_offset*>(c);
        o->last = page;
        report_page(o->inner, o->before + page, copies);
    };
    return report;
}

// The pages of the text, found by setting it to nowhere.
int count_pages(const TextSettings& settings)
{
    TextSettings probe = settings;
    probe.copies = 1;
    probe.output = std::fopen("/dev/null", "w");
    if (probe.output == nullptr)
        return -1;
    int pages = 0;
    job_report counting;
    counting.context = &pages;
    counting.page_sent = [](void* c, int page, int) { *static_cast<int*>(c) = page; };
    const int status = print_text(&probe, counting);
    std::fclose(probe.output);
    return status == 0 ? pages : -1;
}

}  // namespace

int run_text_job(const text_run& run, job_context* context)
{
    TextSettings settings = run.settings;
    settings.context = context;
    FILE* in = settings.input;
    const long start = run.collate && settings.copies > 1 ? std::ftell(in) : -1;
    const int pages = start >= 0 ? count_pages(settings) : -1;
    if (pages > 1 && std::fseek(in, start, SEEK_SET) == 0) {
        page_offset offset{&context->report};
        const job_report report = offset_report(&offset);
        for (int pass = 0; pass < run.settings.copies; ++pass) {
            TextSettings once = run.settings;
            once.context = context;
            once.copies = 1;
            if (pass > 0 && (job_is_cancelled(context) || std::fseek(in, start, SEEK_SET) != 0))
                return 1;
            if (const int status = print_text(&once, report))
                return status;
            offset.before += offset.last;
        }
        return 0;
    }
    if (start >= 0)
        std::fseek(in, start, SEEK_SET);
    return print_text(&settings, context->report);
}
