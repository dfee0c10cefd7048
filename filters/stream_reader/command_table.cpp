#include "command_table.h"


namespace {

struct Row {
    Command command;
    char marker;
    const char* intermediates;
    char final_byte;
    int fewest, most;   // parameters it takes
};

constexpr int any = max_params;

constexpr Row controls[] = {
    {Command::paper_feed, 0, "", 'q', 1, 1},
    {Command::size_unit, 0, " ", 'I', 1, 1},
    {Command::set_mode, 0, "", 'h', 1, any},
    {Command::set_mode, '?', "", 'h', 1, any},
    {Command::reset_mode, 0, "", 'l', 1, any},
    {Command::reset_mode, '?', "", 'l', 1, any},
    {Command::spacing, 0, " ", 'G', 2, 2},
    {Command::paper, 0, "", 'p', 1, 3},
    {Command::position, 0, "", 'x', 3, 3},
    {Command::down, 0, "", 'e', 0, 1},
    {Command::up, 0, "", 'k', 0, 1},
    {Command::right, 0, "", 'a', 0, 1},
    {Command::left, 0, "", 'j', 0, 1},
    {Command::mark, 0, "", 't', 1, 1},
    {Command::copies, 0, "", 'v', 1, 1},
    {Command::raster, 0, ".", 'r', 3, 3},
    {Command::direction, 0, " ", 'S', 1, 1},
    {Command::column, 0, "", '`', 1, 1},
    {Command::row, 0, "", 'd', 1, 1},
    {Command::overlay, 0, "&", 's', 3, 3},
    {Command::overlay_form, 0, "&", 'w', 2, 2},
};

Command classify_control(const Token& t)
{
    for (const Row& row : controls) {
        if (row.marker != t.marker || row.final_byte != t.final_byte ||
            t.intermediates != row.intermediates)
            continue;
        const bool counted = t.count >= row.fewest && t.count <= row.most;
        if (!counted || !t.params_ok || (row.command == Command::paper && t.count == 2))
            return Command::malformed;
        return row.command;
    }
    return Command::unknown;
}

Command classify_escape(const Token& t)
{
    if (!t.intermediates.empty())
        return Command::unknown;
    switch (t.final_byte) {
    case '<': return Command::reset;
    case 'n': return Command::kanji_mode;
    case 'H': return Command::column_tab;
    case 'J': return Command::row_tab;
    default: return Command::unknown;
    }
}

}  // namespace

Command classify(const Token& t)
{
    switch (t.kind) {
    case TokenKind::control: return classify_control(t);
    case TokenKind::escape: return classify_escape(t);
    case TokenKind::form_feed: return Command::form_feed;
    case TokenKind::shift_in: return Command::roman_mode;
    case TokenKind::text: return Command::text;
    case TokenKind::bad: return Command::bad;
    }
    return Command::bad;
}
