// The spooler filters' reading of a job: the copies argument, the PPD's
// defaults and the job's option string, all from the input, turned into a
// request and into the command-line words of either filter.
// Input: one byte (bit 0: text job), then the copies argument, the PPD text
// and the option string, each ended by a zero byte; the rest is text whose
// encoding is weighed in parts.
#include <string>

#include "cups_options.h"
#include "fuzz_bytes.h"
#include "fuzz_target.h"
#include "filter_words.h"
#include "job_request.h"
#include "text_encoding.h"

namespace {

void job_options(const uint8_t* data, size_t size)
{
    FuzzBytes in{data, size};
    const filter_kind kind = in.byte() & 1 ? filter_kind::text : filter_kind::picture;
    const std::string copies = in.word(0, 64);
    const std::string ppd = in.word(0, 4096);
    const std::string options = in.word(0, 4096);

    std::vector<cups_option> defaults;
    if (FILE* f = fuzz_stream(reinterpret_cast<const uint8_t*>(ppd.data()), ppd.size())) {
        defaults = read_ppd_defaults(f);
        std::fclose(f);
    }
    const job_request request = read_job_request(kind, copies.c_str(), defaults, parse_cups_options(options));
    (void)(kind == filter_kind::text ? text_words(request) : picture_words(request));

    encoding_scan scan;
    for (size_t at = 0; at < in.rest_size(); at += 7)
        scan.feed(in.rest() + at, in.rest_size() - at < 7 ? in.rest_size() - at : 7);
    (void)scan.input_code();
}

FUZZ_TARGET("cups_job_options", job_options);

}  // namespace
