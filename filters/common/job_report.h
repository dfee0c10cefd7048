// What a running job tells the program that runs it: failures, notices and
// the pages it has sent. The command-line filters print these as
// "program: text" lines; the spooler filters print them as ERROR:, INFO: and
// PAGE: lines.
#pragma once

struct job_report {
    void* context = nullptr;
    // The job failed: `err` is the system error, or 0 and `reason` says why.
    void (*failed)(void* context, int err, const char* reason) = nullptr;
    // Something the user should know that does not stop the job.
    void (*notice)(void* context, const char* text) = nullptr;
    // Page `page` has gone out whole, its form feed included, to be printed
    // `copies` times.
    void (*page_sent)(void* context, int page, int copies) = nullptr;
};

// Each hook, when set.
void report_failure(const job_report& report, int err, const char* reason);
void report_notice(const job_report& report, const char* text);
void report_page(const job_report* report, int page, int copies);

// One page of a longer document printed by a job that knows only its own
// page: its failures and notices go to `inner` as they are, its page as page
// `page`. The renumbering must outlive the report made from it.
struct page_renumbering {
    const job_report* inner;
    int page;
};
job_report renumbered_report(const page_renumbering* renumbering);

// The report of a command-line filter: "program_name: reason" (perror's text
// for a system error) and "program_name: notice" on standard error; no pages.
job_report program_report(const char* program_name);
