#include "cancel.h"

#include <csignal>
#include <cstring>

namespace {

volatile std::sig_atomic_t sigterm_received = 0;

extern "C" void note_cancel(int)
{
    sigterm_received = 1;
}

}  // namespace

void cancel_on_sigterm()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = note_cancel;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a write in progress finishes; the line ends whole
    sigaction(SIGTERM, &action, nullptr);
}

bool cancelled_by_sigterm(void*)
{
    return sigterm_received != 0;
}

job_context sigterm_context(const job_report& report)
{
    job_context context;
    context.report = report;
    context.cancelled = cancelled_by_sigterm;
    return context;
}
