// Two threads for one transmission: lines go in chunks that alternate
// between the threads, the caller's thread making chunks 0, 2, 4, ... and
// handing every line on in order, the second thread making 1, 3, 5, ... into
// two chunks of buffers. Random dither moves each thread's sequence past the
// other thread's dots; error diffusion makes each chunk's lines a little
// behind the chunk above (see diffusion_wave.h).
#include "page_lines.h"

#include "diffusion_wave.h"
#include "halftone.h"
#include "raster_job_state.h"
#include "thread_pace.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

enum class Split { none, lines, random, wave };

// How a method's lines can be shared between threads.
Split split_of(halftoner fill)
{
    if (fill == random_gray)
        return Split::random;
    if (is_error_diffusion(fill))
        return Split::wave;
    if (fill == bayer_gray || fill == scroll_gray || fill == threshold_gray || fill == null_func)
        return Split::lines;
    return Split::none;
}

int make_alone(RasterJob* job, halftoner fill, const Settings* settings, XSImage* picture, double x_scale,
               double y_scale, long lines, long dots, const LineTaker& take)
{
    const long bytes = (dots + 7) / 8 + 1;
    std::vector<unsigned char> line;
    try {
        line.resize(bytes);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return 0;
    }
    for (long row = 0; row < lines; ++row) {
        std::fill(line.begin(), line.end(), 0);
        if (!fill(job, settings, picture, line.data(), x_scale, y_scale, static_cast<int>(row), row == 0))
            return 0;
        if (!take(row, line.data()))
            return 1;
    }
    return 1;
}

// What the two threads of a transmission share.
struct Transmission {
    Split split;
    halftoner fill;
    const Settings* settings;
    XSImage* picture;
    double x_scale, y_scale;
    long lines, dots, bytes;  // bytes per line buffer, the spare zero byte included
    int chunk;                // lines per chunk
    long chunks;
    RandomJump past_chunk;    // random dither: the draws of one chunk
    ErrorRing ring;           // error diffusion: the rows of both threads
    Pace progress[2];         // error diffusion: each thread's last line made
    WaveClaim wave;           // error diffusion: the groups the second thread makes
    int patience;             // error diffusion: see set_second_thread_patience

    std::atomic<bool> stop{false};
    Pace made;   // chunks the second thread has made
    Pace taken;  // lines handed on by the caller
    int failure = 0;  // errno of the second thread's failure, read after stop
    std::atomic<bool> failed{false};
};

// Stops both threads, waking whichever sleeps.
void halt(Transmission& t)
{
    t.stop.store(true);
    for (Pace* pace : {&t.made, &t.taken, &t.progress[0], &t.progress[1]})
        wake_pace(*pace);
}

// One thread's own: its job (resampling caches, random sequence) and its
// line buffers.
struct Side {
    RasterJob* job;
    std::vector<unsigned char> buffers;  // `slots` chunks of lines
    int slots;
    HeldLines scratch = {};  // error diffusion: the lines of a chunk being made

    unsigned char* line(const Transmission& t, long slot, int k)
    {
        return buffers.data() + ((slot * t.chunk) + k) * t.bytes;
    }
};

// Chunk c into slot; 1, or 0 (stopped, or errno).
int make_chunk(Transmission& t, Side& side, long c, long slot)
{
    const long first = c * t.chunk;
    switch (t.split) {
    case Split::wave: {
        unsigned char* bits[kWaveGroup];
        for (int k = 0; k < kWaveGroup; ++k)
            bits[k] = side.line(t, slot, k);
        WavePace pace;
        pace.above = c > 0 ? &t.progress[(c - 1) % 2] : nullptr;
        pace.above_base = (c - 1) * (t.dots + 1);
        pace.own = &t.progress[c % 2];
        pace.own_base = c * (t.dots + 1);
        pace.stop = &t.stop;
        pace.claim = &t.wave;
        return diffuse_group(side.job, t.fill, t.picture, t.x_scale, t.y_scale, first, c == 0, t.ring,
                             side.scratch, bits, pace);
    }
    case Split::random:
        if (c == 1)
            side.job->random.restart(random_dither_seed);
        if (c >= 1)
            side.job->random.jump(t.past_chunk);  // past the other thread's chunk
        [[fallthrough]];
    default:
        for (long row = first; row < std::min(first + t.chunk, t.lines); ++row) {
            unsigned char* line = side.line(t, slot, static_cast<int>(row - first));
            std::fill_n(line, t.bytes, 0);
            if (t.stop.load(std::memory_order_relaxed) ||
                !t.fill(side.job, t.settings, t.picture, line, t.x_scale, t.y_scale, static_cast<int>(row),
                        row == 0))
                return 0;
        }
        return 1;
    }
}

