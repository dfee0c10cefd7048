// The verdict on a stream: its problems, one per line, and a summary.
#pragma once

#include <cstdio>
#include <string>

#include "printer_state.h"

// Writes "program: byte N: message" for the first `most` problems and a
// count of the others.
void report_problems(FILE* err, const char* program, const Printer& printer, size_t most);

// "picture stream: 2 pages, 240 raster lines: well-formed"
std::string summary(const Printer& printer);
