// texttolane: the spooler's filter for Japanese text. It runs textlane's job
// in this process with the settings the job's options ask for, the input
// encoding found from the text when the job does not name it.
#include <cstdio>

#include "cancel.h"
#include "spooler_filter.h"
#include "text_document.h"

int main(int argc, char** argv)
{
    program = "texttolane";
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::text, &job, &request);
    if (in == nullptr)
        return 1;
    job_context context = sigterm_context(spooler_report());
    // Characters printed as the geta mark are worth a warning.
    context.report.notice = [](void*, const char* text) { spooler_message(std::string("WARNING: ") + text); };
    text_document document;
    document.request = &request;
    document.in = in;
    document.out = stdout;
    document.context = &context;
    document.show_words = [](const std::vector<std::string>& words) { show_command("textlane", words); };
    const int status = print_text_document(document);
    if (in != stdin)
        std::fclose(in);
    std::fflush(stdout);
    return status == 0 ? 0 : 1;
}
