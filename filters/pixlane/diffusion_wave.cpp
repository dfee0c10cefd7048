#include "diffusion_wave.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "halftone.h"

namespace {

// Dots between two tellings: each telling sends the count's cache line to
// the other processor, each dot takes about a nanosecond.
constexpr long kTellEvery = 512;
// A waiting thread spins (and yields) this long (microseconds), many groups'
// time, before it counts a long wait and sleeps: a thread woken on this
// virtual machine takes longer to run again than the other takes for a group
// of lines, and once the threads take turns sleeping neither catches up.
constexpr int kSpin = 2000;
constexpr long kLineEntries = 64 / sizeof(int32_t);
// Groups made and not yet handed on: buffers for this many.
constexpr long kSlots = 8;

// What the two threads share. Group g goes into slot g mod kSlots; its last
// line's progress is on progress[g mod kSlots], counted from g x (dots + 1).
struct Wave {
    const WaveLines& lines;
    long groups = 0;
    long bytes = 0;       // per line buffer, the spare zero byte included
    long slot_bytes = 0;  // whole cache lines
    ErrorRing ring = {};
    std::vector<unsigned char> slots = {};
    WaveGate gate = {};
    alignas(64) std::atomic<long> next{0};  // the next group to take
    std::atomic<bool> started{false};
    Pace progress[kSlots] = {};
    Pace made[kSlots] = {};  // g + 1 once group g is made
    Pace taken = {};         // lines handed on
    std::atomic<bool> stop{false};
    int failure = 0;  // errno of the second thread's failure, read after stop
    std::atomic<bool> failed{false};

    unsigned char* line(long g, int k) { return slots.data() + (g % kSlots) * slot_bytes + k * bytes; }

    void halt()
    {
        stop.store(true);
        for (Pace& p : progress)
            wake_pace(p);
        for (Pace& p : made)
            wake_pace(p);
        wake_pace(taken);
    }
};

// One thread's own: its job (resampling caches) and the scratch of a group.
struct Maker {
    RasterJob* job;
    HeldLines scratch = {};
    bool restart = true;  // the job's caches are not for this transmission yet
};

// Group g into its slot, once the group kSlots before it was handed on; 1,
// or 0 (stopped, or errno).
int make_group(Wave& w, Maker& m, long g)
{
    const long free_from = (g - kSlots + 1) * kWaveGroup;
    if (g >= kSlots && wait_for_pace(w.taken, free_from, w.stop) < free_from)
        return 0;
    unsigned char* bits[kWaveGroup];
    for (int k = 0; k < kWaveGroup; ++k)
        bits[k] = w.line(g, k);
    WavePace pace;
    pace.above = g > 0 ? &w.progress[(g - 1) % kSlots] : nullptr;
    pace.above_base = (g - 1) * (w.lines.dots + 1);
    pace.own = &w.progress[g % kSlots];
    pace.own_base = g * (w.lines.dots + 1);
    pace.stop = &w.stop;
    pace.gate = &w.gate;
    const WaveLines& l = w.lines;
    if (!diffuse_group(m.job, l.fill, l.picture, l.x_scale, l.y_scale, g * kWaveGroup, m.restart, w.ring,
                       m.scratch, bits, pace))
        return 0;
    m.restart = false;
    raise_pace(w.made[g % kSlots], g + 1);
    return 1;
}

void second_thread(Wave& w, Maker& m)
{
    w.started.store(true);
    for (long g; !w.gate.closed.load() && (g = w.next.fetch_add(1)) < w.groups;)
        if (!make_group(w, m, g)) {
            if (!w.stop.load()) {
                w.failure = errno;
                w.failed.store(true);
                w.halt();
            }
            return;
        }
}

// The caller's part: groups in turn with the second thread, the lines of
// every group made handed on in order between them.
int run(Wave& w, Maker& m, const LineTaker& take)
{
    const std::atomic<bool> never{false};
    spin_until([&] { return w.started.load() || w.stop.load(); }, never, w.lines.patience);
    auto second_failed = [&] {
        if (!w.failed.load())
            return false;
        errno = w.failure;
        return true;
    };
    long sent = 0;  // groups handed on
    // Hands on group `sent`; waits for it when `wait`. False: not made yet
    // (or stopped); stopped is set when the lines should go no further.
    bool stopped = false;
    auto send = [&](bool wait) {
        Pace& made = w.made[sent % kSlots];
        if (made.count.load(std::memory_order_acquire) < sent + 1 &&
            (!wait || wait_for_pace(made, sent + 1, w.stop) < sent + 1)) {
            stopped = w.stop.load();
            return false;
        }
        for (long row = sent * kWaveGroup; row < std::min((sent + 1) * kWaveGroup, w.lines.lines); ++row) {
            if (!take(row, w.line(sent, static_cast<int>(row - sent * kWaveGroup)))) {
                stopped = true;
                return false;
            }
            raise_pace(w.taken, row + 1);
        }
        ++sent;
        return true;
    };
    while (sent < w.groups) {
        while (sent < w.groups && send(false)) {
        }
        if (stopped)
            return second_failed() ? 0 : 1;
        if (sent == w.groups)
            break;
        const long g = w.next.fetch_add(1);
        if (g >= w.groups) {
            if (!send(true) && stopped)
                return second_failed() ? 0 : 1;
            continue;
        }
        // Its slot is free once the group kSlots before is handed on.
        while (sent <= g - kSlots)
            if (!send(true))
                return second_failed() ? 0 : 1;
        if (!make_group(w, m, g)) {
            second_failed();
            return 0;
        }
    }
    return 1;
}

}  // namespace

int make_wave_lines(const WaveLines& lines, RasterJob* job, RasterJob* helper, const LineTaker& take)
{
    Wave w{lines};
    w.groups = (lines.lines + kWaveGroup - 1) / kWaveGroup;
    w.bytes = (lines.dots + 7) / 8 + 1;
    w.slot_bytes = (kWaveGroup * w.bytes + 63) / 64 * 64;
    try {
        w.slots.assign(kSlots * w.slot_bytes, 0);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return 0;
    }
    if (!w.ring.make(lines.dots))
        return 0;
    Maker own{job}, other{helper};
    return run_beside([&] { second_thread(w, other); }, [&] { return run(w, own, take); }, [&] { w.halt(); });
}

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
    if (above == nullptr || !first_pass || dots <= seen)
        return true;
    const long need = above_base + dots;
    long count = 0;
    if (!spin_until([&] { return (count = above->count.load(std::memory_order_acquire)) >= need; }, *stop,
                    kSpin) &&
        !stop->load()) {
        gate->waited_long();
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
