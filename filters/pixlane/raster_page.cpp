#include "raster_page.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "corrections.h"
#include "job.h"
#include "page_stream.h"
#include "paper.h"
#include "sent_part.h"

namespace {

constexpr double points_per_inch = 72.0;
constexpr double mm_per_inch = 25.4;
constexpr double paper_tolerance_mm = 1.0;

double sheet_inches(double points) { return points / points_per_inch; }

// The table's paper of this size as it lies, or null.
const paper_entry* table_paper(double width_mm, double height_mm)
{
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        if (std::fabs(p->width * mm_per_inch - width_mm) <= paper_tolerance_mm &&
            std::fabs(p->height * mm_per_inch - height_mm) <= paper_tolerance_mm)
            return p;
    return nullptr;
}

// The sheet the page prints on, in inches as it lies: the table's paper
// within a millimetre of the page's size (returned), or a custom size.
const paper_entry* printed_sheet(const raster_page_setup& setup, double* width, double* height)
{
    *width = sheet_inches(setup.width_points);
    *height = sheet_inches(setup.height_points);
    const paper_entry* row = table_paper(*width * mm_per_inch, *height * mm_per_inch);
    if (row != nullptr) {
        *width = row->width;
        *height = row->height;
    }
    return row;
}

}  // namespace

const char* raster_page_problem(const raster_page_setup& setup)
{
    if (setup.x_resolution < min_raster_resolution || setup.x_resolution > max_raster_resolution ||
        setup.y_resolution < min_raster_resolution || setup.y_resolution > max_raster_resolution)
        return "the resolution must lie between 60 and 2400 dots per inch";
    const double w = sheet_inches(setup.width_points), h = sheet_inches(setup.height_points);
    // The table's papers are all within the bounds.
    if (!(w >= min_sheet_inches && w <= max_sheet_inches && h >= min_sheet_inches && h <= max_sheet_inches))
        return "the page's sides must lie between 1 and 17 inches";
    if (setup.copies < 1 || setup.copies > 9999)
        return "the copies must lie between 1 and 9999";
    if (!(setup.left_points >= 0 && setup.left_points < setup.width_points && setup.top_points >= 0 &&
          setup.top_points < setup.height_points))
        return "the page's pixels begin outside its sheet";
    return nullptr;
}

void raster_page_limits(const raster_page_setup& setup, long* width, long* height)
{
    double sheet_width = setup.width_points, sheet_height = setup.height_points;
    double inches_width, inches_height;
    if (printed_sheet(setup, &inches_width, &inches_height) != nullptr) {
        sheet_width = inches_width * points_per_inch;
        sheet_height = inches_height * points_per_inch;
    }
    *width = std::max(0L, static_cast<long>(sheet_inches(sheet_width - setup.left_points) * setup.x_resolution));
    *height = std::max(0L, static_cast<long>(sheet_inches(sheet_height - setup.top_points) * setup.y_resolution));
}

void raster_page_settings(const raster_page_setup& setup, Settings* s)
{
    set_default(s);
    s->resolution_x = s->resolution_y = setup.x_resolution;
    double sheet_width, sheet_height;
    if (const paper_entry* row = printed_sheet(setup, &sheet_width, &sheet_height)) {
        s->paper_name = row->name;
    } else {
        s->paper_mode = 1;
        s->paper_width = sheet_width * mm_per_inch;
        s->paper_height = sheet_height * mm_per_inch;
    }
    // What the rounding of the page's size or resolution would still put
    // beyond the sheet is not sent either.
    s->clip_to_sheet = 1;
    // One pixel one dot, from the page's place on the sheet.
    s->fit = 0;
    s->x_scale = 1.0;
    s->y_scale = static_cast<double>(setup.x_resolution) / setup.y_resolution;
    s->layout = LAYOUT_X_GIVEN | LAYOUT_Y_GIVEN;
    s->x_origin = sheet_inches(setup.left_points) * mm_per_inch;
    s->y_origin = sheet_inches(setup.top_points) * mm_per_inch;
    s->copies = setup.copies;
    s->dither = setup.halftone;
}

int print_raster_page(FILE* out, XSImage* page, const raster_page_setup& setup, const job_report* report)
{
    if (page->width <= 0 || page->height <= 0 || (page->type != 0 && !XSLBuildGraymap(page))) {
        errno = EINVAL;
        return 0;
    }
    const long stride = XSLBytesPerLine(page);
    int remaining = setup.copies;
    do {
        const int copies = std::min(remaining, max_copies_per_transmission);
        remaining -= copies;
        PageStream* stream = start_page_stream(setup, page->width, page->height, page->type == 0,
                                               remaining + copies == setup.copies ? out : nullptr, out, copies,
                                               {});
        int ok = stream != nullptr;
        for (long y = 0; ok && y < page->height; ++y)
            ok = page_stream_row(stream, page->data + y * stride);
        ok = ok && end_page_stream(stream);
        if (stream != nullptr)
            free_page_stream(stream);
        if (!ok)
            return 0;
        report_page(report, setup.page_number, copies);
    } while (remaining > 0);
    return 1;
}

int end_raster_job(FILE* out)
{
    Settings s;
    set_default(&s);
    s.output = out;
    return terminate(&s);
}
