#include "raster_page_out.h"

#include "cancel.h"

struct PageWriter {
    FILE* out;
    raster_page_setup job;
    int pages = 0;
};

PageWriter* start_page_writer(const raster_page_setup& job, FILE* out)
{
    return new PageWriter{out, job};
}

bool write_page(PageWriter* writer, XSImage* page, const raster_page_setup& sheet, bool cancelled)
{
    raster_page_setup setup = writer->job;
    setup.width_points = sheet.width_points;
    setup.height_points = sheet.height_points;
    setup.left_points = sheet.left_points;
    setup.top_points = sheet.top_points;
    setup.x_resolution = sheet.x_resolution;
    setup.y_resolution = sheet.y_resolution;
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
