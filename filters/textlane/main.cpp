// textlane: prints a text file (EUC, Shift-JIS or JIS) on the page printer.
#include "page.h"
#include "text_settings.h"

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
    initialize(&option);
    // A read error loses text: the job is still ended, but it fails.
    int read_error = send_data(&option) == 0 ? 0 : (errno != 0 ? errno : EIO);
    bool ok = terminate(&option) == 0;
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
