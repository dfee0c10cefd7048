// The text job's command stream: set-up, text lines, end of job.
#pragma once

#include "job_report.h"
#include "text_settings.h"

#include <cstddef>

// Bytes of input taken as one piece; a longer line goes through in several.
enum { LINE_SIZE = 10240 };

// Paper code (-1 for a custom size) and the paper's size in inches.
int getpapersize(TextSettings* settings, float* width, float* height);
// Writes the set-up; returns the result of its last write.
int initialize(TextSettings* settings);
// Copies the text, converted line by line, until the end of the input;
// -1 when reading failed. Every form feed in the text ends a page, told to
// `report` with the job's copies; *pages gets their number. A job cancelled
// (its context says so) stops after the current line and returns -1 with errno
// ECANCELED.
// *marks gets the number of geta marks printed for characters the printer lacks.
int send_data(TextSettings* settings, const job_report* report = nullptr, int* pages = nullptr,
              size_t* marks = nullptr);
void setKanjiMode(TextSettings* settings);
void setAlphaMode(TextSettings* settings);
// Ends the page and the job; 0 when the output is free of errors, -1 otherwise.
int terminate(TextSettings* settings);
