// The text filter's job settings: one record filled from the command line
// and read by every later stage.
#pragma once

#include <cstdint>
#include <cstdio>

#include "job_context.h"

struct TextSettings {
    int32_t resolution_x;       // stored only
    int32_t resolution_y;       // stored only
    int32_t paper_mode;         // 0 paper by name, 1 custom width x height
    union {
        const char* paper_name; // mode 0
        double paper_width;     // mode 1, millimetres
    };
    double paper_height;        // mode 1, millimetres
    int32_t orientation;        // 0 portrait, otherwise landscape; passed on as given
    int32_t paper_unit;         // paper-feed selector
    int32_t paper_unit_extra;   // stored only
    // Millimetres; after the set-up they hold the page's edges in inches.
    double margin_top;
    double margin_bottom;
    double margin_left;
    double margin_right;
    const char* kanji_font;     // stored only
    const char* alpha_font;     // stored only
    int32_t charset;            // stored only
    int32_t alpha_pitch;        // stored only
    double font_width;          // points
    double font_height;         // points
    int32_t line_space_given;   // 1 once -ls was seen
    double line_space;          // points
    int32_t form_orientation;   // 0 horizontal writing, otherwise vertical
    int32_t kanji_code;         // input encoding: 0 EUC, 1 Shift-JIS, 2 JIS
    int32_t copies;
    int32_t filter_mode;        // 1 enables the pass-through lines
    const char* input_name;
    const char* output_name;
    FILE* input;
    FILE* output;
    const job_context* context; // asked after every line whether the job was cancelled; may be null
};

// The program's name for messages (set by main).
extern const char* program;

// Option numbers: positions in the option table.
enum {
    OPT_DPI, OPT_PAPERSIZE, OPT_PAPERORI, OPT_PAPERUNIT, OPT_MARGIN, OPT_FONTKANJI,
    OPT_FONTALPHA, OPT_CHARSET, OPT_FORMORI, OPT_FONTSIZE, OPT_LINESPACE, OPT_KANJICODE,
    OPT_COPIES, OPT_FMODE, OPT_SPECIAL, OPT_INPUT, OPT_OUTPUT, OPT_HELP
};

void set_default(TextSettings* settings);
// Applies one recognised option (not help) with its argument words.
void apply_option(TextSettings* settings, int number, char* const* args);
// Reads the command line, then opens -in and -out; exits on -help or an unopenable file.
void option_scan(const char* program_name, int argc, char** argv, TextSettings* settings);
