// How one thread of a job waits for the other: on a count the other raises
// (lines made, lines sent, dots of a line done) or on the job being stopped.
#pragma once

#include <atomic>

// Waits until value reaches need or stop is set; the last value seen (below
// need only when stopped). A short spin first (the other thread is usually a
// few hundred dots away), then the processor is given up, so that a thread
// whose partner was put off the processor does not hold it.
long wait_for_count(const std::atomic<long>& value, long need, const std::atomic<bool>& stop);
