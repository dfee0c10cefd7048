#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "picture_job.h"

int main(int argc, char** argv)
{
    std::setbuf(stdout, nullptr);
    std::setbuf(stderr, nullptr);
    if (argc > 0 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        program = slash != nullptr ? slash + 1 : argv[0];
    }
    Settings settings;
    set_default(&settings);
    option_scan(program, argc, argv, &settings);

    const job_report report = program_report(program);
    int status = 0;
    XSImage* picture = read_job_picture(&settings, report, &status);
    if (picture == nullptr)
        std::exit(status);
    std::exit(print_job_picture(&settings, picture, report));
}
