#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "page_options.h"
#include "printer_units.h"
#include "settings.h"
#include "tevrak.h"
#include "version_option.h"

namespace {

enum {
    OPT_HELP, OPT_DPI, OPT_PS, OPT_PO, OPT_PU, OPT_PM, OPT_MO, OPT_DI, OPT_GM, OPT_VA,
    OPT_SA, OPT_CO, OPT_BR, OPT_XS, OPT_YS, OPT_FI, OPT_X, OPT_Y, OPT_LA, OPT_CP,
    OPT_SP, OPT_ME, OPT_QU, OPT_IN, OPT_OUT,
};

const option_entry opl[] = {
    {"help", "help", 0},
    {"dpi", "r", 1},
    {"ps", "ps", 1},
    {"po", "po", 1},
    {"paperunit", "pu", 1},
    {"margin", "pm", 4},
    {"mono", "mo", 1},
    {"dither", "di", 1},
    {"gamma", "gm", 1},
    {"valance", "va", 1},
    {"saturation", "sa", 1},
    {"contrast", "co", 1},
    {"bright", "br", 1},
    {"xscale", "xs", 1},
    {"yscale", "ys", 1},
    {"fit", "fi", 1},
    {"x_origin", "x", 1},
    {"y_origin", "y", 1},
    {"layout", "la", 1},
    {"copies", "cp", 1},
    {"special", "sp", 1},
    {"media", "me", 1},
    {"quality", "qu", 1},
    {"input", "in", 1},
    {"output", "out", 1},
    {nullptr, nullptr, 0},
};

// atoi plus one, for the options whose stored value is shifted past -1.
int32_t integer_plus_one(const char* text)
{
    int v = std::atoi(text);
    return v == INT_MAX ? v : v + 1;
}

// The text after the first `mark`, or null.
const char* after(const char* text, char mark)
{
    const char* p = std::strchr(text, mark);
    return p == nullptr ? nullptr : p + 1;
}

// Up to three comma-separated values; the ones not given repeat the first.
template <typename T, typename Read>
void read_triple(const char* text, Read read, T out[3])
{
    out[0] = out[1] = out[2] = read(text);
    if (const char* second = after(text, ',')) {
        out[1] = read(second);
        if (const char* third = after(second, ','))
            out[2] = read(third);
    }
}

}  // namespace

void buffer_output(FILE* out)
{
    // The C library sizes a buffer of its own by the file's block size (4 KB
    // for a pipe), whatever is asked; standard output is given one, which
    // lives as long as the program.
    constexpr size_t bytes = 1 << 17;
    char* buffer = out == stdout ? static_cast<char*>(std::malloc(bytes)) : nullptr;
    std::setvbuf(out, buffer, _IOFBF, bytes);
}

namespace {

// A stream opened for -in or -out replaces the one before it, which is closed.
void replace_stream(FILE** stream, int32_t* open_errno, const char* name, const char* mode)
{
    if (*stream != nullptr && *stream != stdin && *stream != stdout)
        std::fclose(*stream);
    errno = 0;
    *stream = std::fopen(name, mode);
    *open_errno = *stream == nullptr ? (errno != 0 ? errno : EIO) : 0;
    if (*stream != nullptr && *mode == 'w')
        buffer_output(*stream);
}

void apply(int number, char** args, Settings* s, const char* program_name)
{
    const char* arg = args[0];
    switch (number) {
    case OPT_HELP:
        PutUsage(program_name, Usage);
        std::exit(0);
    case OPT_DPI:
        s->resolution_x = s->resolution_y = truncated(arg);
        if (const char* y = after(arg, 'x'))
            s->resolution_y = truncated(y);
        break;
    case OPT_PS: take_paper_option(s, arg); break;
    case OPT_PO: s->orientation = truncated(arg); break;
    case OPT_PU: take_paper_unit_option(s, arg); break;
    case OPT_PM: take_margin_option(s, args); break;
    case OPT_MO: s->mono = std::atoi(arg); break;
    case OPT_DI:
        s->dither = truncated(arg);
        if (const char* t = after(arg, '='); t != nullptr && *t != '\0')
            s->threshold = std::atof(t);
        break;
    case OPT_GM: {
        double f[3];
        read_triple(arg, [](const char* t) { return std::atof(t); }, f);
        // Factors multiply the current values; a zero factor leaves its channel alone.
        if (f[0] != 0.0) s->gamma_red *= f[0];
        if (f[1] != 0.0) s->gamma_green *= f[1];
        if (f[2] != 0.0) s->gamma_blue *= f[2];
        break;
    }
    case OPT_VA: {
        int32_t v[3];
        read_triple(arg, [](const char* t) { return static_cast<int32_t>(std::atoi(t)); }, v);
        if (v[0] != 0) s->balance_red = v[0];
        if (v[1] != 0) s->balance_green = v[1];
        if (v[2] != 0) s->balance_blue = v[2];
        break;
    }
    case OPT_SA: s->saturation = std::atoi(arg); break;
    case OPT_CO: s->contrast = std::atoi(arg); break;
    case OPT_BR: s->bright = std::atoi(arg); break;
    case OPT_XS:
        s->fit = 0;
        s->x_scale = std::atof(arg) / 100.0;
        break;
    case OPT_YS:
        s->fit = 0;
        s->y_scale = std::atof(arg) / 100.0;
        break;
    case OPT_FI: s->fit = integer_plus_one(arg); break;
    case OPT_X:
        s->layout = s->layout == -1 ? LAYOUT_X_GIVEN : (s->layout & LAYOUT_Y_GIVEN) | LAYOUT_X_GIVEN;
        s->x_origin = std::atof(arg);
        break;
    case OPT_Y:
        s->layout = s->layout == -1 ? LAYOUT_Y_GIVEN : (s->layout & LAYOUT_X_GIVEN) | LAYOUT_Y_GIVEN;
        s->y_origin = std::atof(arg);
        break;
    case OPT_LA: s->layout = integer_plus_one(arg); break;
    case OPT_CP: s->copies = truncated(arg); break;
    case OPT_SP: s->special = std::atoi(arg); break;
    case OPT_ME: s->media = std::atoi(arg); break;
    case OPT_QU: s->quality = std::atoi(arg); break;
    case OPT_IN:
        s->input_name = arg;
        replace_stream(&s->input, &s->input_errno, arg, "r");
        break;
    case OPT_OUT:
        s->output_name = arg;
        replace_stream(&s->output, &s->output_errno, arg, "w");
        break;
    default: break;
    }
}

}  // namespace

void option_scan(const char* program_name, int argc, char** argv, Settings* settings)
{
    option_parser parser;
    int number;
    // Unknown options (-1), stray words (-2) and missing arguments (-4) are skipped.
    while ((number = getoption(&parser, argc, argv, opl)) != -3) {
        if (number >= 0)
            apply(number, parser.tvoptarg, settings, program_name);
        else if (number == -1)
            exit_if_version_word(program_name, parser.tvoptarg[0]);
    }
    complete_origin(settings);
}
