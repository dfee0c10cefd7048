#include "plain_text_job.h"

#include "document_job.h"
#include "text_document.h"

// What texttolane does for the same options, in this process.
bool print_plain_text(pappl_job_t* job, pappl_device_t* device, void*)
{
    DocumentJob d;
    if (!d.open(job, filter_kind::text) || !d.connect(device))
        return false;
    job_context context = pappl_context(job);
    text_document document;
    document.request = &d.request;
    document.in = d.in;
    document.out = d.out;
    document.context = &context;
    document.show_words = [job](const std::vector<std::string>& words) { log_words(job, "textlane", words); };
    return d.finish(print_text_document(document));
}
