// How one thread of a job waits for the other: on a count the other raises
// (lines made, lines sent, dots of a line done) or on the job being stopped.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PACE_PAUSE() _mm_pause()
#else
#define PACE_PAUSE() ((void)0)
#endif

// Runs second on a new thread while own runs on the calling thread; when own
// ends, halt is called (to end second's waits) and the thread is joined,
// however own ends. own's result with its errno, or -1 when no thread could
// be started (own did not run).
int run_beside(const std::function<void()>& second, const std::function<int()>& own,
               const std::function<void()>& halt);

// A count raised by one thread and waited on by the other.
struct Pace {
    alignas(64) std::atomic<long> count{0};
    alignas(64) std::atomic<int> sleepers{0};
    std::atomic<int> ticks{0};  // bumped to wake sleepers
};

// Lets another thread of the processor run (the other thread of the job,
// when the scheduler put both on one processor).
void yield_processor();

// Spins until done() holds, stop is set or `spin` microseconds have passed;
// whether done() held. After the first thousand rounds it yields the
// processor between looks.
template <class Done>
bool spin_until(Done done, const std::atomic<bool>& stop, int spin)
{
    if (done())
        return true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(spin);
    for (int round = 1; !stop.load(std::memory_order_relaxed); ++round) {
        if (round < 1024)
            PACE_PAUSE();
        else
            yield_processor();
        if (done())
            return true;
        if (round % 64 == 0 && std::chrono::steady_clock::now() >= end)
            return false;
    }
    return false;
}

// Raises the count (never lowers it) and wakes a thread asleep on it.
void raise_pace(Pace& pace, long count);
// Wakes a thread asleep on the count, to see that the job was stopped.
void wake_pace(Pace& pace);
// Waits until the count reaches need or stop is set; the last count seen
// (below need only when stopped). It spins for `spin` microseconds (a wait
// for the other thread's next chunk is short), then sleeps until woken, so
// that a thread whose partner was put off the processor does not hold one.
long wait_for_pace(Pace& pace, long need, const std::atomic<bool>& stop, int spin = 250);
