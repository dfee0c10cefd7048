// textlane: prints a text file (EUC, Shift-JIS, JIS or UTF-8) on the page printer.
#include "kanji.h"
#include "page.h"
#include "text_settings.h"
#include "utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Closes the files named on the command line; false when the output file failed to close.
bool close_streams(TextSettings* s)
{
    if (s->input_name != nullptr)
        std::fclose(s->input);
    if (s->output_name != nullptr)
        return std::fclose(s->output) == 0;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 0 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        program = slash != nullptr ? slash + 1 : argv[0];
    }
    set_default(&option);
    option_scan(program, argc, argv, &option);
    // An input code the filter cannot read would drop every line: refuse the job
    // before the printer gets anything.
    if (!kanji_code_known(option.kanji_code)) {
        std::fprintf(stderr, "%s: unknown input code %d (0 EUC, 1 Shift-JIS, 2 JIS, 3 UTF-8)\n", program,
                     option.kanji_code);
        close_streams(&option);
        return 1;
    }
    initialize(&option);
    // A read error loses text: the job is still ended, but it fails.
    int read_error = send_data(&option) == 0 ? 0 : (errno != 0 ? errno : EIO);
    bool ok = terminate(&option) == 0;
    if (const size_t marks = utf8_substitutions())
        std::fprintf(stderr, "%s: %zu characters outside JIS X 0208 printed as \u3013\n", program, marks);
    if (ok && read_error != 0) {
        errno = read_error;
        ok = false;
    }
    if (ok && close_streams(&option))
        return 0;
    int error = errno != 0 ? errno : 1;  // a failure never ends with status 0
    std::perror(program);
    if (!ok)
        close_streams(&option);
    return error;
}
