// Pictures and texts for the spooler filters' tests, and runs of the filters
// next to the direct runs of pixlane and textlane they must equal.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "picture_maker.h"
#include "run_program.h"

using Env = std::vector<std::pair<std::string, std::string>>;

// The Japanese sample text in an encoding the C library's iconv knows.
std::string sample_text(const char* encoding);

struct FilterRun {
    ProgramResult result;
    std::vector<std::string> words;  // from "DEBUG: Printing as: NAME WORDS"
    // The message lines that start with `prefix` ("PAGE:", "ERROR:").
    std::vector<std::string> lines(const std::string& prefix) const;
};

// Runs a spooler filter as the spooler does: job 1 by user "tester" titled
// "job", the copies and the options, the file named (or, when empty, `input`
// on standard input).
FilterRun run_filter(const std::string& filter, const std::string& copies, const std::string& options,
                     const std::string& file, const std::string& input = {}, const Env& env = {});

// The printer stream of pixlane or textlane run with `words` on `file`.
std::string direct_stream(const std::string& program, std::vector<std::string> words, const std::string& file);
