#include "raster_page_out.h"

#include "cancel.h"
#include "halftone_methods.h"
#include "raster_page.h"

struct PageWriter {
    FILE* out;
    int halftone;
    int pages = 0;
};

PageWriter* start_page_writer(const Settings* settings, FILE* out)
{
    return new PageWriter{out, settings->dither};
}

bool write_page(PageWriter* writer, XSImage* page, long sheet_width, long sheet_height, long left,
                long top, bool cancelled)
{
    const double dpi = page->resolution;
    const auto points = [dpi](long dots) { return dots * 72.0 / dpi; };
    raster_page_setup setup;
    setup.width_points = points(sheet_width);
    setup.height_points = points(sheet_height);
    setup.left_points = points(left);
    setup.top_points = points(top);
    setup.x_resolution = setup.y_resolution = page->resolution;
    setup.halftone = known_halftone(writer->halftone) ? writer->halftone : 0;
    setup.page_number = ++writer->pages;
    if (cancelled)
        job_cancelled = 1;
    return print_raster_page(writer->out, page, setup, nullptr) == 1;
}

bool end_page_writer(PageWriter* writer)
{
    const bool ok = writer->pages == 0 || end_raster_job(writer->out) == 1;
    delete writer;
    return ok;
}
