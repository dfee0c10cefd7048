// rastertolane: the spooler's filter for raster documents, the end of the
// chain that brings PDF, PostScript and every other document to the printer.
// Pages are read from the input as they come and go out line by line through
// the raster job runner; the job ends with the reset.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>

#include "cancel.h"
#include "raster_input.h"
#include "raster_job_runner.h"
#include "read_ahead.h"
#include "settings.h"
#include "spooler_filter.h"

namespace {

constexpr size_t kReadAhead = 2 << 20;

// A wider pipe lets the renderer draw ahead while this filter halftones.
void widen_pipe(FILE* in)
{
    (void)fcntl(fileno(in), F_SETPIPE_SZ, 1 << 20);
}

bool stdin_empty()
{
    const int c = std::getc(stdin);
    if (c == EOF)
        return true;
    std::ungetc(c, stdin);
    return false;
}

// A document that was raster from the start carries one copy of each page,
// and the job's copies are the printer's to make. Any other came through the
// spooler's chain, which has already made them: each page says its own.
bool raster_from_the_start()
{
    const char* type = std::getenv("CONTENT_TYPE");
    if (type == nullptr)
        return false;
    for (const char* raster : {"image/pwg-raster", "image/urf", "application/vnd.cups-raster"})
        if (std::strcmp(type, raster) == 0)
            return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::picture, &job, &request, input_use::unread);
    if (in == nullptr)
        return 1;
    widen_pipe(in);
    // The renderer's pipe is read on a thread of its own while this one halftones.
    read_ahead_ptr ahead(in == stdin ? start_read_ahead(fileno(in), kReadAhead) : nullptr);
    if (in == stdin && (ahead ? read_ahead_empty(ahead.get()) : stdin_empty())) {
        report_empty_document();
        return 1;
    }

    buffer_output(stdout);   // the printer's bytes in large writes, not a few lines at a time
    job_context context = sigterm_context(spooler_report());
    const job_report& report = context.report;
    raster_job_runner* run = start_raster_job(request, stdout, &context, !raster_from_the_start());
    int status = run == nullptr ? 1 : 0;
    std::string error;
    {
        raster_input raster(in, ahead.get());
        while (status == 0) {
            raster_page_setup setup;
            std::string description;
            const raster_read got = read_raster_header(raster, &setup, &description, &error);
            if (got == raster_read::end)
                break;
            if (got == raster_read::failed) {
                spooler_message("ERROR: " + error);
                status = 1;
                break;
            }
            spooler_message("DEBUG: " + description);
            errno = 0;
            bool unreadable = false;
            bool ok = raster_job_page(run, setup, raster.header.cupsWidth, raster.header.cupsHeight, raster.bits);
            for (unsigned y = 0; ok && y < raster.header.cupsHeight; ++y) {
                const unsigned char* row = read_raster_row(raster, &error);
                if (row == nullptr) {
                    spooler_message("ERROR: " + error);
                    unreadable = true;
                    ok = false;
                    break;
                }
                ok = raster_job_row(run, row);
            }
            if (!ok || !raster_job_end_page(run)) {
                if (errno == ECANCELED)
                    report_failure(report, ECANCELED, nullptr);
                else if (!unreadable)
                    report_failure(report, errno, "Cannot send the page");
                status = 1;
            } else if (job_is_cancelled(&context)) {
                report_failure(report, ECANCELED, nullptr);
                status = 1;
            }
        }
    }
    if (run != nullptr && !end_raster_job_runner(run) && status == 0) {
        report_failure(report, errno, errno == ECANCELED ? nullptr : "Cannot write the output");
        status = 1;
    }
    if (in != stdin)
        std::fclose(in);
    return status;
}
