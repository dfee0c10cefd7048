// Runs code in a forked copy of the test process, for code that keeps
// process-wide state that only moves forward (the option parser) or that may
// end the process.
#pragma once

#include <functional>
#include <string>

struct ChildResult {
    std::string bytes;    // what the function returned
    int status = -1;      // exit status; 128 + signal number when killed by a signal
    bool returned = false;  // the function returned (rather than exiting or crashing)
};

ChildResult run_in_child(const std::function<std::string()>& fn);
