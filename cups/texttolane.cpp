// texttolane: the spooler's filter for Japanese text. It runs textlane's job
// in this process with the command-line words that ask what the job's options
// ask, the input encoding found from the text when the job does not name it.
#include <cstdio>
#include <string>

#include "charset_conversion.h"
#include "filter_words.h"
#include "spooler_filter.h"
#include "text_encoding.h"
#include "text_job.h"

int main(int argc, char** argv)
{
    program = "texttolane";
    filter_job job;
    job_request request;
    FILE* in = start_spooler_job(argc, argv, filter_kind::text, &job, &request);
    if (in == nullptr)
        return 1;
    if (request.input_code < 0) {
        request.input_code = detect_input_code(in);
        if (request.input_code < 0) {
            spooler_message("ERROR: Cannot tell the text's encoding (it is none of EUC-JP, Shift_JIS, "
                            "ISO-2022-JP, UTF-8 and ASCII): name it with -o charset=NAME.");
            if (in != stdin)
                std::fclose(in);
            return 1;
        }
    }

    if (!request.convert_from.empty()) {
        std::string error;
        FILE* utf8 = text_as_utf8(in, request.convert_from, &error);
        if (in != stdin)
            std::fclose(in);
        if (utf8 == nullptr) {
            spooler_message("ERROR: " + error);
            return 1;
        }
        in = utf8;
    }

    std::vector<std::string> words = text_words(request);
    words.insert(words.end(), {"-fc", std::to_string(request.input_code)});
    command_line line(program, words);
    TextSettings settings;
    set_default(&settings);
    option_scan(program, line.argc(), line.argv.data(), &settings);
    settings.input = in;
    show_command("textlane", words);
    // Characters printed as the geta mark are worth a warning.
    job_report report = spooler_report();
    report.notice = [](void*, const char* text) { spooler_message(std::string("WARNING: ") + text); };
    const int status = print_text(&settings, report);
    if (in != stdin)
        std::fclose(in);
    std::fflush(stdout);
    return status == 0 ? 0 : 1;
}
