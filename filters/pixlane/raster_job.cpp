#include "raster_job_state.h"

#include <cerrno>
#include <new>

RasterJob* make_raster_job()
{
    RasterJob* job = new (std::nothrow) RasterJob;
    if (job == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    job->path = vector_path();
    return job;
}

void free_raster_job(RasterJob* job)
{
    delete job;
}

void set_row_source(RasterJob* job, RowSource source)
{
    job->rows = source;
}

const unsigned char* picture_row(const RasterJob* job, const XSImage* picture, long y)
{
    if (job->rows.row != nullptr)
        return job->rows.row(job->rows.context, y);
    return picture->data + y * XSLBytesPerLine(picture);
}
