// Cancelling a job: the spooler sends SIGTERM, and the filters then stop after
// the line they are on, end the page and reset the printer, so that the
// printer is never left in the middle of a page.
#pragma once

#include "job_context.h"

// Installs the handler that notes SIGTERM (the spooler filters do; the
// command-line filters keep the default action). A spooler filter runs one
// job a process, so the note is the process's.
void cancel_on_sigterm();

// A job context's cancel check for a spooler filter: true once SIGTERM came.
bool cancelled_by_sigterm(void* unused);

// A context whose job is cancelled by SIGTERM, reporting through `report`.
job_context sigterm_context(const job_report& report);
