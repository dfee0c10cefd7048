#include "sent_part.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "halftone.h"
#include "halftone_methods.h"
#include "printer_units.h"

// The bitmap sampler would misread gray bytes as packed bits.
halftoner gray_halftoner(int method)
{
    // By method number, as halftone_methods.h lists them.
    static const halftoner methods[] = {floyd_gray,  error_gray,  bayer_gray,
                                        scroll_gray, random_gray, threshold_gray};
    static_assert(std::size(methods) == halftone_method_count, "one halftoner per method");
    return known_halftone(method) ? methods[method] : methods[0];
}

void take_dots(const unsigned char* line, long first, long count, unsigned char* out)
{
    const long bytes = (count + 7) / 8;
    const unsigned char* from = line + first / 8;
    const int shift = static_cast<int>(first & 7);
    for (long i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(shift == 0 ? from[i] : (from[i] << shift) | (from[i + 1] >> (8 - shift)));
    if (count & 7)
        out[bytes - 1] &= static_cast<unsigned char>(0xFF << (8 - (count & 7)));
}

// Everything, or for a layout clipped to the sheet what lands on it, placed
// as the printer places it: a line's dots side by side from where it begins,
// and each line one dot row below the one before (in compatible mode, the
// stream's step below).
SentPart sent_part(const Settings* s, const PageLayout* layout, long dots, long lines)
{
    SentPart part{0, dots, 0, lines, layout->x_origin, layout->y_origin};
    if (!layout->clip_to_sheet || dots == 0 || lines == 0)
        return part;
    const int dpi = s->resolution_x;
    const long across = dot_index(layout->sheet_units_across, dpi);
    const long down = dot_index(layout->sheet_units_down, dpi);

    const long column = dot_index(layout->x_origin, dpi);
    part.first_dot = std::clamp(-column, 0L, dots);
    part.end_dot = std::clamp(across - column, part.first_dot, dots);
    if (part.first_dot > 0)
        part.x_start = 0;   // the sheet's first column
    if (part.first_dot == part.end_dot) {   // no line has a dot on the sheet
        part.end_line = 0;
        return part;
    }

    const bool compatible = s->special == 1;
    const double step = compatible ? compatible_line_step : units_per_inch / dpi;
    const double top = layout->y_origin;
    auto row = [&](long line) { return dot_index(top + line * step, dpi); };
    // A guess from the positions, then the rows themselves decide.
    long first = std::clamp(static_cast<long>(std::ceil(-top / step)), 0L, lines);
    while (first > 0 && row(first - 1) >= 0)
        --first;
    while (first < lines && row(first) < 0)
        ++first;
    long end = std::clamp(static_cast<long>(std::ceil((down * units_per_inch / dpi - top) / step)), first, lines);
    while (end > first && row(end - 1) >= down)
        --end;
    while (end < lines && row(end) < down)
        ++end;
    part.first_line = first;
    part.end_line = end;
    // Lines one dot row apart: the first sent is on the sheet's first row.
    if (first > 0)
        part.y_start = compatible ? top + first * step : 0;
    return part;
}

