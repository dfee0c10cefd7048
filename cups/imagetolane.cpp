// imagetolane: the spooler's filter for pictures. It runs pixlane's job in
// this process with the settings the job's options ask for, so the printer
// gets the bytes pixlane would send for the command line in the job's log.
#include <cstdio>

#include "cancel.h"
#include "picture_document.h"
#include "settings.h"
#include "spooler_filter.h"

int main(int argc, char** argv)
{
    program = "imagetolane";
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::picture, &job, &request);
    if (in == nullptr)
        return 1;

    job_context context = sigterm_context(spooler_report());
    picture_document document;
    document.request = &request;
    document.in = in;
    document.out = stdout;
    document.title = job.title;
    document.context = &context;
    document.show_words = [](const std::vector<std::string>& words) { show_command("pixlane", words); };
    document.warn = [](const char* text) { spooler_message(std::string("WARNING: ") + text); };
    const int status = print_picture_document(document);
    if (in != stdin)
        std::fclose(in);
    return status == 0 ? 0 : 1;
}
