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

// One walk over one command line: each parse has its own, so nothing is
// shared between command lines, jobs or threads and nothing needs restarting.
struct option_parser {
    int next = 1;                     // the next word to examine; only moves forward
    int tvoptind = 1;                 // the word the last call examined
    char* tvoptarg[TV_MAX_ARGS] = {}; // that option's word, then its argument words
};

int getoption(option_parser* parser, int argc, char** argv, const option_entry* table);
int optsrch(const option_entry* table, const char* keyword);
// On -1 (a matching option without its words), parser->tvoptind is where it stood.
int parseoption(option_parser* parser, int* argc, char** argv, parse_entry* table);
int catoi(const char* text, int* value);
int catof(const char* text, float* value);
