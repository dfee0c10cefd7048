#include "document_job.h"

#include "job_options.h"

#include <cerrno>
#include <cstring>

job_report pappl_report(pappl_job_t* job)
{
    job_report report;
    report.context = job;
    report.failed = [](void* context, int err, const char* reason) {
        auto* j = static_cast<pappl_job_t*>(context);
        if (err != 0)
            papplLogJob(j, PAPPL_LOGLEVEL_ERROR, "%s: %s", reason, std::strerror(err));
        else
            papplLogJob(j, PAPPL_LOGLEVEL_ERROR, "%s", reason);
        papplJobSetMessage(j, "%s", reason);
    };
    report.notice = [](void* context, const char* text) {
        papplLogJob(static_cast<pappl_job_t*>(context), PAPPL_LOGLEVEL_INFO, "%s", text);
    };
    report.page_sent = [](void* context, int, int copies) {
        papplJobSetImpressionsCompleted(static_cast<pappl_job_t*>(context), copies);
    };
    return report;
}

job_context pappl_context(pappl_job_t* job)
{
    job_context context;
    context.report = pappl_report(job);
    context.cancel_data = job;
    context.cancelled = [](void* data) { return papplJobIsCanceled(static_cast<pappl_job_t*>(data)); };
    return context;
}

void log_words(pappl_job_t* job, const char* program, const std::vector<std::string>& words)
{
    std::string line = program;
    for (const std::string& word : words)
        line += " " + word;
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "Printing as: %s", line.c_str());
}

DocumentJob::~DocumentJob()
{
    if (in != nullptr)
        std::fclose(in);
    if (out != nullptr)
        std::fclose(out);
}

bool DocumentJob::open(pappl_job_t* pappl_job, filter_kind kind)
{
    job = pappl_job;
    context = pappl_context(job);
    pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 1, false);
    request = read_pappl_request(job, kind, options);
    papplJobDeletePrintOptions(options);
    if (!request.error.empty())
        return false;
    in = std::fopen(papplJobGetFilename(job), "rb");
    if (in == nullptr)
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot open the document: %s", std::strerror(errno));
    return in != nullptr;
}

bool DocumentJob::connect(pappl_device_t* device)
{
    out = open_device_stream(&stream, job, device);
    return out != nullptr;
}

bool DocumentJob::finish(int status)
{
    std::fclose(in);
    in = nullptr;
    const bool closed = std::fclose(out) == 0;
    out = nullptr;
    return status == 0 && closed && !papplJobIsCanceled(job);
}
