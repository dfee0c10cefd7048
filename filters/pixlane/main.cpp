#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "picture_runner.h"

int main(int argc, char** argv)
{
    buffer_output(stdout);
    std::setbuf(stderr, nullptr);
    if (argc > 0 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        program = slash != nullptr ? slash + 1 : argv[0];
    }
    picture_run run;
    set_default(&run.settings);
    option_scan(program, argc, argv, &run.settings);

    job_context context;
    context.report = program_report(program);
    std::exit(run_picture_job(run, &context));
}
