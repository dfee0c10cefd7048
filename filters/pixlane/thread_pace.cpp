#include "thread_pace.h"

#include <sched.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// Sleeps while ticks holds `seen`, for at most a fifth of a millisecond: a
// wake that crossed the sleeper's last look at the count is not waited for.
void sleep_on(std::atomic<int>& ticks, int seen)
{
#ifdef __linux__
    timespec most = {0, 200000};
    syscall(SYS_futex, reinterpret_cast<int*>(&ticks), FUTEX_WAIT_PRIVATE, seen, &most, nullptr, 0);
#else
    if (ticks.load() == seen)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
#endif
}

}  // namespace

int run_beside(const std::function<void()>& second, const std::function<int()>& own,
               const std::function<void()>& halt)
{
    std::thread thread;
    try {
        thread = std::thread(second);
    } catch (const std::system_error&) {
        return -1;
    }
    struct Joined {
        std::thread& thread;
        const std::function<void()>& halt;
        ~Joined()
        {
            halt();
            thread.join();
        }
    };
    int status, error;
    {
        Joined joined{thread, halt};
        status = own();
        error = errno;
    }
    errno = error;
    return status;
}

void yield_processor()
{
    sched_yield();
}

void wake_pace(Pace& pace)
{
    pace.ticks.fetch_add(1);
#ifdef __linux__
    syscall(SYS_futex, reinterpret_cast<int*>(&pace.ticks), FUTEX_WAKE_PRIVATE, 1 << 30, nullptr, nullptr, 0);
#endif
}

void raise_pace(Pace& pace, long count)
{
    pace.count.store(count, std::memory_order_release);
    if (pace.sleepers.load(std::memory_order_relaxed) > 0)
        wake_pace(pace);
}

long wait_for_pace(Pace& pace, long need, const std::atomic<bool>& stop, int spin)
{
    // A thread put to sleep is slow to wake on a virtual machine (its
    // processor halts): spin first, for several chunks of lines.
    long seen = 0;
    spin_until([&] { return (seen = pace.count.load(std::memory_order_acquire)) >= need; }, stop, spin);
    while (seen < need && !stop.load()) {
        pace.sleepers.fetch_add(1);
        const int ticks = pace.ticks.load();
        seen = pace.count.load(std::memory_order_acquire);
        if (seen < need && !stop.load())
            sleep_on(pace.ticks, ticks);
        pace.sleepers.fetch_sub(1);
        seen = pace.count.load(std::memory_order_acquire);
    }
    return seen;
}
