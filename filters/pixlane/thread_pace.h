// How one thread of a job waits for the other: on a count the other raises
// (lines made, lines sent, dots of a line done) or on the job being stopped.
#pragma once

#include <atomic>

// A count raised by one thread and waited on by the other.
struct Pace {
    alignas(64) std::atomic<long> count{0};
    alignas(64) std::atomic<int> sleepers{0};
    std::atomic<int> ticks{0};  // bumped to wake sleepers
};

// Raises the count (never lowers it) and wakes a thread asleep on it.
void raise_pace(Pace& pace, long count);
// Wakes a thread asleep on the count, to see that the job was stopped.
void wake_pace(Pace& pace);
// Waits until the count reaches need or stop is set; the last count seen
// (below need only when stopped). It spins for a while (a wait for the
// other thread's next chunk is short), then sleeps until woken, so that a
// thread whose partner was put off the processor does not hold one.
long wait_for_pace(Pace& pace, long need, const std::atomic<bool>& stop);
