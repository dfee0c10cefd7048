#include "text_job.h"

#include "kanji.h"
#include "page.h"
#include "utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int print_text(TextSettings* settings, const job_report& report)
{
    char text[128];
    // An input code the filter cannot read would drop every line: refuse the job
    // before the printer gets anything.
    if (!kanji_code_known(settings->kanji_code)) {
        std::snprintf(text, sizeof text, "unknown input code %d (0 EUC, 1 Shift-JIS, 2 JIS, 3 UTF-8)",
                      settings->kanji_code);
        report_failure(report, 0, text);
        return 1;
    }
    initialize(settings);
    // A read error loses text: the job is still ended, but it fails.
    int pages = 0;
    size_t marks = 0;
    int read_error = send_data(settings, &report, &pages, &marks) == 0 ? 0 : (errno != 0 ? errno : EIO);
    bool ok = terminate(settings) == 0;
    if (marks != 0) {
        std::snprintf(text, sizeof text, "%zu characters outside JIS X 0208 printed as \u3013", marks);
        report_notice(report, text);
    }
    if (ok && read_error == 0) {
        report_page(&report, pages + 1, settings->copies);
        return 0;
    }
    const char* what = "cannot write the output";
    if (ok) {
        errno = read_error;
        what = "cannot read the text";
    }
    // A failure never ends with status 0 (the system's text for errno 0 is all
    // there is to say then).
    const int error = errno;
    report_failure(report, error, error != 0 ? what : std::strerror(0));
    return error != 0 ? error : 1;
}
