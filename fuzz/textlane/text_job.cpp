// The whole text job: a few option words, then the text.
// Input: one byte (word count modulo 16), the words each ended by a zero byte,
// and the rest as the text file. Options that open files or print the usage
// are made harmless; the printer stream is discarded.
#include <string>
#include <vector>

#include "fuzz_bytes.h"
#include "fuzz_target.h"
#include "kanji.h"
#include "page.h"
#include "tevrak.h"
#include "text_settings.h"
#include "utf8.h"

namespace {

void text_job(const uint8_t* data, size_t size)
{
    FuzzBytes in{data, size};
    const size_t words = in.pick(16);
    FuzzArgs args("textlane", in, words + 1);
    args.disarm({"-in", "-input", "-out", "-output", "-help", "-h"});
    TextSettings settings;
    set_default(&settings);
    option_scan("textlane", args.argc(), args.argv.data(), &settings);
    if (!kanji_code_known(settings.kanji_code))
        return;
    settings.input = fuzz_stream(in.rest(), in.rest_size());
    settings.output = fuzz_null_stream();
    if (settings.input != nullptr && settings.output != nullptr) {
        initialize(&settings);
        send_data(&settings);
        terminate(&settings);
    }
    if (settings.input != nullptr)
        std::fclose(settings.input);
    if (settings.output != nullptr)
        std::fclose(settings.output);
}

FUZZ_TARGET("text_job", text_job);

}  // namespace
