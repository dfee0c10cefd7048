#include "thread_pace.h"

#include <chrono>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PACE_PAUSE() _mm_pause()
#else
#define PACE_PAUSE() ((void)0)
#endif

long wait_for_count(const std::atomic<long>& value, long need, const std::atomic<bool>& stop)
{
    long seen = value.load(std::memory_order_acquire);
    for (int round = 0; seen < need; ++round) {
        if (stop.load(std::memory_order_relaxed))
            return seen;
        if (round < 256)
            PACE_PAUSE();
        else if (round < 264)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        seen = value.load(std::memory_order_acquire);
    }
    return seen;
}
