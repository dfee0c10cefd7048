// The real spooler set up in a temporary folder, so that its tests need no
// installed filters and no running system spooler: the built filters in its
// program folder, lane.types and lane.ppd in its configuration folder.
#pragma once

#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

struct PrivateSpooler {
    TempDir dir;
    std::string server_bin;   // filter/ holds copies of the built filters
    std::string conf;         // lane.types, cups-files.conf, cupsd.conf
    std::string files_conf;   // conf/cups-files.conf
    std::string ppd;          // conf/lane.ppd

    // With `system_filters`, the system's filters join the built ones.
    explicit PrivateSpooler(bool system_filters = false);
    std::string file(const std::string& name) const { return dir.file(name); }
};

// Runs a program of the spooler's, found in the usual folders ("cupsfilter",
// "cupsd", "lp"...); status 127 when it is not there.
ProgramResult run_cups(const std::string& program, const std::vector<std::string>& args);
// The path of a spooler program, or "" when it is not installed.
std::string cups_program(const std::string& program);
