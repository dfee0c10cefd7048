// One document printed by a filter's job in this process: the request read
// from the job's options, the document, the stream to the printer, and what
// the filter's job reports told to PAPPL.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <pappl/pappl.h>

#include "device_stream.h"
#include "job_context.h"
#include "job_report.h"
#include "job_request.h"

// Failures and notices to the job's log (a failure also as the job's
// message), pages to its impressions.
job_report pappl_report(pappl_job_t* job);

// The job's context: its report, and cancelled when PAPPL cancels the job.
job_context pappl_context(pappl_job_t* job);

// "Printing as: NAME WORDS...", the same job from the command line.
void log_words(pappl_job_t* job, const char* program, const std::vector<std::string>& words);

struct DocumentJob {
    pappl_job_t* job = nullptr;
    job_request request;
    FILE* in = nullptr;
    DeviceStream stream;
    FILE* out = nullptr;

    job_context context;  // the job's report and PAPPL's cancel, made by open()

    DocumentJob() = default;
    DocumentJob(const DocumentJob&) = delete;
    ~DocumentJob();
    // Reads the request for a filter of `kind` and opens the document; false
    // after logging why.
    bool open(pappl_job_t* pappl_job, filter_kind kind);
    // Opens the stream to the printer.
    bool connect(pappl_device_t* device);
    // Closes both; true when the filter's status was 0, every byte went out
    // and the job was not cancelled.
    bool finish(int status);

    // A picture or text document of this job, logged as `program` would print it.
    template <class Document>
    Document document(const char* program)
    {
        Document doc;
        doc.request = &request;
        doc.in = in;
        doc.out = out;
        doc.context = &context;
        doc.show_words = [j = job, program](const std::vector<std::string>& words) { log_words(j, program, words); };
        return doc;
    }
};
