#include "stream_listing.h"

#include "command_table.h"
#include "jis_text.h"
#include "raster_bits.h"

namespace {

constexpr size_t command_column = 24;

std::string mm(double units)
{
    char text[32];
    snprintf(text, sizeof text, "%.1f", units / units_per_inch * 25.4);
    return text;
}

std::string number(long n)
{
    return std::to_string(n);
}

std::string all_params(const Token& t)
{
    std::string text;
    for (int i = 0; i < t.count && i < max_params; ++i)
        text += (i > 0 ? ";" : "") + std::string(t.marker != 0 && i == 0 ? 1 : 0, t.marker) +
                number(t.params[i]);
    return text;
}

std::string paper(const Printer& p)
{
    const Sheet& s = p.sheet;
    if (s.custom)
        return "custom paper " + mm(s.width) + " x " + mm(s.height) + " mm (mode " +
               number(s.code) + ")";
    if (!s.known)
        return "unknown paper code " + number(s.code);
    return std::string("paper ") + s.name + " (code " + number(s.code) + "): " + mm(s.width) +
           " x " + mm(s.height) + " mm";
}

std::string mark(const Printer& p, const Token& t)
{
    static const char* const edges[] = {"top", "bottom", "left", "right"};
    const long m = t.params[0];
    if (m < 0 || m > 3)
        return "unknown frame mark " + number(m);
    const Frame& f = p.frame;
    std::string text = "mark " + number(m) + ": frame " + edges[m] + " at " +
                       number(static_cast<long>(m < 2 ? p.y : p.x));
    if (f.complete())
        text += "; printable frame " + mm(f.right - f.left) + " x " + mm(f.bottom - f.top) +
                " mm, " + mm(f.left) + " mm from the left, " + mm(f.top) + " mm from the top";
    return text;
}

std::string move(const Printer& p, const Token& t, const char* direction)
{
    std::string text = std::string(direction) + " " + number(param(t, 0, 1)) + "/720 inch";
    return p.step_after_raster ? "compatible-mode step: " + text : text;
}

std::string position(const Token& t)
{
    if (t.params[1] == 1 && t.params[2] == 0)
        return "to the page start";
    if (t.params[1] == 1 && t.params[2] == 1)
        return "to the start of the line";
    return "printer set-up " + all_params(t);
}

std::string raster(const Printer& p, const Token& t)
{
    const auto* data = reinterpret_cast<const unsigned char*>(p.bytes.data()) + t.data_offset;
    return "raster line " + number(p.line_number) + ": " + number(static_cast<long>(t.data_length)) +
           " bytes at " + number(t.params[2]) + " dpi, " +
           number(count_black(data, 0, static_cast<long>(t.data_length) * 8)) + " black dots";
}

std::string text(const Printer& p, const Token& t)
{
    if (p.mode == TextMode::none)
        return number(static_cast<long>(t.length)) + " bytes that are no command";
    const bool kanji = p.mode == TextMode::kanji;
    return std::string(kanji ? "Kanji text \"" : "text \"") +
           decode_text(p.bytes.substr(t.offset, t.length), kanji).utf8 + "\"";
}

std::string form_feed(const Printer& p)
{
    std::string text = "form feed: end of page " + number(p.page.number);
    if (p.page.copies != 1)
        text += " (" + number(p.page.copies) + " copies)";
    return text;
}

}  // namespace

std::string describe(const Printer& p, const Token& t)
{
    switch (classify(t)) {
    case Command::reset: return "reset";
    case Command::paper_feed: return "paper feed " + number(t.params[0]);
    case Command::size_unit:
        return "size unit " + number(t.params[0]) + (t.params[0] == 2 ? " (1/720 inch)" : "");
    case Command::set_mode: return "set mode " + all_params(t);
    case Command::reset_mode: return "reset mode " + all_params(t);
    case Command::spacing:
        return "spacing: lines " + number(t.params[0]) + "/720, characters " +
               number(t.params[1]) + "/720 inch";
    case Command::paper: return paper(p);
    case Command::position: return position(t);
    case Command::down: return move(p, t, "down");
    case Command::up: return move(p, t, "up");
    case Command::right: return move(p, t, "right");
    case Command::left: return move(p, t, "left");
    case Command::mark: return mark(p, t);
    case Command::copies:
        return "copies per transmission: " + number(t.params[0]) + " (page " +
               number(p.page.number) + ")";
    case Command::raster: return raster(p, t);
    case Command::direction: return "presentation direction " + number(t.params[0]);
    case Command::column: return "to column " + number(t.params[0]);
    case Command::row: return "to line " + number(t.params[0]);
    case Command::column_tab: return "tab stop (columns)";
    case Command::row_tab: return "tab stop (lines)";
    case Command::overlay: return "overlay " + all_params(t);
    case Command::overlay_form: return "overlay form " + all_params(t);
    case Command::kanji_mode: return "Kanji mode";
    case Command::roman_mode: return "Roman mode";
    case Command::form_feed: return form_feed(p);
    case Command::text: return text(p, t);
    case Command::unknown: return "unknown command";
    case Command::malformed: return "malformed command";
    case Command::bad: return t.error;
    }
    return {};
}

void list_command(FILE* out, const Printer& p, const Token& t)
{
    std::string shown = t.kind == TokenKind::text ? "" : readable(p.bytes.substr(t.offset, t.length));
    if (shown.size() > command_column)
        shown = shown.substr(0, command_column - 3) + "...";
    fprintf(out, "%9zu  %-*s  %s\n", t.offset, static_cast<int>(command_column), shown.c_str(),
            describe(p, t).c_str());
}
