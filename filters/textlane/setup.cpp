#include "page.h"

#include "page_options.h"
#include "printer_units.h"

namespace {

// Printer positions are single-precision products truncated toward zero.
int32_t units(float inches)
{
    return to_units(inches * static_cast<float>(units_per_inch));
}

}  // namespace

int getpapersize(TextSettings* settings, float* width, float* height)
{
    return sheet_size(settings, width, height);
}

int initialize(TextSettings* s)
{
    FILE* out = s->output;
    std::fputs("\033<", out);
    std::fprintf(out, "\033[%dq", s->paper_unit);
    std::fputs("\033[2 I\033[11h\033[?1l\033[?2h", out);

    float width;
    float height;
    int code = getpapersize(s, &width, &height);
    // The orientation is any number the command line gave: the sums wrap
    // as 32-bit arithmetic does instead of overflowing.
    int64_t orientation = s->orientation;
    if (code < 0)
        std::fprintf(out, "\033[%d;%d;%dp", static_cast<int32_t>(80 * orientation), units(width),
                     units(height));
    else
        std::fprintf(out, "\033[%dp", static_cast<int32_t>(code + orientation));

    if (s->form_orientation != 0)
        std::fputs("\033[4 S\033[?29h", out);

    if (s->orientation != 0) {
        // Landscape: the margins turn a quarter and the paper's sides swap.
        float w = width;
        width = height;
        height = w;
    }
    const PageFrame frame = margin_frame(s, s->orientation != 0, width, height);

    std::fputs("\033[0;0;0x\033[150k", out);

    // The 5 mm correction applies to bottom, left and right, not to the top.
    float y0 = static_cast<float>(frame.top);
    float y1 = static_cast<float>(frame.bottom - 5.0 / kMillimetresPerInch);
    float x0 = static_cast<float>(frame.left - 5.0 / kMillimetresPerInch);
    float x1 = static_cast<float>(frame.right - 5.0 / kMillimetresPerInch);
    std::fprintf(out, "\033[%de\033[%da\033[0t\033[2t", units(y0), units(x0));
    std::fputs("\033[1;5;0x", out);
    std::fprintf(out, "\033[%de\033[%da\033[1t\033[3t", units(y1 - y0), units(x1 - x0));

    std::fputs("\033[?1h\033[?2l\033[?3l\033[?4l\033[?5h\033[?6h\033[?7l\033[?8l\033[?14h\033[?23l",
               out);
    std::fprintf(out, "\033[%dv", s->copies);
    std::fputs("\033[11l\033[0;0;0x\033[2 I", out);
    std::fprintf(out, "\033[%d;%d G", to_units(s->line_space * 10),
                 to_units(s->font_width * 5));

    for (int n = 1; n <= 31; ++n)
        std::fprintf(out, "\033[%d`\033H", 8 * n);
    for (int n = 1; n <= 31; ++n)
        std::fprintf(out, "\033[%dd\033J", 8 * n);

    std::fputs("\033[1;0;0&s\033[0;0;0&s\033[1;0&w", out);
    return std::fputc(0x0F, out);  // SI: Roman mode
}
