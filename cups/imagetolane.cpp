// imagetolane: the spooler's filter for pictures. It runs pixlane's job in
// this process with the command-line words that ask what the job's options
// ask, so the printer gets the bytes pixlane would send.
#include <cstdio>

#include "picture_job.h"
#include "picture_scaling.h"
#include "spooler_filter.h"
#include "tevrak.h"
#include "xsown.h"

namespace {

// pixlane's settings for the words, reading `in` and writing standard output.
void scan_words(command_line& line, FILE* in, const char* title)
{
    getoption_restart();
    set_default(&option);
    option_scan(program, line.argc(), line.argv.data(), &option);
    option.input = in;
    option.input_name = title;
}

}  // namespace

int main(int argc, char** argv)
{
    program = "imagetolane";
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::picture, &job, &request);
    if (in == nullptr)
        return 1;

    std::vector<std::string> words = picture_words(request);
    command_line line(program, words);
    scan_words(line, in, job.title);
    const job_report report = spooler_report();
    int status = 0;
    XslImagePtr picture(read_job_picture(&option, report, &status));
    if (!picture)
        return 1;

    // How large the picture prints depends on its size: the words that say
    // so join the others, and the settings are read again from all of them.
    const std::vector<std::string> scaling = scaling_words(request, option, picture.get());
    words.insert(words.end(), scaling.begin(), scaling.end());
    command_line whole(program, words);
    scan_words(whole, in, job.title);
    show_command("pixlane", words);
    status = print_job_picture(&option, picture.get(), report);
    if (in != stdin)
        std::fclose(in);
    return status == 0 ? 0 : 1;
}
