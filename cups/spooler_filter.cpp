#include "spooler_filter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cancel.h"
#include "temp_copy.h"
#include "version_option.h"

namespace {

void failed(void*, int err, const char* reason)
{
    if (err == ECANCELED)
        spooler_message("INFO: The job was cancelled: its page was ended and the printer reset.");
    else if (err != 0 && reason != nullptr)
        spooler_message(std::string("ERROR: ") + reason + ": " + std::strerror(err));
    else if (err != 0)
        spooler_message(std::string("ERROR: ") + std::strerror(err));
    else
        spooler_message(std::string("ERROR: ") + reason);
}

void notice(void*, const char* text)
{
    spooler_message(std::string("INFO: ") + text);
}

void page_sent(void*, int page, int copies)
{
    std::fprintf(stderr, "PAGE: %d %d\n", page, copies);
}

std::vector<cups_option> ppd_defaults()
{
    const char* path = std::getenv("PPD");
    if (path == nullptr || *path == '\0')
        return {};
    FILE* ppd = std::fopen(path, "r");
    if (ppd == nullptr) {
        spooler_message(std::string("DEBUG: Cannot read the PPD file ") + path + ": " + std::strerror(errno));
        return {};
    }
    std::vector<cups_option> defaults = read_ppd_defaults(ppd);
    std::fclose(ppd);
    return defaults;
}

FILE* input_failure(const char* what, const filter_job& job, FILE* opened)
{
    const int err = errno;
    if (opened != nullptr && opened != stdin)
        std::fclose(opened);
    spooler_message(std::string("ERROR: ") + what + " " + (job.file != nullptr ? job.file : "the standard input") +
                    ": " + std::strerror(err));
    return nullptr;
}

}  // namespace

bool read_filter_arguments(int argc, char** argv, filter_job* job)
{
    if (argc == 2 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        exit_if_version_word(slash != nullptr ? slash + 1 : argv[0], argv[1]);
    }
    if (argc < 6 || argc > 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n",
                     argc > 0 && argv[0] != nullptr ? argv[0] : "filter");
        return false;
    }
    job->title = argv[3];
    job->copies = argv[4];
    job->options = argv[5];
    job->file = argc == 7 ? argv[6] : nullptr;
    return true;
}

void spooler_message(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

job_request read_spooler_request(filter_kind kind, const filter_job& job)
{
    job_request request =
        read_job_request(kind, job.copies, ppd_defaults(), parse_cups_options(job.options));
    for (const std::string& note : request.notes)
        spooler_message(note);
    return request;
}

job_report spooler_report()
{
    job_report report;
    report.failed = failed;
    report.notice = notice;
    report.page_sent = page_sent;
    return report;
}

void report_empty_document()
{
    spooler_message("ERROR: The document is empty: there is nothing to print.");
}

FILE* open_job_input(const filter_job& job, input_use use)
{
    FILE* in = stdin;
    if (job.file != nullptr) {
        in = std::fopen(job.file, "rb");
        if (in == nullptr)
            return input_failure("Cannot open", job, nullptr);
    }
    if (use == input_use::seekable && std::fseek(in, 0, SEEK_CUR) != 0) {
        errno = 0;
        FILE* copy = copy_to_temporary(in);
        if (copy == nullptr)
            return input_failure("Cannot copy", job, in);
        if (in != stdin)
            std::fclose(in);
        in = copy;
    }
    if (use == input_use::unread && in == stdin)
        return in;
    const int c = std::getc(in);
    if (c == EOF) {
        if (std::ferror(in))
            return input_failure("Cannot read", job, in);
        if (in != stdin)
            std::fclose(in);
        report_empty_document();
        return nullptr;
    }
    std::ungetc(c, in);
    return in;
}

FILE* start_spooler_job(int argc, char** argv, filter_kind kind, filter_job* job, job_request* request,
                        input_use use)
{
    if (!read_filter_arguments(argc, argv, job))
        return nullptr;
    cancel_on_sigterm();
    *request = read_spooler_request(kind, *job);
    if (!request->error.empty()) {
        spooler_message(request->error);
        return nullptr;
    }
    return open_job_input(*job, use);
}

command_line::command_line(const char* program, const std::vector<std::string>& args) : words(args)
{
    words.insert(words.begin(), program);
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
}

void show_command(const char* name, const std::vector<std::string>& words)
{
    std::string line = std::string("DEBUG: Printing as: ") + name;
    for (const std::string& w : words)
        line += " " + w;
    spooler_message(line);
}
