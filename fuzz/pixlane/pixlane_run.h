// Runs one image job of pixlane over fuzz input: the command line cut from
// the input, the stages of main in their order, the printer stream discarded.
#pragma once

#include <cstdio>

#include "fuzz_bytes.h"
#include "settings.h"

// Default settings changed by up to `most_words` option words taken from the
// input (options that open files or print the usage are made harmless).
void settings_from_input(FuzzBytes& in, size_t most_words, Settings* settings);

// read_data on `picture`, page_problem, initialize, send_data and terminate
// into a null stream; the picture and page are kept small enough to halftone
// quickly (larger ones stop after the set-up).
void run_picture_job(Settings* settings, FILE* picture);
