// The frame both spooler filters share: their arguments, their messages to
// the spooler, their input and the command line of the filter they run.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "job_report.h"
#include "job_request.h"

// The arguments of a spooler filter: job-id user title copies options [file].
struct filter_job {
    const char* title = "";
    const char* copies = "1";
    const char* options = "";
    const char* file = nullptr;  // null: standard input
};

// Reads the arguments; with the wrong number, prints the usage and returns false.
bool read_filter_arguments(int argc, char** argv, filter_job* job);

// Writes one message line ("ERROR: ...", "INFO: ...", "DEBUG: ...") for the spooler.
void spooler_message(const std::string& line);

// The job's request from its copies, the printer's PPD defaults (the file the
// spooler names in $PPD) and its options; the notes on values set aside are
// written as they are.
job_request read_spooler_request(filter_kind kind, const filter_job& job);

// Failures as "ERROR:" lines (a cancelled job as an "INFO:" line), notices as
// "INFO:" lines, pages as "PAGE: page copies".
job_report spooler_report();

// How a filter reads its input: from a seekable file (a pipe is copied to
// a temporary file first), as it comes, or as it comes with standard input
// left unread (the filter reads its descriptor and sees to an empty input).
enum class input_use { seekable, streamed, unread };

// The job's input, named or standard input, made seekable when asked and it
// is not. Null after an "ERROR:" line when it cannot be opened or copied, or
// is empty (standard input left unread is not looked at).
FILE* open_job_input(const filter_job& job, input_use use = input_use::seekable);

// The "ERROR:" line of a job whose document has no bytes.
void report_empty_document();

// The start both filters share: the arguments, a SIGTERM that cancels, the
// request and the input. Null when the job cannot start (the usage or an
// "ERROR:" line has been written).
FILE* start_spooler_job(int argc, char** argv, filter_kind kind, filter_job* job, job_request* request,
                        input_use use = input_use::seekable);

// A command line as a filter's option scan reads it: the program name, then
// the words; the texts live as long as the command line.
struct command_line {
    std::vector<std::string> words;
    std::vector<char*> argv;

    command_line(const char* program, const std::vector<std::string>& args);
    int argc() const { return static_cast<int>(argv.size()) - 1; }
};

// "DEBUG: Printing as: NAME WORDS...", the same job from the command line.
void show_command(const char* name, const std::vector<std::string>& words);
