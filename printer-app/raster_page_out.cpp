#include "raster_page_out.h"

#include "cancel.h"
#include "filter_lock.h"
#include "picture_job.h"

struct PageWriter {
    Settings settings;
};

PageWriter* start_page_writer(const Settings* settings, FILE* out)
{
    auto* writer = new PageWriter{*settings};
    writer->settings.output = out;
    return writer;
}

bool write_page(PageWriter* writer, XSImage* page, bool cancelled)
{
    Settings s = writer->settings;
    s.fit = -1;
    s.x_scale = s.y_scale = 1.0;
    s.layout = -1;
    s.orientation = 0;
    s.copies = 1;
    s.resolution_x = page->resolution;
    if (cancelled)
        job_cancelled = 1;
    std::lock_guard<std::mutex> hold(filter_lock());
    return print_job_picture(&s, page, job_report{}) == 0;
}

bool end_page_writer(PageWriter* writer)
{
    delete writer;
    return true;
}
