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

void fail_job(const char* program_name, const char* fallback)
{
    int err = errno;
    if (err != 0) {
        std::perror(program_name);
        std::exit(err);
    }
    const char* reason = xsl_reason(xslerrno);
    std::fprintf(stderr, "%s: %s\n", program_name, reason != nullptr ? reason : fallback);
    std::exit(1);
}
