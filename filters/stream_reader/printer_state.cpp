#include "printer_state.h"

#include <cstdio>

#include "command_table.h"
#include "jis_text.h"
#include "paper.h"
#include "raster_bits.h"

namespace {

constexpr int highest_resolution = 9600;
constexpr int most_copies = 99;   // per transmission
constexpr size_t shown_command = 32;

std::string shown(const Printer& p, const Token& t)
{
    std::string text = readable(p.bytes.substr(t.offset, t.length));
    if (text.size() > shown_command)
        text = text.substr(0, shown_command) + "...";
    return text;
}

Sheet table_sheet(long code)
{
    Sheet sheet;
    sheet.code = static_cast<int>(code);
    for (const paper_entry* e = paper; e->name != nullptr; ++e) {
        if (e->code == code) {
            sheet.known = true;
            sheet.name = e->name;
            sheet.width = e->width * units_per_inch;
            sheet.height = e->height * units_per_inch;
            break;
        }
    }
    return sheet;
}

void begin_page(Printer& p)
{
    if (p.page_open)
        return;
    p.page = Page{};
    p.page.number = p.pages_ended + 1;
    p.page.copies = p.copies;
    p.page.sheet = p.sheet;
    p.page.frame = p.frame;
    p.page_open = true;
    p.line_number = 0;
}

bool end_page(Printer& p, size_t offset)
{
    if (!p.page_open)
        begin_page(p);   // a form feed alone still feeds a blank sheet
    Page& page = p.page;
    if (page.dots_outside > 0) {
        const Sheet& s = page.sheet;
        char text[160];
        snprintf(text, sizeof text,
                 "page %d: %ld raster lines put %ld dots outside the sheet (%s%.1f x %.1f mm)",
                 page.number, page.lines_outside, page.dots_outside, s.custom ? "custom " : "",
                 s.width / units_per_inch * 25.4, s.height / units_per_inch * 25.4);
        add_problem(p, offset, text);
    }
    p.page_open = false;
    ++p.pages_ended;
    return true;
}

void select_paper(Printer& p, const Token& t)
{
    if (t.count == 1) {
        p.sheet = table_sheet(t.params[0]);
        if (!p.sheet.known)
            add_problem(p, t.offset, "unknown paper code " + std::to_string(t.params[0]));
        return;
    }
    p.sheet = Sheet{};
    p.sheet.custom = true;
    p.sheet.code = static_cast<int>(t.params[0]);
    p.sheet.width = static_cast<double>(t.params[1]);
    p.sheet.height = static_cast<double>(t.params[2]);
    p.sheet.known = t.params[1] > 0 && t.params[2] > 0;
    if (!p.sheet.known)
        add_problem(p, t.offset, "custom paper size " + std::to_string(t.params[1]) + " x " +
                                     std::to_string(t.params[2]) + " is no sheet");
}

void set_mark(Printer& p, const Token& t)
{
    Frame& f = p.frame;
    switch (t.params[0]) {
    case 0: f.top = p.y; f.has_top = true; break;
    case 1: f.bottom = p.y; f.has_bottom = true; break;
    case 2: f.left = p.x; f.has_left = true; break;
    case 3: f.right = p.x; f.has_right = true; break;
    default:
        add_problem(p, t.offset, "unknown frame mark " + std::to_string(t.params[0]));
        return;
    }
    if (f.complete() && (f.bottom <= f.top || f.right <= f.left))
        add_problem(p, t.offset, "the printable frame is empty: its corners are crossed");
}

void set_copies(Printer& p, const Token& t)
{
    p.copies = static_cast<int>(t.params[0]);
    p.transmission = true;
    if (p.copies < 1 || p.copies > most_copies)
        add_problem(p, t.offset, "copies " + std::to_string(p.copies) + " is outside 1 to 99");
    if (!p.page_open)
        begin_page(p);
}

void count_outside(Printer& p, const RasterLine& line)
{
    const Sheet& s = p.page.sheet.known ? p.page.sheet : default_sheet();
    const unsigned char* data = reinterpret_cast<const unsigned char*>(p.bytes.data()) + line.data_offset;
    const long n = static_cast<long>(line.bytes) * 8;
    const int r = line.resolution;
    const long wide = dot_index(s.width, r), high = dot_index(s.height, r);
    const long row = dot_index(line.y, r), column = dot_index(line.x, r);
    long outside;
    if (row < 0 || row >= high) {
        outside = count_black(data, 0, n);
    } else {
        const long left_end = std::clamp(-column, 0L, n);
        const long right_start = std::clamp(wide - column, left_end, n);
        outside = count_black(data, 0, left_end) + count_black(data, right_start, n);
    }
    if (outside > 0) {
        ++p.page.lines_outside;
        p.page.dots_outside += outside;
    }
}

void raster_line(Printer& p, const Token& t)
{
    begin_page(p);
    ++p.line_number;
    ++p.raster_lines;
    const std::string which = "raster line " + std::to_string(p.line_number) + " of page " +
                              std::to_string(p.page.number);
    if (t.error != nullptr)
        add_problem(p, t.offset, which + " declares " + std::to_string(t.params[0]) +
                                     " bytes, but only " + std::to_string(t.data_length) +
                                     " remain in the stream");
    if (t.params[0] < 0)
        add_problem(p, t.offset, which + ": its byte count is negative");
    else if (t.params[0] != t.params[1])
        add_problem(p, t.offset, which + ": its two byte counts differ (" +
                                     std::to_string(t.params[0]) + " and " +
                                     std::to_string(t.params[1]) + ")");
    const long resolution = t.params[2];
    if (resolution < 1 || resolution > highest_resolution) {
        add_problem(p, t.offset, which + ": resolution " + std::to_string(resolution) +
                                     " dpi is not one a printer has");
        return;
    }
    if (!p.page.sheet.known && p.page.lines.empty())
        add_problem(p, t.offset, "page " + std::to_string(p.page.number) +
                                     " is printed with no paper selected; shown on A4");
    if (p.page.resolution == 0)
        p.page.resolution = static_cast<int>(resolution);
    else if (p.page.resolution != resolution)
        add_problem(p, t.offset, which + " is at " + std::to_string(resolution) +
                                     " dpi, the page at " + std::to_string(p.page.resolution) +
                                     ": it is left out of the page picture");
    RasterLine line;
    line.data_offset = t.data_offset;
    line.bytes = t.data_length;
    line.resolution = static_cast<int>(resolution);
    line.x = p.x;
    line.y = p.y;
    p.page.lines.push_back(line);
    count_outside(p, line);
    p.pending_down = units_per_inch / resolution;
}

void text(Printer& p, const Token& t, bool after_raster)
{
    if (after_raster) {
        add_problem(p, t.offset, "raster line " + std::to_string(p.line_number) + " of page " +
                                     std::to_string(p.page.number) +
                                     ": its byte count does not match its data, bytes that are "
                                     "no command follow it");
        return;
    }
    if (p.mode == TextMode::none) {
        add_problem(p, t.offset, std::to_string(t.length) + " bytes that are no command");
        return;
    }
    begin_page(p);
    p.page.has_text = true;
    const DecodedText d = decode_text(p.bytes.substr(t.offset, t.length), p.mode == TextMode::kanji);
    if (d.bad > 0)
        add_problem(p, t.offset + d.first_bad,
                    std::to_string(d.bad) + (p.mode == TextMode::kanji ? " bytes of Kanji text"
                                                                       : " bytes of Roman text") +
                        " are no character the printer has");
}

// Everything back to the printer's defaults; what was counted stays.
void reset(Printer& p)
{
    Printer fresh = printer_start(p.bytes);
    fresh.problems = std::move(p.problems);
    fresh.problem_count = p.problem_count;
    fresh.pages_ended = p.pages_ended;
    fresh.raster_lines = p.raster_lines;
    fresh.text_stream = p.text_stream;
    fresh.last_was_reset = true;
    fresh.any_token = true;
    p = std::move(fresh);
}

}  // namespace

