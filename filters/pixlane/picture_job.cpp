#include "picture_job.h"

#include <cerrno>
#include <cstdio>

#include "failure.h"
#include "job.h"

namespace {

// A stage failed after the output was opened: the printer still gets the
// closing reset, and the stage's own cause is reported.
int fail_after_reset(Settings* settings, const job_report& report, const char* fallback)
{
    const int err = errno;
    const int32_t library_err = xslerrno;
    terminate(settings);
    errno = err;
    xslerrno = library_err;
    return report_stage_failure(report, fallback);
}

}  // namespace

XSImage* read_job_picture(Settings* settings, const job_report& report, int* status, job_context* context)
{
    // Nothing may be written when there is nowhere to write it.
    if (settings->output == nullptr) {
        errno = settings->output_errno;
        *status = report_stage_failure(report, "cannot open the output");
        return nullptr;
    }
    begin_stage();
    if (settings->input != nullptr) {
        const int c = std::getc(settings->input);
        if (c == EOF && !std::ferror(settings->input)) {
            xslerrno = XSE_UNKNOWN_FORMAT;  // what reading nothing leaves
            report_failure(report, 0, "the picture file is empty");
            *status = 1;
            return nullptr;
        }
        std::ungetc(c, settings->input);
        begin_stage();
    }
    XSImage* picture = read_data(settings, context);
    if (picture != nullptr)
        return picture;
    // A picture no reader delivered: say what the bytes looked like and why
    // the reader gave up (the library's own code stays XSE_UNKNOWN_FORMAT).
    if (errno == 0 && xslerrno == XSE_UNKNOWN_FORMAT) {
        report_failure(report, 0, unread_picture_reason().c_str());
        *status = 1;
    } else {
        *status = report_stage_failure(report, "cannot read the picture");
    }
    return nullptr;
}

int print_job_picture(Settings* settings, XSImage* picture, const job_report& report, const job_context* context)
{
    // An impossible page is refused before the printer gets a single byte.
    begin_stage();
    if (const char* problem = page_problem(settings, picture))
        return report_stage_failure(report, problem);

    begin_stage();
    PageLayout layout;
    if (!initialize(settings, picture, &layout))
        return fail_after_reset(settings, report, "cannot set up the page");

    // A page cut short still gets the closing reset, but the job has failed.
    begin_stage();
    RasterJobPtr job(make_raster_job());
    if (job)
        set_job_context(job.get(), context);
    if (!job || !send_data(job.get(), settings, &layout, picture, &report))
        return fail_after_reset(settings, report, "cannot print the picture");

    begin_stage();
    if (!terminate(settings))
        return report_stage_failure(report, "cannot write the output");
    return 0;
}
