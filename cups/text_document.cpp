#include "text_document.h"

#include <cstdlib>
#include <memory>

#include "charset_conversion.h"
#include "filter_words.h"
#include "page_settings.h"
#include "text_encoding.h"
#include "text_runner.h"

namespace {

struct file_closer {
    void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

void text_settings(const job_request& r, int input_code, TextSettings* s)
{
    set_default(s);
    request_page_settings(r, s);
    // The printer's Roman characters are half as wide as its font size.
    if (r.cpi > 0) {
        s->font_width = s->font_height = word_value(144 / r.cpi);
        s->line_space = s->font_height * 1.2;
    }
    if (r.lpi > 0) {
        s->line_space = word_value(72 / r.lpi);
        s->line_space_given = 1;
    }
    s->kanji_code = input_code;
}

int print_text_document(const text_document& d)
{
    const job_request& request = *d.request;
    int input_code = request.input_code;
    if (input_code < 0)
        input_code = detect_input_code(d.in);
    if (input_code < 0) {
        report_failure(d.context->report, 0,
                       "Cannot tell the text's encoding (it is none of EUC-JP, Shift_JIS, ISO-2022-JP, UTF-8 "
                       "and ASCII): name it with the charset option.");
        return 1;
    }
    std::unique_ptr<FILE, file_closer> converted;
    FILE* in = d.in;
    if (!request.convert_from.empty()) {
        std::string error;
        converted.reset(text_as_utf8(d.in, request.convert_from, &error));
        if (!converted) {
            report_failure(d.context->report, 0, error.c_str());
            return 1;
        }
        in = converted.get();
    }
    text_run run;
    text_settings(request, input_code, &run.settings);
    run.settings.input = in;
    run.settings.output = d.out;
    run.collate = request.collate;
    if (d.show_words) {
        std::vector<std::string> words = text_words(request);
        words.insert(words.end(), {"-fc", std::to_string(input_code)});
        d.show_words(words);
    }
    return run_text_job(run, d.context);
}
