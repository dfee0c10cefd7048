// The printer's connection as a stdio stream for one job. Everything written
// is also kept in a replay file, so that when the connection drops mid-job the
// job is sent again from its first byte once the printer answers, instead of
// being lost or reported complete.
#pragma once

#include <cstdio>

#include <pappl/pappl.h>

struct DeviceStream {
    pappl_job_t* job = nullptr;
    pappl_device_t* device = nullptr;    // PAPPL's, or our own after a drop
    pappl_device_t* reopened = nullptr;  // ours to close
    FILE* replay = nullptr;              // every byte of the job so far
    size_t written = 0;                  // bytes of `replay` the device has taken
    size_t device_base = 0;              // the device's byte count when it was opened
    bool gave_up = false;                // cancelled or shut down while waiting
};

// A fully buffered stream over `device` for `job`; null with errno on failure.
// Closing it (fclose) flushes, and closes a connection reopened after a drop.
FILE* open_device_stream(DeviceStream* stream, pappl_job_t* job, pappl_device_t* device);

// Seconds between attempts to reach a printer that dropped the connection.
constexpr unsigned reconnect_seconds = 1;