const Sheet& default_sheet()
{
    static const Sheet a4 = table_sheet(14);
    return a4;
}

void add_problem(Printer& p, size_t offset, std::string message)
{
    ++p.problem_count;
    if (p.problems.size() < most_kept_problems)
        p.problems.push_back(Problem{offset, std::move(message)});
}

Printer printer_start(std::string_view bytes)
{
    Printer p;
    p.bytes = bytes;
    return p;
}

bool printer_apply(Printer& p, const Token& t)
{
    const Command c = classify(t);
    const bool after_raster = p.raster_before;
    p.raster_before = false;
    p.step_after_raster = false;
    p.last_was_reset = false;
    p.any_token = true;
    if (p.pending_down != 0) {
        // The line's own height, unless the stream steps down itself (compatible mode).
        if (c == Command::down && after_raster)
            p.step_after_raster = true;
        else
            p.y += p.pending_down;
        p.pending_down = 0;
    }
    const double home = p.transmission ? page_start : 0.0;
    const long n = param(t, 0, 1);
    switch (c) {
    case Command::reset:
        if (p.page_open) {
            add_problem(p, t.offset, "page " + std::to_string(p.page.number) +
                                         " has no form feed before the reset");
            Page page = std::move(p.page);
            end_page(p, t.offset);
            reset(p);
            p.page = std::move(page);
            return true;
        }
        reset(p);
        break;
    case Command::size_unit:
        p.unit = static_cast<int>(n);
        if (p.unit != 2)
            add_problem(p, t.offset, "size unit " + std::to_string(n) +
                                         " is not 1/720 inch: the positions that follow are not followed");
        break;
    case Command::paper: select_paper(p, t); break;
    case Command::position:
        if (t.params[1] == 1 && t.params[2] == 0) {
            p.x = home;
            p.y = home;
        } else if (t.params[1] == 1 && t.params[2] == 1) {
            p.x = home;
        }
        break;
    case Command::down: p.y += n; break;
    case Command::up: p.y -= n; break;
    case Command::right: p.x += n; break;
    case Command::left: p.x -= n; break;
    case Command::mark: set_mark(p, t); break;
    case Command::copies: set_copies(p, t); break;
    case Command::raster:
        raster_line(p, t);
        p.raster_before = true;
        break;
    case Command::kanji_mode:
    case Command::roman_mode:
        p.mode = c == Command::kanji_mode ? TextMode::kanji : TextMode::roman;
        p.text_stream = true;
        break;
    case Command::form_feed: return end_page(p, t.offset);
    case Command::text: text(p, t, after_raster); break;
    case Command::unknown:
    case Command::bad:
        if (after_raster)
            text(p, t, true);
        else if (c == Command::unknown)
            add_problem(p, t.offset, "unknown command " + shown(p, t));
        else
            add_problem(p, t.offset, std::string(t.error) + ": " + shown(p, t));
        break;
    case Command::malformed:
        add_problem(p, t.offset, "malformed command " + shown(p, t) +
                                     ": its parameters are not what the command takes");
        break;
    default:   // set-up commands that place nothing
        break;
    }
    return false;
}

bool printer_finish(Printer& p)
{
    const size_t end = p.bytes.size();
    if (!p.any_token) {
        add_problem(p, 0, "the stream is empty");
        return false;
    }
    bool ended = false;
    if (p.page_open) {
        add_problem(p, end, "page " + std::to_string(p.page.number) +
                                " has no form feed at the end of the stream");
        ended = end_page(p, end);
    }
    if (!p.last_was_reset)
        add_problem(p, end, "the stream does not end with the closing reset (ESC <)");
    if (p.pages_ended == 0)
        add_problem(p, end, "the stream prints no page");
    return ended;
}
