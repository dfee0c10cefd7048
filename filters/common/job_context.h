// What one running job carries besides its settings: where its reports go,
// how it learns that it was cancelled, and what its picture reader found.
// Made per job and passed down; none of it lives in globals, so jobs on
// several threads of one server never see each other's.
#pragma once

#include "job_report.h"

struct job_context {
    job_report report;
    // Asked after every line sent: true ends the page there and resets the printer.
    bool (*cancelled)(void* data) = nullptr;
    void* cancel_data = nullptr;
    int tiff_page = 1;            // the page of a TIFF document the reader reads, from 1
    bool jpeg_cut_short = false;  // the last JPEG read ended before its last row
};

inline bool job_is_cancelled(const job_context* context)
{
    return context != nullptr && context->cancelled != nullptr && context->cancelled(context->cancel_data);
}
