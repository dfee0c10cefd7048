#include "settings.h"

void set_default(Settings* settings)
{
    *settings = Settings{};
    settings->resolution_x = 240;
    settings->resolution_y = 240;
    settings->paper_mode = 0;
    settings->paper_name = "A4";
    settings->paper_height = 0.0;
    settings->orientation = 0;
    settings->paper_unit = 0;
    settings->paper_unit_extra = 0;
    settings->margin_top = 5.0;
    settings->margin_bottom = 5.0;
    settings->margin_left = 5.0;
    settings->margin_right = 5.0;
    settings->mono = 0;
    settings->dither = 0;
    settings->threshold = 0.5;
    settings->gamma_red = 1.5;
    settings->gamma_green = 1.5;
    settings->gamma_blue = 1.5;
    settings->balance_red = 0;
    settings->balance_green = 0;
    settings->balance_blue = 0;
    settings->saturation = 0;
    settings->contrast = 0;
    settings->bright = 0;
    settings->fit = -1;
    settings->x_scale = 1.0;
    settings->y_scale = 1.0;
    settings->layout = -1;
    settings->x_origin = 0.0;
    settings->y_origin = 0.0;
    settings->copies = 1;
    settings->special = -1;
    settings->media = -1;
    settings->quality = -1;
    settings->input_name = "STDIN";
    settings->input = stdin;
    settings->output_name = "STDOUT";
    settings->output = stdout;
    settings->input_errno = 0;
    settings->output_errno = 0;
    settings->clip_to_sheet = 0;
}

// Origins not given start at the top-left corner of the printable area.
void complete_origin(Settings* s)
{
    const int32_t both = LAYOUT_X_GIVEN | LAYOUT_Y_GIVEN;
    if (s->layout == -1) {
        s->layout = both;
        s->x_origin = s->margin_left;
        s->y_origin = s->margin_top;
        return;
    }
    if ((s->layout & both) == 0)
        return;  // a placement 1 to 5
    if ((s->layout & LAYOUT_X_GIVEN) == 0) {
        s->layout |= LAYOUT_X_GIVEN;
        s->x_origin = s->margin_left;
    }
    if ((s->layout & LAYOUT_Y_GIVEN) == 0) {
        s->layout |= LAYOUT_Y_GIVEN;
        s->y_origin = s->margin_top;
    }
}
