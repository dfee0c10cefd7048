#include "tevrak.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int optsrch(const option_entry* table, const char* keyword)
{
    for (int n = 0; table[n].name != nullptr; ++n) {
        const option_entry& row = table[n];
        if (row.nargs < 0) {
            // Flags are recognised by their first letter alone.
            if (keyword[0] == row.name[0] || (row.alias != nullptr && row.alias[0] == keyword[0]))
                return n;
        } else if (std::strcmp(keyword, row.name) == 0 ||
                   (row.alias != nullptr && std::strcmp(keyword, row.alias) == 0)) {
            return n;
        }
    }
    return -1;
}

int getoption(option_parser* p, int argc, char** argv, const option_entry* table)
{
    int& optnext = p->next;
    char** tvoptarg = p->tvoptarg;
    if (optnext >= argc)
        return -3;
    p->tvoptind = optnext;
    char* word = argv[optnext++];
    tvoptarg[0] = word;
    if (word == nullptr || word[0] != '-')
        return -2;
    int n = optsrch(table, word + 1);
    if (n < 0)
        return -1;
    int nargs = table[n].nargs;
    // Argument words are taken as they come, even when they begin with a dash.
    for (int i = 0; i < nargs; ++i) {
        if (optnext >= argc)
            return -4;
        if (i < TV_MAX_ARGS)
            tvoptarg[i] = argv[optnext];
        ++optnext;
    }
    return n;
}

int parseoption(option_parser* parser, int* argc, char** argv, parse_entry* table)
{
    int r = 1;
    int k = 1;
    while (r < *argc) {
        parse_entry* row = nullptr;
        for (parse_entry* p = table; p->name != nullptr; ++p) {
            if (std::strcmp(argv[r], p->name) == 0 ||
                (p->alias != nullptr && std::strcmp(argv[r], p->alias) == 0)) {
                row = p;
                break;
            }
        }
        if (row == nullptr) {
            argv[k++] = argv[r++];
            continue;
        }
        int nargs = row->nargs < 0 ? 0 : row->nargs;
        if (r + nargs >= *argc) {
            parser->tvoptind = r;
            return -1;
        }
        switch (row->kind) {
        case 0: row->value.text = argv[r]; break;
        // A row that names no argument word has none to read; leave its slot alone.
        case 1:
            if (r + 1 < *argc)
                row->value.text = argv[r + 1];
            break;
        case 2: row->value.list = &argv[1]; break;
        case 3:
            if (r + 1 < *argc)
                row->value.integer = std::atoi(argv[r + 1]);
            break;
        case 4: {
            int used = row->value.handler(*argc - r, &argv[r]);
            // A handler cannot take more words than remain.
            nargs = used < 0 ? 0 : (used > *argc - r - 1 ? *argc - r - 1 : used);
            break;
        }
        default: break;
        }
        r += nargs + 1;
    }
    *argc = k;
    return k - 1;
}

int catoi(const char* text, int* value)
{
    int v;
    if (text == nullptr || std::sscanf(text, "%d", &v) != 1)
        return -1;
    *value = v;
    return 0;
}

int catof(const char* text, float* value)
{
    float v;
    if (text == nullptr || std::sscanf(text, "%f", &v) != 1)
        return -1;
    *value = v;
    return 0;
}
