// How a failed stage ends the job.
#pragma once

#include <string>

#include "job_report.h"

// A short reason for an image library error code (xslerrno); null for 0.
// The wording is the library's (XSLErrorText).
const char* xsl_reason(int code);

// Why the last XSReadMagic found no picture, as a person can act on it: the
// format the bytes looked like and why its reader gave up ("JPEG: damaged
// image data", "TIFF: picture too large ..."), or "not a picture file this
// printer knows" when no format recognised them.
std::string unread_picture_reason();

// Clears errno and xslerrno, so that a failing stage reports its own cause.
void begin_stage();

// Reports a failed stage through `report`: the system error when errno is
// set, otherwise the reason for xslerrno, or `fallback` when the library left
// none. Returns the exit status: that errno, or 1.
int report_stage_failure(const job_report& report, const char* fallback);

// Ends the job after a failed stage: with a system error, perror(program_name)
// and that errno as status; otherwise "program_name: reason" and status 1,
// the reason taken from xslerrno, or `fallback` when the library left none.
[[noreturn]] void fail_job(const char* program_name, const char* fallback);
