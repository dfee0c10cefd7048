// Raster output: the prepared picture goes out line by line at printer
// resolution, one transmission per 99 copies, each page ended by a form feed.
#include "job.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "cancel.h"
#include "halftone.h"
#include "halftone_methods.h"
#include "page_lines.h"
#include "printer_units.h"
#include "resample.h"
#include "xsown.h"

namespace {

constexpr int max_copies_per_transmission = 99;

// Gray pictures are halftoned by the chosen method; a method number the
// printer filter does not know falls back to the default error diffusion
// (the bitmap sampler would misread gray bytes as packed bits).
halftoner gray_halftoner(int method)
{
    // By method number, as halftone_methods.h lists them.
    static const halftoner methods[] = {floyd_gray,  error_gray,  bayer_gray,
                                        scroll_gray, random_gray, threshold_gray};
    static_assert(std::size(methods) == halftone_method_count, "one halftoner per method");
    return known_halftone(method) ? methods[method] : methods[0];
}

// Appends "\e[%d%c" with the distance and the letter of its direction to
// text (nothing for 0); returns the new length.
int append_move(char* text, int length, int size, long distance, char forward, char backward)
{
    if (distance == 0)
        return length;
    return length + snprintf(text + length, size - length, "\x1b[%ld%c", std::labs(distance),
                             distance > 0 ? forward : backward);
}

// A cancelled job stops after the line it was on: the page is ended so the
// printer is not left in the middle of it (a page whose last line went out is
// whole and ends as usual).
int end_cancelled_page(FILE* out)
{
    fputc('\f', out);
    errno = ECANCELED;
    return 0;
}

// Dots [first, first + count) of a line, packed from the top bit of out's
// first byte; the bits after them are cleared. `line` holds a byte beyond
// the one of its last dot.
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

// What goes out of the picture's dots and lines: dots [first_dot, end_dot)
// of lines [first_line, end_line), the first dot at x_start, the first line
// at y_start (printer units).
struct SentPart {
    long first_dot, end_dot, first_line, end_line;
    double x_start, y_start;
};

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

}  // namespace

int send_data(RasterJob* job, const Settings* settings, const PageLayout* layout, XSImage* picture,
              const job_report* report)
{
    halftoner fill = null_func;
    if (picture->type != 0) {
        if (!XSLBuildGraymap(picture))
            return 0;
        fill = gray_halftoner(settings->dither);
    }

    const long dots = resample_count(picture->width, layout->x_scale);
    const long lines = resample_count(picture->height, layout->y_scale);
    if (dots < 0 || lines < 0) {
        errno = ENOMEM;   // a page that large cannot be held
        return 0;
    }
    // The whole line is halftoned (so every dot is what it would be) and the
    // part that is sent copied out of it (lines come with a byte to spare).
    const SentPart keep = sent_part(settings, layout, dots, lines);
    const bool cut = keep.first_dot != 0 || keep.end_dot != dots;
    const long sent_dots = keep.end_dot - keep.first_dot;
    const int sent_bytes = static_cast<int>((sent_dots + 7) / 8);
    XslBuffer<unsigned char> sent(cut ? static_cast<unsigned char*>(malloc(sent_bytes + 1)) : nullptr);
    if (cut && !sent)
        return 0;

    FILE* out = settings->output;
    const long dx = to_units(keep.x_start) - to_units(page_start);  // moves start there
    const long dy = to_units(keep.y_start) - to_units(page_start);

    // What precedes every raster line's bytes is the same for the whole job.
    char line_head[96];
    int head_length = snprintf(line_head, sizeof line_head, "\x1b[0;1;1x");
    head_length = append_move(line_head, head_length, sizeof line_head, dx, 'a', 'j');
    head_length += snprintf(line_head + head_length, sizeof line_head - head_length,
                            "\x1b[%d;%d;%d.r", sent_bytes, sent_bytes, settings->resolution_x);
    char page_head[48];
    int page_head_length = snprintf(page_head, sizeof page_head, "\x1b[0;1;0x");
    page_head_length = append_move(page_head, page_head_length, sizeof page_head, dy, 'e', 'k');
    const bool compatible = settings->special == 1;

    int remaining = settings->copies;
    do {
        const int copies = remaining <= max_copies_per_transmission ? remaining
                                                                    : max_copies_per_transmission;
        remaining -= copies;
        fprintf(out, "\x1b[%dv", copies);
        fwrite(page_head, 1, page_head_length, out);
        // Lines above the part that is sent are halftoned all the same: the
        // dots below depend on them.
        bool write_failed = false, cancelled = false;
        auto send_line = [&](long row, const unsigned char* line) {
            if (ferror(out)) {
                write_failed = true;
                return false;
            }
            if (row >= keep.first_line) {
                fwrite(line_head, 1, head_length, out);
                if (cut)
                    take_dots(line, keep.first_dot, sent_dots, sent.get());
                fwrite(cut ? sent.get() : line, 1, sent_bytes, out);
                if (compatible)
                    fputs("\x1b[3e", out);
            }
            cancelled = job_cancelled && row + 1 < keep.end_line;
            return !cancelled;
        };
        if (!make_lines(job, fill, settings, picture, layout->x_scale, layout->y_scale, keep.end_line, dots,
                        send_line) ||
            write_failed)
            return 0;
        if (cancelled)
            return end_cancelled_page(out);
        fputc('\f', out);
        if (!ferror(out))
            report_page(report, 1, copies);
        if (job_cancelled && remaining != 0) {
            errno = ECANCELED;
            return 0;
        }
    } while (remaining != 0);

    return ferror(out) ? 0 : 1;
}