// The second thread: chunks 1, 3, 5, ... into its two slots, a slot reused
// once the caller has taken the chunk it held.
void second_thread(Transmission& t, Side& side)
{
    for (long c = 1; c < t.chunks; c += 2) {
        if (t.split == Split::wave && ((c = t.wave.claim(c)) < 0 || c >= t.chunks))
            return;
        const long slot = (c / 2) & 1;
        const long free_from = (c - 3) * t.chunk;  // chunk c - 4 taken
        if (c >= 5 && wait_for_pace(t.taken, free_from, t.stop) < free_from)
            return;
        if (!make_chunk(t, side, c, slot)) {
            if (!t.stop.load()) {
                t.failure = errno;
                t.failed.store(true);
                halt(t);
            }
            return;
        }
        raise_pace(t.made, (c + 1) / 2);
    }
}

// Hands on the lines of chunk c, made by side into slot.
bool take_chunk(Transmission& t, Side& side, long c, long slot, const LineTaker& take)
{
    const long first = c * t.chunk;
    for (long row = first; row < std::min(first + t.chunk, t.lines); ++row) {
        if (!take(row, side.line(t, slot, static_cast<int>(row - first))))
            return false;
        raise_pace(t.taken, row + 1);
    }
    return true;
}

// The second thread's failure as errno, if it failed.
bool second_failed(const Transmission& t)
{
    if (!t.failed.load())
        return false;
    errno = t.failure;
    return true;
}

// Waits for the second thread's chunk c; false when stopped.
bool second_made(Transmission& t, long c)
{
    const long need = (c + 1) / 2;
    return wait_for_pace(t.made, need, t.stop) >= need;
}

// The caller's part; the second thread runs beside it. For error diffusion
// the caller makes the odd chunks the second thread does not claim.
int run(Transmission& t, Side& own, Side& other, const LineTaker& take)
{
    long pending = -1;  // the second thread's chunk, taken after the caller's next
    for (long c = 0; c < t.chunks; ++c) {
        if (c % 2 == 1 && (t.split != Split::wave || t.wave.second_makes(c, t.stop, t.patience))) {
            pending = c;
            continue;
        }
        // Chunk c is made before the second thread's chunk c - 1 is taken,
        // so that both threads keep working while lines are handed on.
        if (!make_chunk(t, own, c, 0)) {
            second_failed(t);
            return 0;
        }
        if (pending >= 0) {
            if (!second_made(t, pending))
                return second_failed(t) ? 0 : 1;
            if (!take_chunk(t, other, pending, (pending / 2) & 1, take))
                return 1;
            pending = -1;
        }
        if (!take_chunk(t, own, c, 0, take))
            return 1;
    }
    if (pending >= 0) {
        if (!second_made(t, pending))
            return second_failed(t) ? 0 : 1;
        take_chunk(t, other, pending, (pending / 2) & 1, take);
    }
    return 1;
}

}  // namespace

int make_lines(RasterJob* job, halftoner fill, const Settings* settings, XSImage* picture, double x_scale,
               double y_scale, long lines, long dots, const LineTaker& take)
{
    const Split split = split_of(fill);
    // Error diffusion goes a group of lines at a time, each passed over once.
    const int chunk = split == Split::wave ? kWaveGroup : 8;
    // Rows read as they arrive are there for one thread only.
    if (split == Split::none || job->second_thread_from < 0 || job->rows.row != nullptr || dots <= 0 ||
        lines < 2 * chunk ||
        static_cast<double>(dots) * lines < static_cast<double>(job->second_thread_from))
        return make_alone(job, fill, settings, picture, x_scale, y_scale, lines, dots, take);

    // The second thread gets a job of its own for its caches and sequence.
    RasterJobPtr helper(make_raster_job());
    if (!helper)
        return make_alone(job, fill, settings, picture, x_scale, y_scale, lines, dots, take);
    helper->path = job->path;

    Transmission t;
    t.split = split;
    t.fill = fill;
    t.settings = settings;
    t.picture = picture;
    t.x_scale = x_scale;
    t.y_scale = y_scale;
    t.lines = lines;
    t.dots = dots;
    t.bytes = (dots + 7) / 8 + 1;
    t.chunk = chunk;
    // A few groups' time: a new thread may take milliseconds to start on an
    // idle virtual processor, and the caller makes the groups meanwhile.
    t.patience = job->second_thread_patience;
    t.chunks = (lines + chunk - 1) / chunk;
    Side own{job, {}, 1}, other{helper.get(), {}, 2};
    try {
        own.buffers.assign(own.slots * chunk * t.bytes, 0);
        other.buffers.assign(other.slots * chunk * t.bytes, 0);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return 0;
    }
    if (split == Split::random)
        t.past_chunk = RandomJump(static_cast<unsigned long>(chunk) * dots);
    if (split == Split::wave && !t.ring.make(dots))
        return 0;

    std::thread second;
    try {
        second = std::thread(second_thread, std::ref(t), std::ref(other));
    } catch (const std::system_error&) {
        return make_alone(job, fill, settings, picture, x_scale, y_scale, lines, dots, take);
    }
    // The second thread is stopped and joined however the caller's part ends.
    struct Joined {
        Transmission& t;
        std::thread& thread;
        ~Joined()
        {
            halt(t);
            thread.join();
        }
    };
    int status, error;
    {
        Joined joined{t, second};
        status = run(t, own, other, take);
        error = errno;
    }
    errno = error;
    return status;
}
