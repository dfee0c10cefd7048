// Runs the text filter's stages in this process on in-memory text.
#pragma once

#include "text_settings.h"

#include <string>

// Feeds `input` through initialize, send_data and terminate with the given
// settings and returns every byte written.
std::string run_job(TextSettings settings, const std::string& input);

// Settings as the empty command line leaves them.
TextSettings defaults();

// The set-up stream the printer receives before the text, built from the
// fixed command texts and the numbers a test expects.
struct PageSetup {
    int unit = 0;
    std::string paper = "\033[14p";
    bool vertical = false;
    int top = 141, left = 0, height = 7993, width = 5669;
    int copies = 1;
    int pitch = 120, half_width = 50;
};
std::string setup_stream(const PageSetup& s = {});

// What the printer receives after the text.
inline const std::string end_of_job = "\014\033<";
