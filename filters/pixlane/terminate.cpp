#include <cstdio>

#include "job.h"

int terminate(const Settings* settings)
{
    FILE* out = settings->output;
    std::fputs("\x1b<", out);  // resets the printer
    std::fflush(out);
    return std::ferror(out) ? 0 : 1;
}
