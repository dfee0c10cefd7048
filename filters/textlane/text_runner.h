// The one way a text document is printed, whoever asks: textlane's command
// line, the spooler's text filter and the Printer Application.
#pragma once

#include "job_context.h"
#include "text_settings.h"

struct text_run {
    TextSettings settings;  // filled from a command line or from a job's request
    // Copies of several pages in page order: the whole text once per copy.
    // Needs an input that can be read again; otherwise the printer repeats each page.
    bool collate = false;
};

// Prints the text; returns the exit status (0 when the whole job went out).
int run_text_job(const text_run& run, job_context* context);
