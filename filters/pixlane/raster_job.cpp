#include "raster_job_state.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

// Below this many dots a page is done sooner than a thread is started and
// its caches filled (about half a millisecond of halftoning).
constexpr long pays_from_dots = 1L << 18;

int processors()
{
#ifdef CPU_COUNT
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
#endif
    return static_cast<int>(std::thread::hardware_concurrency());
}

// A second thread helps only while a processor is free: on a busy machine
// the two threads wait for each other's turn on a processor, and the page
// takes longer than on one. Free means the machine is not kept busy (the
// load of the last minute is below the processors) and is not busy now (the
// threads ready to run, this one included, leave a processor).
bool processor_free(int count)
{
    if (count < 2)
        return false;
    double load;
    if (getloadavg(&load, 1) == 1 && load >= count)
        return false;
    FILE* f = fopen("/proc/loadavg", "r");
    if (f == nullptr)
        return true;
    int running = 0;
    const bool read = fscanf(f, "%*s %*s %*s %d/", &running) == 1;
    fclose(f);
    return !read || running < count;
}

// The threads PIXLANE_THREADS asks for; -1 when it is not set.
int threads_asked()
{
    const char* asked = getenv("PIXLANE_THREADS");
    return asked != nullptr && *asked != '\0' ? std::max(atoi(asked), 0) : -1;
}

long second_thread_from()
{
    if (const int asked = threads_asked(); asked >= 0)
        return asked >= 2 ? 0 : -1;
    return processor_free(processors()) ? pays_from_dots : -1;
}

}  // namespace

bool second_thread_allowed()
{
    const int asked = threads_asked();
    return (asked < 0 || asked >= 2) && processors() >= 2;
}

RasterJob* make_raster_job()
{
    RasterJob* job = new (std::nothrow) RasterJob;
    if (job == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    job->path = vector_path();
    job->second_thread_from = second_thread_from();
    return job;
}

void set_second_thread_from(RasterJob* job, long dots)
{
    job->second_thread_from = dots;
}

void set_second_thread_patience(RasterJob* job, int microseconds)
{
    job->second_thread_patience = microseconds;
}

void free_raster_job(RasterJob* job)
{
    delete job;
}

void set_job_context(RasterJob* job, const job_context* context)
{
    job->context = context;
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
