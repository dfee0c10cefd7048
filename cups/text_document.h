// A text document printed as a job's request asks: its encoding found from
// the text unless the job names it, an encoding textlane does not read
// turned into UTF-8 first, then textlane's job. texttolane and the Printer
// Application both print text through it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "job_context.h"
#include "job_request.h"
#include "text_settings.h"

// textlane's settings for what the request asks, reading `input_code`: each
// value as its command-line word says it (text_words).
void text_settings(const job_request& request, int input_code, TextSettings* settings);

struct text_document {
    const job_request* request = nullptr;
    FILE* in = nullptr;           // seekable, at the text's first byte
    FILE* out = nullptr;          // the printer
    job_context* context = nullptr;
    // Told the textlane command line before the text prints.
    std::function<void(const std::vector<std::string>& words)> show_words;
};

// The exit status: 0 when the whole text went out; a text whose encoding
// cannot be told or converted fails (through the context's report) before
// anything is written.
int print_text_document(const text_document& document);
