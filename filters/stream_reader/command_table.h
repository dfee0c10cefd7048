// The commands this printer knows, found from a token's bytes.
#pragma once

#include "stream_tokens.h"

enum class Command {
    reset,           // ESC <
    paper_feed,      // ESC [ n q
    size_unit,       // ESC [ n SP I
    set_mode,        // ESC [ n h, ESC [ ? n h
    reset_mode,      // ESC [ n l, ESC [ ? n l
    spacing,         // ESC [ line ; character SP G
    paper,           // ESC [ code p, ESC [ m ; width ; height p
    position,        // ESC [ a ; b ; c x (printer private)
    down, up, right, left,   // ESC [ n e / k / a / j
    mark,            // ESC [ n t: a corner of the printable frame
    copies,          // ESC [ n v
    raster,          // ESC [ bytes ; bytes ; dpi . r, then the bytes
    direction,       // ESC [ n SP S
    column,          // ESC [ n `
    row,             // ESC [ n d
    column_tab,      // ESC H
    row_tab,         // ESC J
    overlay,         // ESC [ a ; b ; c & s
    overlay_form,    // ESC [ a ; b & w
    kanji_mode,      // ESC n
    roman_mode,      // SI
    form_feed,       // FF
    text,
    unknown,         // well formed, but not a command of this printer
    malformed,       // a known command with parameters it cannot take
    bad,             // bytes that are no command at all
};

Command classify(const Token& token);
