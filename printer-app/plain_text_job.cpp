#include "plain_text_job.h"

#include "document_job.h"
#include "text_document.h"

// What texttolane does for the same options, in this process.
bool print_plain_text(pappl_job_t* job, pappl_device_t* device, void*)
{
    DocumentJob d;
    if (!d.open(job, filter_kind::text) || !d.connect(device))
        return false;
    return d.finish(print_text_document(d.document<text_document>("textlane")));
}
