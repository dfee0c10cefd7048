// Paper sizes known to the printer, shared by both filters.
#pragma once

#include <cstdint>

struct paper_entry {
    const char* name;
    int32_t code;    // printer paper code
    double width;    // inches
    double height;   // inches
};

// Ends with a row whose name is null.
extern const paper_entry paper[];

// Case-blind look-up; a name that matches no row selects A3R (the second row).
const paper_entry* paper_lookup(const char* name);
