// textlane: prints a text file (EUC, Shift-JIS, JIS or UTF-8) on the page printer.
#include "text_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Closes the files named on the command line; false when the output file failed to close.
bool close_streams(TextSettings* s)
{
    if (s->input_name != nullptr)
        std::fclose(s->input);
    if (s->output_name != nullptr)
        return std::fclose(s->output) == 0;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 0 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        program = slash != nullptr ? slash + 1 : argv[0];
    }
    text_run run;
    set_default(&run.settings);
    option_scan(program, argc, argv, &run.settings);
    TextSettings& settings = run.settings;
    job_context context;
    context.report = program_report(program);
    const int status = run_text_job(run, &context);
    if (status != 0) {
        close_streams(&settings);
        return status;
    }
    if (close_streams(&settings))
        return 0;
    const int error = errno != 0 ? errno : 1;
    std::perror(program);
    return error;
}
