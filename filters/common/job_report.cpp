#include "job_report.h"

#include <cerrno>
#include <cstdio>

namespace {

void print_failure(void* context, int err, const char* reason)
{
    const char* name = static_cast<const char*>(context);
    if (err != 0) {
        errno = err;
        std::perror(name);
    } else {
        std::fprintf(stderr, "%s: %s\n", name, reason);
    }
}

void print_notice(void* context, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", static_cast<const char*>(context), text);
}

const job_report& inner_report(void* context)
{
    return *static_cast<const page_renumbering*>(context)->inner;
}

void renumbered_failure(void* context, int err, const char* reason)
{
    report_failure(inner_report(context), err, reason);
}

void renumbered_notice(void* context, const char* text)
{
    report_notice(inner_report(context), text);
}

void renumbered_page(void* context, int, int copies)
{
    const page_renumbering* r = static_cast<const page_renumbering*>(context);
    report_page(r->inner, r->page, copies);
}

}  // namespace

void report_failure(const job_report& report, int err, const char* reason)
{
    if (report.failed != nullptr)
        report.failed(report.context, err, reason);
}

void report_notice(const job_report& report, const char* text)
{
    if (report.notice != nullptr)
        report.notice(report.context, text);
}

void report_page(const job_report* report, int page, int copies)
{
    if (report != nullptr && report->page_sent != nullptr)
        report->page_sent(report->context, page, copies);
}

job_report program_report(const char* program_name)
{
    job_report report;
    report.context = const_cast<char*>(program_name);
    report.failed = print_failure;
    report.notice = print_notice;
    return report;
}

job_report renumbered_report(const page_renumbering* renumbering)
{
    job_report report;
    report.context = const_cast<page_renumbering*>(renumbering);
    report.failed = renumbered_failure;
    report.notice = renumbered_notice;
    report.page_sent = renumbered_page;
    return report;
}
