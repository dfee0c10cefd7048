#include "diffusion_wave.h"

#include <cerrno>
#include <new>

namespace {

// Dots between two tellings: each telling sends the count's cache line to
// the other processor, each dot takes about a nanosecond.
constexpr long kTellEvery = 512;
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

bool WavePace::wait(long dots)
{
    if (above == nullptr || dots <= seen)
        return true;
    const long count = wait_for_pace(*above, above_base + dots, *stop);
    seen = count - above_base;
    return seen >= dots;
}

void WavePace::tell(long dots, long n)
{
    if (dots - told < kTellEvery && dots < n)
        return;
    told = dots;
    raise_pace(*own, own_base + dots);
}
