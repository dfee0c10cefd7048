#include "failure.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "xsimage.h"

const char* xsl_reason(int code)
{
    return XSLErrorText(code);
}

void begin_stage()
{
    errno = 0;
    xslerrno = 0;
}

int report_stage_failure(const job_report& report, const char* fallback)
{
    const int err = errno;
    if (err != 0) {
        report_failure(report, err, fallback);
        return err;
    }
    const char* reason = xsl_reason(xslerrno);
    report_failure(report, 0, reason != nullptr ? reason : fallback);
    return 1;
}

void fail_job(const char* program_name, const char* fallback)
{
    std::exit(report_stage_failure(program_report(program_name), fallback));
}
