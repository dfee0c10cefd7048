// The command-line words of pixlane and textlane that ask what a job's
// request asks: shown in the job's log as the equivalent command, never
// parsed again.
#pragma once

#include <string>
#include <vector>

#include "job_request.h"

// The command-line words of pixlane for the request, its scaling apart.
std::vector<std::string> picture_words(const job_request& request);
// The command-line words of textlane for the request, its input code apart.
std::vector<std::string> text_words(const job_request& request);

// A number as a command-line word, to four decimals (a ten-thousandth of a
// millimetre, point or percent is far below what the printer can show)
// without trailing zeros.
std::string number_word(double value, int decimals = 4);
// A number as its word reads back: what the command line in the log asks.
double word_value(double value);
