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

// Selects the paper of the given size in inches.
void write_paper(FILE* out, const Settings* settings, float width, float height)
{
    if (settings->paper_mode == 1) {
        const float w720 = width * 720.0f, h720 = height * 720.0f;
        fprintf(out, "\x1b[80;%d;%dp", to_units(w720), to_units(h720));
        return;
    }
    fprintf(out, "\x1b[%dp", paper_lookup(settings->paper_name)->code);
}

// Marks the printable frame: its upper-left corner (marks 0 and 2) and its
// lower-right corner (marks 1 and 3), reached by relative moves.
void write_frame(FILE* out, const Settings* s)
{
    fputs("\x1b[0;1;0x", out);
    fprintf(out, "\x1b[%de\x1b[%da\x1b[0t\x1b[2t\x1b[%de\x1b[%da\x1b[1t\x1b[3t",
            to_units(s->margin_top * 720), to_units(s->margin_left * 720),
            to_units((s->margin_bottom - s->margin_top) * 720),
            to_units((s->margin_right - s->margin_left) * 720));
}

// Printer dots per picture pixel, by the fit rule; the frame is in inches.
void compute_scale(Settings* s, const XSImage* picture, float* sx, float* sy)
{
    const int dpi = s->resolution_x;
    if (s->fit == 0 || s->fit == -1) {
        const int resolution = picture->resolution != 0 ? picture->resolution : 100;
        const float r = static_cast<float>(static_cast<double>(dpi) / resolution);
        *sx = static_cast<float>(r * s->x_scale);
        *sy = static_cast<float>(r * s->y_scale);
        return;
    }
    const float pw = static_cast<float>(s->margin_right - s->margin_left);
    const float ph = static_cast<float>(s->margin_bottom - s->margin_top);
    *sx = static_cast<float>(static_cast<double>(dpi) * pw / picture->width);
    *sy = static_cast<float>(static_cast<double>(dpi) * ph / picture->height);
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

// The picture's upper-left corner on the sheet, in inches.
void compute_position(const Settings* s, float paper_width, float ow, float oh, double* x, double* y)
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
    const float pw = static_cast<float>(s->margin_right - s->margin_left);
    const float ph = static_cast<float>(s->margin_bottom - s->margin_top);
    const int placement = landscape ? turn_placement(s->layout) : s->layout;
    float px = 0, py = 0;
    switch (placement) {
    case 2: px = pw - ow; break;
    case 3: px = (pw - ow) / 2; py = (ph - oh) / 2; break;
    case 4: py = ph - oh; break;
    case 5: px = pw - ow; py = ph - oh; break;
    default: break;   // 1, left upper
    }
    *x = px + s->margin_left;
    *y = py + s->margin_top;
}

// Turns the margins for landscape, makes them the frame in inches from the
// sheet's top left, and finds the scale of a picture of the given size.
void plan_page(Settings* s, const XSImage* picture, float* paper_width, float* paper_height,
               float* sx, float* sy)
{
    if (s->orientation != 0)
        turn_margins(s);   // the other way round from the picture: top becomes left
    sheet_size(s, paper_width, paper_height);
    margins_to_frame(s, *paper_width, *paper_height);
    compute_scale(s, picture, sx, sy);
}

}  // namespace

picture_plan plan_picture(const Settings* settings, const XSImage* picture)
{
    // The picture as it will stand on the sheet: landscape turns it.
    XSImage turned = *picture;
    if (settings->orientation != 0) {
        turned.width = picture->height;
        turned.height = picture->width;
    }
    Settings s = *settings;
    float paper_width, paper_height;
    picture_plan plan;
    plan_page(&s, &turned, &paper_width, &paper_height, &plan.x_scale, &plan.y_scale);
    plan.frame_width = static_cast<float>(s.margin_right - s.margin_left);
    plan.frame_height = static_cast<float>(s.margin_bottom - s.margin_top);
    plan.width = turned.width;
    plan.height = turned.height;
    return plan;
}

const char* page_problem(const Settings* settings, const XSImage* picture)
{
    if (settings->resolution_x <= 0)
        return "the resolution must be a positive number of dots per inch";
    const bool ratios = settings->fit == 0 || settings->fit == -1;
    if (ratios && !(std::isfinite(settings->x_scale) && settings->x_scale > 0 &&
                    std::isfinite(settings->y_scale) && settings->y_scale > 0))
        return "the scale must be a finite positive number";
    const picture_plan plan = plan_picture(settings, picture);
    const long dots = resample_count(plan.width, plan.x_scale);
    const long lines = resample_count(plan.height, plan.y_scale);
    if (dots < 0 || lines < 0 || dots > max_dots_per_line || double(dots) * double(lines) > max_dots_per_page)
        return "the page is too large for the printer (at most 65536 dots a line and 4294967296 dots a page)";
    return nullptr;
}

int initialize(Settings* settings, XSImage* picture)
{
    if (settings->orientation != 0 && !XSLRotate270(picture))
        return 0;
    if (picture->type != 0) {
        if (!XSLConvGray(picture))
            return 0;
    } else {
        XSLBitmapToGray(picture);   // a bitmap that stays one prints through the bitmap sampler
    }
    set_up_page(settings, picture);
    return 1;
}

void set_up_page(Settings* settings, const XSImage* picture)
{
    Settings* s = settings;
    // From here on the margins hold the frame in inches from the sheet's top left.
    float paper_width, paper_height, sx, sy;
    plan_page(s, picture, &paper_width, &paper_height, &sx, &sy);
    FILE* out = s->output;
    write_setup(out, s->paper_unit);
    write_paper(out, s, paper_width, paper_height);
    write_frame(out, s);

    s->x_scale = sx;
    s->y_scale = sy;
    s->fit = 0;
    const int dpi = s->resolution_x;
    const float ow = static_cast<float>(picture->width * static_cast<double>(sx) / dpi);
    const float oh = static_cast<float>(picture->height * static_cast<double>(sy) / dpi);

    double x, y;
    compute_position(s, paper_width, ow, oh, &x, &y);
    s->x_origin = std::trunc(x * 720);
    s->y_origin = std::trunc(y * 720);
    s->margin_top = std::trunc(s->margin_top * 720);
    s->margin_left = std::trunc(s->margin_left * 720);
    s->margin_bottom = std::trunc(s->margin_bottom * 720);
    s->margin_right = std::trunc(s->margin_right * 720);
    s->layout = 0;
}
