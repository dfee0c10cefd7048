#include "text_document.h"

#include <string>
#include <vector>

#include "document_job.h"
#include "filter_words.h"
#include "job_options.h"
#include "spooler_filter.h"
#include "tevrak.h"
#include "text_encoding.h"
#include "text_job.h"

// What texttolane does for the same options, in this process.
bool print_plain_text(pappl_job_t* job, pappl_device_t* device, void*)
{
    DocumentJob d;
    if (!d.open(job, filter_kind::text))
        return false;
    job_request& request = d.request;
    if (request.input_code < 0)
        request.input_code = detect_input_code(d.in);
    if (request.input_code < 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot tell the text's encoding (it is none of EUC-JP, Shift_JIS, "
                                               "ISO-2022-JP, UTF-8 and ASCII).");
        return false;
    }
    if (!d.connect(device))
        return false;
    std::vector<std::string> words = text_words(request);
    words.insert(words.end(), {"-fc", std::to_string(request.input_code)});
    log_words(job, "textlane", words);
    command_line line("texttolane", words);
    TextSettings settings;
    getoption_restart();
    set_default(&settings);
    option_scan("texttolane", line.argc(), line.argv.data(), &settings);
    settings.input = d.in;
    settings.output = d.out;
    return d.finish(print_text(&settings, pappl_report(job)));
}
