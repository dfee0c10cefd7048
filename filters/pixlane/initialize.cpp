// Page set-up of an image job: landscape turn, gray conversion, the printer's
// set-up stream, and the scale and position of the picture on the sheet.
//
// The printer measures in 1/720 inch from the upper-left corner of the sheet
// lying in portrait; landscape is printed by turning the picture, never the
// page. Values kept in single precision are stored in floats on purpose: the
// printed numbers depend on that rounding.
#include "job.h"

#include <cmath>
#include <cstdio>

#include "page_options.h"
#include "paper.h"
#include "printer_units.h"
#include "resample.h"
#include "xsconv.h"
#include "xsrotate.h"

namespace {

// A placement 1 to 5 as the user sees the landscape page, moved to where it
// lies on the portrait sheet once the picture has been turned clockwise.
int turn_placement(int placement)
{
    switch (placement) {
    case 1: return 2;
    case 2: return 5;
    case 4: return 1;
    case 5: return 4;
    default: return placement;
    }
}

void write_setup(FILE* out, int paper_unit)
{
    fputs("\x1b<", out);
    fprintf(out, "\x1b[%dq", paper_unit);
    fputs("\x1b[2 I", out);
    fputs("\x1b[11h\x1b[?2h\x1b[?1l", out);
    fputs("\x1b[1;1 G", out);
}

// A custom sheet's sides in printer units, as its paper command gives them.
void custom_sheet_units(const PageLayout& layout, int* width, int* height)
{
    const float unit = static_cast<float>(units_per_inch);
    *width = to_units(layout.sheet_width * unit);
    *height = to_units(layout.sheet_height * unit);
}

// Selects the paper of the layout's sheet.
void write_paper(FILE* out, const Settings* settings, const PageLayout& layout)
{
    if (settings->paper_mode == 1) {
        int width, height;
        custom_sheet_units(layout, &width, &height);
        fprintf(out, "\x1b[80;%d;%dp", width, height);
        return;
    }
    fprintf(out, "\x1b[%dp", layout.paper_code);
}

// Marks the printable frame: its upper-left corner (marks 0 and 2) and its
// lower-right corner (marks 1 and 3), reached by relative moves.
void write_frame(FILE* out, const PageFrame& f)
{
    fputs("\x1b[0;1;0x", out);
    fprintf(out, "\x1b[%de\x1b[%da\x1b[0t\x1b[2t\x1b[%de\x1b[%da\x1b[1t\x1b[3t",
            to_units(f.top * units_per_inch), to_units(f.left * units_per_inch),
            to_units((f.bottom - f.top) * units_per_inch),
            to_units((f.right - f.left) * units_per_inch));
}

// Printer dots per picture pixel, by the fit rule; the frame is in inches.
void compute_scale(const Settings* s, const PageFrame& frame, int width, int height, int resolution,
                   float* sx, float* sy)
{
    const int dpi = s->resolution_x;
    if (s->fit == 0 || s->fit == -1) {
        const int picture_dpi = resolution != 0 ? resolution : 100;
        const float r = static_cast<float>(static_cast<double>(dpi) / picture_dpi);
        *sx = static_cast<float>(r * s->x_scale);
        *sy = static_cast<float>(r * s->y_scale);
        return;
    }
    const float pw = static_cast<float>(frame.right - frame.left);
    const float ph = static_cast<float>(frame.bottom - frame.top);
    *sx = static_cast<float>(static_cast<double>(dpi) * pw / width);
    *sy = static_cast<float>(static_cast<double>(dpi) * ph / height);
    switch (s->fit) {
    case 1:   // the lower ratio
        if (*sx < *sy)
            *sy = *sx;
        else
            *sx = *sy;
        break;
    case 2:   // the vertical ratio
        *sx = *sy;
        break;
    case 3:   // the horizontal ratio
        *sy = *sx;
        break;
    default:  // stretched to fill the frame both ways
        break;
    }
}

// The picture's upper-left corner on the sheet, in inches, for a picture of
// ow x oh inches.
void compute_position(const Settings* s, const PageFrame& frame, float paper_width, float ow,
                      float oh, double* x, double* y)
{
    const bool landscape = s->orientation != 0;
    if (s->layout & (LAYOUT_X_GIVEN | LAYOUT_Y_GIVEN)) {
        // An origin is measured on the page as the user sees it, margins not added.
        *x = s->x_origin / kMillimetresPerInch;
        *y = s->y_origin / kMillimetresPerInch;
        if (landscape) {
            const float t = static_cast<float>(*y);
            *y = *x;
            *x = static_cast<float>(static_cast<double>(paper_width) - ow - t);  // rounded once, when stored
        }
        return;
    }
    const float pw = static_cast<float>(frame.right - frame.left);
    const float ph = static_cast<float>(frame.bottom - frame.top);
    const int placement = landscape ? turn_placement(s->layout) : s->layout;
    float px = 0, py = 0;
    switch (placement) {
    case 2: px = pw - ow; break;
    case 3: px = (pw - ow) / 2; py = (ph - oh) / 2; break;
    case 4: py = ph - oh; break;
    case 5: px = pw - ow; py = ph - oh; break;
    default: break;   // 1, left upper
    }
    *x = px + frame.left;
    *y = py + frame.top;
}

// The sheet's sides in printer units as the printer knows them: a paper of
// the table exactly, a custom size as its command gives it.
void sheet_units(const PageLayout& l, double* width, double* height)
{
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        if (p->code == l.paper_code) {
            *width = p->width * units_per_inch;
            *height = p->height * units_per_inch;
            return;
        }
    int w, h;
    custom_sheet_units(l, &w, &h);
    *width = w;
    *height = h;
}

// The layout of a picture of width x height pixels as it stands on the sheet.
PageLayout layout_for(const Settings* s, int width, int height, int resolution)
{
    PageLayout l{};
    l.paper_code = sheet_size(s, &l.sheet_width, &l.sheet_height);
    // Landscape turns the margins the other way round from the picture: top becomes left.
    l.frame_inches = margin_frame(s, s->orientation != 0, l.sheet_width, l.sheet_height);
    const PageFrame& f = l.frame_inches;
    l.frame = {std::trunc(f.top * units_per_inch), std::trunc(f.bottom * units_per_inch),
               std::trunc(f.left * units_per_inch), std::trunc(f.right * units_per_inch)};
    l.width = width;
    l.height = height;
    float sx, sy;
    compute_scale(s, f, width, height, resolution, &sx, &sy);
    l.x_scale = sx;
    l.y_scale = sy;
    const int dpi = s->resolution_x;
    const float ow = static_cast<float>(width * static_cast<double>(sx) / dpi);
    const float oh = static_cast<float>(height * static_cast<double>(sy) / dpi);
    double x, y;
    compute_position(s, f, l.sheet_width, ow, oh, &x, &y);
    l.x_origin = std::trunc(x * units_per_inch);
    l.y_origin = std::trunc(y * units_per_inch);
    l.clip_to_sheet = s->clip_to_sheet != 0;
    sheet_units(l, &l.sheet_units_across, &l.sheet_units_down);
    return l;
}

}  // namespace

