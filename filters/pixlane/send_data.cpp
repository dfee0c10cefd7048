// Raster output: the prepared picture goes out line by line at printer
// resolution, one transmission per 99 copies, each page ended by a form feed.
#include "job.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "raster_job_state.h"
#include "halftone.h"
#include "halftone_methods.h"
#include "page_lines.h"
#include "printer_units.h"
#include "resample.h"
#include "sent_part.h"
#include "xsown.h"

namespace {

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
            cancelled = job_is_cancelled(job->context) && row + 1 < keep.end_line;
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
        if (job_is_cancelled(job->context) && remaining != 0) {
            errno = ECANCELED;
            return 0;
        }
    } while (remaining != 0);

    return ferror(out) ? 0 : 1;
}
