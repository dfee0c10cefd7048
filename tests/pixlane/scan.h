// Runs set_default and option_scan over a command line in a fresh process
// (the option parser's position only moves forward) and hands back the record.
#pragma once

#include <string>
#include <vector>

#include "settings.h"

struct Scanned {
    Settings s{};
    bool returned = false;  // false when option_scan ended the process
    int status = -1;
    std::string paper_name;   // texts the record pointed at (mode 0 paper name)
    std::string input_name;
    std::string output_name;
};

Scanned scan(std::vector<std::string> args);
