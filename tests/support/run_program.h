// Runs a program the way a spooler would and captures everything it says.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProgramResult {
    std::string out;      // bytes written to standard output
    std::string err;      // text written to standard error
    int status = -1;      // exit status; 128 + signal number when killed by a signal
    bool signalled = false;
};

// Runs `path` with `args` (the program name is `path` itself), `input` fed to
// its standard input, and `env` added to (or replacing in) its environment.
ProgramResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::string& input = {},
                          const std::vector<std::pair<std::string, std::string>>& env = {});