PageLayout page_layout(const Settings* settings, const XSImage* picture)
{
    // The picture as it will stand on the sheet: landscape turns it.
    const bool turned = settings->orientation != 0;
    return layout_for(settings, turned ? picture->height : picture->width,
                      turned ? picture->width : picture->height, picture->resolution);
}

const char* page_problem(const Settings* settings, const XSImage* picture)
{
    if (settings->resolution_x <= 0)
        return "the resolution must be a positive number of dots per inch";
    const bool ratios = settings->fit == 0 || settings->fit == -1;
    if (ratios && !(std::isfinite(settings->x_scale) && settings->x_scale > 0 &&
                    std::isfinite(settings->y_scale) && settings->y_scale > 0))
        return "the scale must be a finite positive number";
    const PageLayout layout = page_layout(settings, picture);
    const long dots = resample_count(layout.width, layout.x_scale);
    const long lines = resample_count(layout.height, layout.y_scale);
    if (dots < 0 || lines < 0 || dots > max_dots_per_line || double(dots) * double(lines) > max_dots_per_page)
        return "the page is too large for the printer (at most 65536 dots a line and 4294967296 dots a page)";
    return nullptr;
}

int initialize(const Settings* settings, XSImage* picture, PageLayout* layout)
{
    if (settings->orientation != 0 && !XSLRotate270(picture))
        return 0;
    if (picture->type != 0) {
        if (!XSLConvGray(picture))
            return 0;
    } else {
        XSLBitmapToGray(picture);   // a bitmap that stays one prints through the bitmap sampler
    }
    set_up_page(settings, picture, layout);
    return 1;
}

void set_up_page(const Settings* settings, const XSImage* picture, PageLayout* layout)
{
    *layout = layout_for(settings, picture->width, picture->height, picture->resolution);
    FILE* out = settings->output;
    write_setup(out, settings->paper_unit);
    write_paper(out, settings, *layout);
    write_frame(out, layout->frame_inches);
}
