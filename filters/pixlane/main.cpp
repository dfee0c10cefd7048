#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "failure.h"
#include "job.h"

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

    // Page set-up (initialize) and raster output (send_data) run here. A failed
    // initialize calls terminate first, so the output holds only the reset.
    (void)picture;

    begin_stage();
    if (!terminate(&option))
        fail_job(program, "cannot write the output");
    std::exit(0);
}
