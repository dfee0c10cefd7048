// The readable listing: one line per command with its offset, its bytes as
// written (escape spelled ESC) and what the printer does with it.
#pragma once

#include <cstdio>
#include <string>

#include "printer_state.h"

// What the command just carried out means, given the printer after it.
std::string describe(const Printer& printer, const Token& token);

void list_command(FILE* out, const Printer& printer, const Token& token);
