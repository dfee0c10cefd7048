// What the printer makes of a stream, command by command: the sheet, the
// printable frame, the position where the next dots go, the pages with
// their raster lines, and every problem a printer would stumble on.
//
// Positions are in 1/720 inch from the sheet's upper-left corner. The job
// set-up measures the frame from that corner; a transmission (which begins
// with its copies command) starts at the page start, 144 units (0.2 inch)
// in from the top and left edges, where the picture filter's moves begin.
// A raster line moves the position down by its own height; in compatible
// mode the printer does not, and the stream follows each line with an
// explicit step down instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "printer_units.h"
#include "stream_tokens.h"

constexpr int default_resolution = 240;
constexpr size_t most_kept_problems = 1000;   // a stream of noise has one per few bytes

struct Sheet {
    bool known = false;
    bool custom = false;
    int code = 0;             // paper code, or the first number of a custom size
    const char* name = "";    // from the paper table
    double width = 0, height = 0;   // 1/720 inch
};

struct Frame {
    bool has_top = false, has_left = false, has_bottom = false, has_right = false;
    double top = 0, left = 0, bottom = 0, right = 0;   // 1/720 inch from the sheet's corner
    bool complete() const { return has_top && has_left && has_bottom && has_right; }
};

struct RasterLine {
    size_t data_offset = 0;
    size_t bytes = 0;       // bytes present in the stream (fewer when it was cut off)
    int resolution = 0;
    double x = 0, y = 0;    // upper-left corner of the line's first dot
};

struct Page {
    int number = 0;          // counted over the whole stream, from 1
    int copies = 1;          // the copies in force when the page began
    Sheet sheet;
    Frame frame;
    int resolution = 0;      // of its first raster line; 0 when it has none
    bool has_text = false;
    std::vector<RasterLine> lines;
    long lines_outside = 0;  // raster lines with dots beyond the sheet, and those dots
    long dots_outside = 0;
};

struct Problem {
    size_t offset;
    std::string message;
};

enum class TextMode { none, roman, kanji };

struct Printer {
    std::string_view bytes;
    Sheet sheet;
    Frame frame;
    int unit = 2;            // the size unit: 2 is 1/720 inch
    int copies = 1;
    bool transmission = false;   // a copies command started the printing of pages
    double x = 0, y = 0;
    double pending_down = 0;     // the height of the raster line just sent
    bool step_after_raster = false;   // the last command was a compatible-mode step
    TextMode mode = TextMode::none;
    bool raster_before = false;  // the previous token was a raster line
    Page page;
    bool page_open = false;      // the page has begun and not yet met its form feed
    int pages_ended = 0;
    int line_number = 0;         // raster line number within the page, from 1
    long raster_lines = 0;       // over the whole stream
    bool text_stream = false;    // a character mode was selected: bytes between commands are text
    bool last_was_reset = false;
    bool any_token = false;
    std::vector<Problem> problems;   // the first most_kept_problems of them
    size_t problem_count = 0;
};

// A4: the sheet pages are shown on when the stream selected none.
const Sheet& default_sheet();

Printer printer_start(std::string_view bytes);

// Carries out one command. Returns true when it ended a page (the page is
// then in printer.page until the next call).
bool printer_apply(Printer& printer, const Token& token);

// The end of the stream: a page still open is ended without its form feed
// (returns true, the page in printer.page), and the closing reset is checked.
bool printer_finish(Printer& printer);

void add_problem(Printer& printer, size_t offset, std::string message);
