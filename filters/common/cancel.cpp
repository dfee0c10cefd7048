#include "cancel.h"

#include <cstring>

thread_local volatile std::sig_atomic_t job_cancelled = 0;

namespace {

extern "C" void note_cancel(int)
{
    job_cancelled = 1;
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
