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
