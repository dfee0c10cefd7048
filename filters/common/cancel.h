// Cancelling a job: the spooler sends SIGTERM, and the filters then stop after
// the line they are on, end the page and reset the printer, so that the
// printer is never left in the middle of a page.
#pragma once

#include <csignal>

// Set by the SIGTERM handler; read after every line sent.
// One flag per thread, so that jobs running side by side in one server are
// cancelled one at a time.
extern thread_local volatile std::sig_atomic_t job_cancelled;

// Installs the handler that sets job_cancelled (the spooler filters do; the
// command-line filters keep the default action).
void cancel_on_sigterm();
