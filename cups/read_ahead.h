// A pipe read ahead of its reader on a thread of its own, into a ring of a
// few megabytes: the program writing the pipe (the renderer) goes on drawing
// while the reader halftones, and the reader takes its bytes from memory in
// large pieces instead of waking for every line the writer sends.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>

struct read_ahead;

// Reads descriptor fd ahead, holding at most `capacity` bytes. Null when it
// does not pay or cannot be had: fd is not a pipe, the machine has one
// processor (or PIXLANE_THREADS=1), or no thread or memory; the caller then
// reads fd itself. Nothing must have been read from fd through a FILE.
read_ahead* start_read_ahead(int fd, size_t capacity);
// Up to `want` bytes into `to`, waiting until there are some: the count, 0
// at the end of the input, -1 with errno when reading failed.
ssize_t take_read_ahead(read_ahead* r, unsigned char* to, size_t want);
// Whether the input ends before its first byte (waits for the first byte).
bool read_ahead_empty(read_ahead* r);
// Stops the thread, waking it from a wait for input, and frees everything; null is ignored.
void stop_read_ahead(read_ahead* r);

struct read_ahead_stop {
    void operator()(read_ahead* r) const { stop_read_ahead(r); }
};
using read_ahead_ptr = std::unique_ptr<read_ahead, read_ahead_stop>;
