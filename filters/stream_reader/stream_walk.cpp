#include "stream_walk.h"

Printer walk_stream(std::string_view bytes, const WalkHooks& hooks)
{
    Printer printer = printer_start(bytes);
    TokenReader reader{bytes};
    Token token;
    while (read_token(reader, token)) {
        const bool page_ended = printer_apply(printer, token);
        if (hooks.command)
            hooks.command(printer, token);
        if (page_ended && hooks.page)
            hooks.page(printer);
    }
    if (printer_finish(printer) && hooks.page)
        hooks.page(printer);
    return printer;
}
