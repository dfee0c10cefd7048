#include "paper.h"

#include <strings.h>

#define MM(v) ((v) / 25.4)

const paper_entry paper[] = {
    {"A3", 12, MM(297.0), MM(420.0)},
    {"A3R", 13, MM(420.0), MM(297.0)},
    {"A4", 14, MM(210.0), MM(297.0)},
    {"A4R", 15, MM(297.0), MM(210.0)},
    {"A5", 16, MM(148.0), MM(210.0)},
    {"A5R", 17, MM(210.0), MM(148.0)},
    {"PCARD", 18, MM(100.0), MM(148.0)},
    {"PCARDR", 19, MM(148.0), MM(100.0)},
    {"B4", 24, MM(257.0), MM(364.0)},
    {"B4R", 25, MM(364.0), MM(257.0)},
    {"B5", 26, MM(182.0), MM(257.0)},
    {"B5R", 27, MM(257.0), MM(182.0)},
    {"B6", 28, MM(128.0), MM(182.0)},
    {"B6R", 29, MM(182.0), MM(128.0)},
    {"LT", 30, 8.5, 11.0},
    {"LTR", 31, 11.0, 8.5},
    {"LG", 32, 8.5, 14.0},
    {"LGR", 33, 14.0, 8.5},
    {"LD", 34, 11.0, 17.0},
    {"EXE", 40, 7.25, 10.5},
    {"EXER", 41, 10.5, 7.25},
    {"F4", 50, MM(210.0), MM(330.0)},
    {nullptr, 0, 0.0, 0.0},
};

const paper_entry* paper_lookup(const char* name)
{
    if (name != nullptr) {
        for (const paper_entry* p = paper; p->name != nullptr; ++p) {
            if (strcasecmp(p->name, name) == 0)
                return p;
        }
    }
    return &paper[1];
}
