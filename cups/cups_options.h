// The job options a spooler filter receives: the option string of its fifth
// argument and the defaults of the printer's PPD file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct cups_option {
    std::string name;
    std::string value;
};

// Splits "name=value name2='quoted value' flag noflag" into options: a value
// may be quoted with ' or " or hold backslash escapes; a bare name reads as
// "true", a name prefixed with "no" as "false" ("nofit-to-page").
std::vector<cups_option> parse_cups_options(std::string_view text);

// The "*DefaultNAME: value" lines of a PPD file, as options NAME=value.
std::vector<cups_option> read_ppd_defaults(FILE* ppd);
