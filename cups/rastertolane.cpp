// rastertolane: the spooler's filter for raster documents, the end of the
// chain that brings PDF, PostScript and every other document to the printer.
// Each page goes out with its own set-up, halftoned by the job's method (its
// 1-bit pages as they are), ended by a form feed; the job ends with the reset.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cancel.h"
#include "raster_input.h"
#include "spooler_filter.h"

int main(int argc, char** argv)
{
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::picture, &job, &request);
    if (in == nullptr)
        return 1;

    const job_report report = spooler_report();
    int status = 0;
    bool sent = false;
    {
        raster_input raster(in);
        for (;;) {
            XslImagePtr page;
            raster_page_setup setup;
            std::string description, error;
            const raster_read got = read_raster_page(raster, &page, &setup, &description, &error);
            if (got == raster_read::end)
                break;
            if (got == raster_read::failed) {
                spooler_message("ERROR: " + error);
                status = 1;
                break;
            }
            spooler_message("DEBUG: " + description);
            // The job's copies, or the page's own when the job leaves them at one.
            if (request.copies > 1)
                setup.copies = request.copies;
            set_job_tone(request, &setup);
            errno = 0;
            sent = true;
            if (!print_raster_page(stdout, page.get(), setup, &report)) {
                if (errno == ECANCELED)
                    report_failure(report, ECANCELED, nullptr);
                else
                    report_failure(report, errno, "Cannot send the page");
                status = 1;
                break;
            }
            if (job_cancelled) {
                report_failure(report, ECANCELED, nullptr);
                status = 1;
                break;
            }
        }
    }
    // Once anything was sent the printer is reset, whatever happened after.
    if (sent && !end_raster_job(stdout) && status == 0) {
        report_failure(report, errno, "Cannot write the output");
        status = 1;
    }
    if (in != stdin)
        std::fclose(in);
    return status;
}
