#include "diffusion_wave.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

// Dots between two tellings: each telling sends the count's cache line to
// the other processor, each dot takes about a nanosecond.
constexpr long kTellEvery = 512;
// A waiting thread spins this long (microseconds), many groups' time, before
// it closes the wave and sleeps: a thread woken on this virtual machine takes
// longer to run again than the other takes for a group of lines, and once the
// threads take turns sleeping neither catches up.
constexpr int kSpin = 2000;
constexpr long kLineEntries = 64 / sizeof(int32_t);

}  // namespace

bool ErrorRing::make(long n)
{
    // Column k at entry k + 2: two zero entries either side.
    stride = (n + 4 + kLineEntries - 1) / kLineEntries * kLineEntries;
    try {
        storage.assign(kRingRows * stride + kLineEntries, 0);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
    const auto address = reinterpret_cast<uintptr_t>(storage.data());
    base = storage.data() + (64 - address % 64) % 64 / sizeof(int32_t);
    dots = n;
    return true;
}

long WaveClaim::claim(long g)
{
    long v = at.load();
    for (;;) {
        if (v & 1)
            return -1;
        const long next = std::max(g, v / 2);  // the last given out plus 2: those before were taken
        if (at.compare_exchange_weak(v, (next + 2) * 2))
            return next;
    }
}

bool WaveClaim::second_makes(long g, const std::atomic<bool>& stop, int patience)
{
    long v = 0;
    spin_until([&] { return ((v = at.load()) & 1) || v / 2 - 2 >= g; }, stop, patience);
    for (;;) {
        if (v / 2 - 2 >= g)  // claimed by the second thread, whether closed since or not
            return true;
        if (v & 1)
            return false;
        if (at.compare_exchange_weak(v, (g + 2) * 2))
            return false;
    }
}

bool WavePace::wait(long dots)
{
    if (above == nullptr || !first_pass || dots <= seen)
        return true;
    const long need = above_base + dots;
    long count = 0;
    if (!spin_until([&] { return (count = above->count.load(std::memory_order_acquire)) >= need; }, *stop,
                    kSpin) &&
        !stop->load()) {
        claim->waited_long();
        count = wait_for_pace(*above, need, *stop, 0);
    }
    seen = count - above_base;
    return seen >= dots;
}

void WavePace::tell(long dots, long n)
{
    if (!last_pass || (dots - told < kTellEvery && dots < n))
        return;
    told = dots;
    raise_pace(*own, own_base + dots);
}
