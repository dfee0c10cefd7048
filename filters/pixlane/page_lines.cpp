// Two threads for one transmission. For the methods whose lines are made
// independently, lines go in chunks that alternate between the threads, the
// caller's thread making chunks 0, 2, 4, ... and handing every line on in
// order, the second thread making 1, 3, 5, ... into two chunks of buffers;
// random dither moves each thread's sequence past the other thread's dots.
// Error diffusion goes its own way (diffusion_wave.h).
#include "page_lines.h"

#include "diffusion_wave.h"
#include "halftone.h"
#include "raster_job_state.h"
#include "thread_pace.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <new>
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
    for (Pace* pace : {&t.made, &t.taken})
        wake_pace(*pace);
}

// One thread's own: its job (resampling caches, random sequence) and its
// line buffers.
struct Side {
    RasterJob* job;
    std::vector<unsigned char> buffers;  // `slots` chunks of lines
    int slots;

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

// The caller's part; the second thread runs beside it.
int run(Transmission& t, Side& own, Side& other, const LineTaker& take)
{
    auto take_chunk = [&](Side& side, long c, long slot) {
        const long first = c * t.chunk;
        for (long row = first; row < std::min(first + t.chunk, t.lines); ++row) {
            if (!take(row, side.line(t, slot, static_cast<int>(row - first))))
                return false;
            raise_pace(t.taken, row + 1);
        }
        return true;
    };
    auto second_failed = [&] {
        if (!t.failed.load())
            return false;
        errno = t.failure;
        return true;
    };
    for (long c = 0; c < t.chunks + 1; c += 2) {
        // Chunk c is made before the second thread's chunk c - 1 is taken,
        // so that both threads keep working while lines are handed on.
        if (c < t.chunks && !make_chunk(t, own, c, 0)) {
            second_failed();
            return 0;
        }
        if (c >= 1) {
            const long need = c / 2;  // chunks 1 .. c - 1 made
            if (wait_for_pace(t.made, need, t.stop) < need)
                return second_failed() ? 0 : 1;
            if (!take_chunk(other, c - 1, ((c - 1) / 2) & 1))
                return 1;
        }
        if (c < t.chunks && !take_chunk(own, c, 0))
            return 1;
    }
    return 1;
}

}  // namespace

int make_lines(RasterJob* job, halftoner fill, const Settings* settings, XSImage* picture, double x_scale,
               double y_scale, long lines, long dots, const LineTaker& take)
{
    const Split split = split_of(fill);
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
    if (split == Split::wave) {
        const WaveLines wave = {fill, picture, x_scale, y_scale, lines, dots, job->second_thread_patience};
        const int status = make_wave_lines(wave, job, helper.get(), take);
        return status >= 0 ? status : make_alone(job, fill, settings, picture, x_scale, y_scale, lines, dots, take);
    }

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

    const int status = run_beside([&] { second_thread(t, other); }, [&] { return run(t, own, other, take); },
                                  [&] { halt(t); });
    return status >= 0 ? status : make_alone(job, fill, settings, picture, x_scale, y_scale, lines, dots, take);
}
