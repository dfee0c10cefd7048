// The page options both filters take alike: paper by name or by size, paper
// feed, margins; and the sheet, margin turn and printable frame they give.
// A job's settings record names its fields the same way in both filters
// (paper_mode, paper_name or paper_width, paper_height, paper_unit,
// paper_unit_extra, margin_top/bottom/left/right), so one template serves both.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "paper.h"
#include "printer_units.h"

constexpr double kMillimetresPerInch = 25.4;

// -ps: a size "WIDTHxHEIGHT" in millimetres when it starts with a digit
// (a missing height keeps the one before), else a paper name.
template <class Settings>
void take_paper_option(Settings* s, const char* arg)
{
    if (arg[0] >= '0' && arg[0] <= '9') {
        s->paper_mode = 1;
        s->paper_width = std::atof(arg);
        if (const char* x = std::strchr(arg, 'x'))
            s->paper_height = std::atof(x + 1);
    } else {
        s->paper_mode = 0;
        s->paper_name = arg;
    }
}

// -pu: "UNIT[=EXTRA]".
template <class Settings>
void take_paper_unit_option(Settings* s, const char* arg)
{
    s->paper_unit = truncated(arg);
    if (const char* eq = std::strchr(arg, '='))
        s->paper_unit_extra = truncated(eq + 1);
}

// -pm: top, bottom, left and right margins in millimetres.
template <class Settings>
void take_margin_option(Settings* s, char* const* args)
{
    s->margin_top = std::atof(args[0]);
    s->margin_bottom = std::atof(args[1]);
    s->margin_left = std::atof(args[2]);
    s->margin_right = std::atof(args[3]);
}

// The sheet's size in inches, portrait; the paper code, or -1 for a custom size.
template <class Settings>
int32_t sheet_size(const Settings* s, float* width, float* height)
{
    if (s->paper_mode == 1) {
        *width = static_cast<float>(s->paper_width / kMillimetresPerInch);
        *height = static_cast<float>(s->paper_height / kMillimetresPerInch);
        return -1;
    }
    const paper_entry* p = paper_lookup(s->paper_name);
    *width = static_cast<float>(p->width);
    *height = static_cast<float>(p->height);
    return p->code;
}

// The printable frame: its edges in inches from the top left of the sheet.
struct PageFrame {
    double top;
    double bottom;
    double left;
    double right;
};

// The frame the margins (millimetres) leave on a sheet of the given size in
// inches. Landscape turns the margins a quarter first, the one given as top
// becoming the left; the top passes through single precision on its way.
template <class Settings>
PageFrame margin_frame(const Settings* s, bool landscape, float sheet_width, float sheet_height)
{
    double top = s->margin_top, bottom = s->margin_bottom, left = s->margin_left, right = s->margin_right;
    if (landscape) {
        const float turned_top = static_cast<float>(top);
        top = right;
        right = bottom;
        bottom = left;
        left = turned_top;
    }
    return {top / kMillimetresPerInch, sheet_height - bottom / kMillimetresPerInch,
            left / kMillimetresPerInch, sheet_width - right / kMillimetresPerInch};
}
