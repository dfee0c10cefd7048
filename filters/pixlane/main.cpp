#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "failure.h"
#include "job.h"

namespace {

// Ends a job whose stage failed after the output was opened: the printer
// still gets the closing reset, and the stage's own cause is reported.
[[noreturn]] void fail_after_reset(const char* fallback)
{
    const int err = errno;
    const int32_t library_err = xslerrno;
    terminate(&option);
    errno = err;
    xslerrno = library_err;
    fail_job(program, fallback);
}

}  // namespace

int main(int argc, char** argv)
{
    std::setbuf(stdout, nullptr);
    std::setbuf(stderr, nullptr);
    if (argc > 0 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        program = slash != nullptr ? slash + 1 : argv[0];
    }
    set_default(&option);
    option_scan(program, argc, argv, &option);

    // Nothing may be written when there is nowhere to write it.
    if (option.output == nullptr) {
        errno = option.output_errno;
        fail_job(program, "cannot open the output");
    }

    begin_stage();
    XSImage* picture = read_data(&option);
    if (picture == nullptr)
        fail_job(program, "cannot read the picture");

    // An impossible page is refused before the printer gets a single byte.
    begin_stage();
    if (const char* problem = page_problem(&option, picture))
        fail_job(program, problem);

    begin_stage();
    if (!initialize(&option, picture))
        fail_after_reset("cannot set up the page");

    // A page cut short still gets the closing reset, but the job has failed.
    begin_stage();
    if (!send_data(&option, picture))
        fail_after_reset("cannot print the picture");

    begin_stage();
    if (!terminate(&option))
        fail_job(program, "cannot write the output");
    std::exit(0);
}
