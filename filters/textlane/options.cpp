#include "text_settings.h"

#include "page_options.h"
#include "printer_units.h"
#include "tevrak.h"
#include "version_option.h"

#include <cstdlib>
#include <cstring>

namespace {

const option_entry opl[] = {
    {"dpi", "r", 1},
    {"papersize", "ps", 1},
    {"paperori", "po", 1},
    {"paperunit", "pu", 1},
    {"margin", "pm", 4},
    {"fontkanji", "fk", 1},
    {"fontalpaha", "fa", 1},
    {"charset", "cs", 1},
    {"formori", "fo", 1},
    {"fontsize", "fs", 2},
    {"linespace", "ls", 1},
    {"kanjicode", "fc", 1},
    {"copies", "cp", 1},
    {"fmode", "fm", 1},
    {"special", "sp", 1},
    {"input", "in", 1},
    {"output", "out", 1},
    {"help", "h", 0},
    {nullptr, nullptr, 0},
};

FILE* open_or_exit(const char* name, const char* mode)
{
    FILE* stream = std::fopen(name, mode);
    if (stream == nullptr) {
        std::fprintf(stderr, "can't open file : %s\n", name);
        std::exit(1);
    }
    return stream;
}

void PutUsage(const char* program_name, const char* const* lines);

}  // namespace

// Internal to this unit (the image filter has its own usage text).
static const char* const Usage[] = {
    "where options include:",
    "  argument (params)         : contents",
    "  -in  filename             : input filename",
    "  -out filename             : output filename",
    "  -r dpi                    : printer resolution",
    "  -ps paper_symbol          : paper size",
    "  -po 0/1                   : paper orient (PORTRATE/LANDSCAPE)",
    "  -pu paperunit             : paper handring unite",
    "  -pm top bottom left right : paper margin",
    "  -fk name                  : Kanji font name",
    "  -fa name                  : alphabet font name",
    "  -cs characterset          : character set select",
    "  -fo 0/1                   : form  orient(YOKOGAKI/TATEGAKI)",
    "  -fs width hight           : font size",
    "  -ls linespace             : line spacing size",
    "  -fc 0/1/2                 : code (EUC/Shift-JIS/JIS)",
    "  -cp value                 : copy number ",
    "  -fm mode                  : filter mode",
    "  -sp mode                  : special mode ",
    "  -help                     : this message",
    nullptr,
};

void set_default(TextSettings* settings)
{
    *settings = TextSettings{};
    settings->resolution_x = 300;
    settings->resolution_y = 300;
    settings->paper_name = "A4";
    settings->margin_top = 5.0;
    settings->margin_bottom = 5.0;
    settings->margin_left = 5.0;
    settings->margin_right = 5.0;
    settings->kanji_font = "80";
    settings->alpha_font = "1";
    settings->font_width = 10.0;
    settings->font_height = 10.0;
    settings->line_space = 12.0;
    settings->copies = 1;
    settings->input = stdin;
    settings->output = stdout;
}

void apply_option(TextSettings* s, int number, char* const* args)
{
    const char* arg = args[0];
    switch (number) {
    case OPT_DPI:
        s->resolution_x = s->resolution_y = truncated(arg);
        break;
    case OPT_PAPERSIZE:
        take_paper_option(s, arg);
        break;
    case OPT_PAPERORI:
        s->orientation = std::atoi(arg);
        break;
    case OPT_PAPERUNIT:
        take_paper_unit_option(s, arg);
        break;
    case OPT_MARGIN:
        take_margin_option(s, args);
        break;
    case OPT_FONTKANJI:
        s->kanji_font = arg;
        break;
    case OPT_FONTALPHA:
        // The name ends at the "=", which is cut off in the argument itself.
        s->alpha_font = arg;
        if (char* eq = std::strchr(args[0], '=')) {
            *eq = '\0';
            s->alpha_pitch = truncated(eq + 1);
        }
        break;
    case OPT_CHARSET:
        s->charset = truncated(arg);
        break;
    case OPT_FORMORI:
        s->form_orientation = truncated(arg);
        break;
    case OPT_FONTSIZE:
        s->font_width = std::atof(args[0]);
        s->font_height = std::atof(args[1]);
        if (s->line_space_given != 1)
            s->line_space = s->font_height * 1.2;
        break;
    case OPT_LINESPACE:
        s->line_space = std::atof(arg);
        s->line_space_given = 1;
        break;
    case OPT_KANJICODE:
        s->kanji_code = truncated(arg);
        break;
    case OPT_COPIES:
        s->copies = truncated(arg);
        break;
    case OPT_FMODE:
        s->filter_mode = truncated(arg);
        break;
    case OPT_INPUT:
        s->input_name = arg;
        break;
    case OPT_OUTPUT:
        s->output_name = arg;
        break;
    default:  // -sp is accepted and ignored
        break;
    }
}

void option_scan(const char* program_name, int argc, char** argv, TextSettings* settings)
{
    option_parser parser;
    int number;
    // Unknown options, bare words and options cut short are skipped silently.
    while ((number = getoption(&parser, argc, argv, opl)) != -3) {
        if (number == -1)
            exit_if_version_word(program_name, parser.tvoptarg[0]);
        if (number < 0)
            continue;
        if (number == OPT_HELP) {
            PutUsage(program_name, Usage);
            std::exit(0);
        }
        apply_option(settings, number, parser.tvoptarg);
    }
    if (settings->input_name != nullptr)
        settings->input = open_or_exit(settings->input_name, "r");
    if (settings->output_name != nullptr)
        settings->output = open_or_exit(settings->output_name, "w");
}

namespace {

void PutUsage(const char* program_name, const char* const* lines)
{
    std::fputs("textlane Ver 3.0.0 Mar./24/2006\n", stderr);
    std::fprintf(stderr, "\nusage:\n\t%s [-options ...]\n\n", program_name);
    if (lines == nullptr)
        return;
    for (; *lines != nullptr; ++lines)
        std::fprintf(stderr, "%s\n", *lines);
}

}  // namespace
