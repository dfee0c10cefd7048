// The image filter's job settings: one record filled from the command line
// and only read after that (the page set-up works out a PageLayout).
#pragma once

#include <cstdint>
#include <cstdio>

struct Settings {
    int32_t resolution_x;       // printer dots per inch, used on both axes
    int32_t resolution_y;       // stored only
    int32_t paper_mode;         // 0 paper by name, 1 custom width x height
    union {
        const char* paper_name; // mode 0
        double paper_width;     // mode 1, millimetres
    };
    double paper_height;        // mode 1, millimetres
    int32_t orientation;        // 0 portrait, otherwise landscape
    int32_t paper_unit;
    int32_t paper_unit_extra;   // stored only
    double margin_top;
    double margin_bottom;
    double margin_left;
    double margin_right;
    int32_t mono;
    int32_t dither;
    double threshold;
    double gamma_red;
    double gamma_green;
    double gamma_blue;
    int32_t balance_red;
    int32_t balance_green;
    int32_t balance_blue;
    int32_t saturation;
    int32_t contrast;
    int32_t bright;
    int32_t fit;                // -1 none, 0 explicit ratios, 1..3 fit rule 0..2
    double x_scale;             // ratio to the picture's own size
    double y_scale;
    int32_t layout;             // -1 none, 1..5 placement, else bits 16 (x) / 32 (y)
    double x_origin;            // millimetres
    double y_origin;
    int32_t copies;
    int32_t special;
    int32_t media;              // stored only
    int32_t quality;            // stored only
    const char* input_name;
    FILE* input;
    const char* output_name;
    FILE* output;
    int32_t input_errno;        // errno of a failed -in open, else 0
    int32_t output_errno;       // errno of a failed -out open, else 0
    int32_t clip_to_sheet;      // 1: no dots beyond the sheet are sent; set by
                                // the spooler filters, no option sets it
};

enum { LAYOUT_X_GIVEN = 16, LAYOUT_Y_GIVEN = 32 };

// The program's name for messages (set by main).
extern const char* program;

void set_default(Settings* settings);
// Origins not given start at the top-left corner of the printable area; the
// last step of filling the settings, from a command line or from a job's request.
void complete_origin(Settings* settings);
void option_scan(const char* program_name, int argc, char** argv, Settings* settings);
// Gives the printer stream a buffer of many lines: written a line at a time,
// unbuffered, a page took three system calls per line. Call before the
// first write. Errors show at the next flush, within a few hundred lines.
void buffer_output(FILE* out);
void PutUsage(const char* program_name, const char* const* lines);
extern const char* const Usage[];
