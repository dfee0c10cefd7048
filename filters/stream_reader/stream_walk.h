// One pass over a whole stream: every command carried out in order, with
// a look at each command and at each page as it ends.
#pragma once

#include <functional>
#include <string_view>

#include "printer_state.h"

struct WalkHooks {
    std::function<void(const Printer&, const Token&)> command;   // after it was carried out
    std::function<void(const Printer&)> page;                     // the page is printer.page
};

Printer walk_stream(std::string_view bytes, const WalkHooks& hooks);
