// Command-line option parsing shared by both filters.
#pragma once

#include <cstdint>

// A row of a getoption table; the table ends with a row whose name is null.
// A negative nargs marks a flag recognised by its first letter alone.
struct option_entry {
    const char* name;
    const char* alias;
    int32_t nargs;
};

// A row of a parseoption table; the table ends with a row whose name is null.
union parse_value {
    intptr_t integer;
    char* text;
    char** list;
    int (*handler)(int argc, char** argv);
};

struct parse_entry {
    const char* name;
    const char* alias;
    int32_t kind;   // 0 option word, 1 next word, 2 kept words, 3 atoi of next word, 4 handler
    int32_t nargs;
    parse_value value;
};

enum { TV_MAX_ARGS = 50 };

// Per thread, so jobs on several threads can each parse their own words.
extern thread_local int tvoptind;
extern thread_local char* tvoptarg[TV_MAX_ARGS];

int getoption(int argc, char** argv, const option_entry* table);
// Starts the walk of a new command line: the next getoption examines word 1
// again (for a program that reads a second command line in the same process).
void getoption_restart();
int optsrch(const option_entry* table, const char* keyword);
int parseoption(int* argc, char** argv, parse_entry* table);
int catoi(const char* text, int* value);
int catof(const char* text, float* value);
