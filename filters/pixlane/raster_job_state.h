// What a RasterJob holds: seen only by the units that work on it.
#pragma once

#include "diffusion_state.h"
#include "kernels.h"
#include "random_sequence.h"
#include "raster_job.h"
#include "resample.h"

struct RasterJob {
    VectorPath path = VectorPath::plain;  // the kernels this job runs
    RowSource rows;
    const job_context* context = nullptr;  // asked after every line whether the job was cancelled
    long second_thread_from = -1;         // page size in dots from which a second thread helps; -1: never
    int second_thread_patience = 0;       // see set_second_thread_patience
    ResampleCache resample;
    ErrorDiffusion<2, 1> floyd;   // three dots by two lines
    ErrorDiffusion<3, 2> jarvis;  // five by three
    RandomSequence random;
    bool threshold_set = false;
    int32_t threshold_level = 0;  // T: a dot prints when its darkness reaches it
};
