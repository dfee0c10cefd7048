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
    const int line_bytes = static_cast<int>((dots + 7) / 8);
    XslBuffer<unsigned char> line(static_cast<unsigned char*>(malloc(line_bytes > 0 ? line_bytes : 1)));
    if (!line)
        return 0;

    FILE* out = settings->output;
    const long dx = to_units(layout->x_origin) - to_units(page_start);  // moves start there
    const long dy = to_units(layout->y_origin) - to_units(page_start);

    // What precedes every raster line's bytes is the same for the whole job.
    char line_head[96];
    int head_length = snprintf(line_head, sizeof line_head, "\x1b[0;1;1x");
    head_length = append_move(line_head, head_length, sizeof line_head, dx, 'a', 'j');
    head_length += snprintf(line_head + head_length, sizeof line_head - head_length,
                            "\x1b[%d;%d;%d.r", line_bytes, line_bytes, settings->resolution_x);
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
        for (long row = 0; row < lines; ++row) {
            if (ferror(out))
                return 0;
            std::fill_n(line.get(), line_bytes, 0);
            if (!fill(job, settings, picture, line.get(), layout->x_scale, layout->y_scale,
                      static_cast<int>(row), row == 0))
                return 0;
            fwrite(line_head, 1, head_length, out);
            fwrite(line.get(), 1, line_bytes, out);
            if (compatible)
                fputs("\x1b[3e", out);
            if (job_cancelled && row + 1 < lines)
                return end_cancelled_page(out);
        }
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
