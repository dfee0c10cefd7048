// Error diffusion on two threads: the page goes in groups of kWaveGroup
// lines, each thread taking the next group when it is free, each group's
// first line following the last line of the group above (mostly the other
// thread's) some dots behind, as each dot needs only the errors of the dots
// around its column in the lines above. The calling thread hands the lines
// on in order between its groups.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "diffusion_state.h"
#include "page_lines.h"
#include "raster_job.h"
#include "thread_pace.h"

// Lines per group: passes of kLines lines over the width; the first pass
// follows the other thread's group.
constexpr int kWaveGroup = 2 * kLines;

// The error rows both threads share: line y writes row y mod kRingRows and
// reads the rows of the lines above. While the threads take groups in turn
// each writes only the rows of its own groups (the ring holds two groups),
// and every row starts on a cache line of its own. A row is written over only
// after the lines reading it have gone past the column (each line waits for
// the one above).
struct ErrorRing {
    static constexpr int kRingRows = 2 * kWaveGroup;
    std::vector<int32_t> storage;
    long stride = 0;  // entries per row, column k at entry k + 2
    int32_t* base = nullptr;
    long dots = 0;

    // Zero rows for n dots per line; false with errno ENOMEM.
    bool make(long n);
    // Row of line y (y may be -1 or -2: the zero rows above the page), seen
    // with `border` entries before column 0.
    int32_t* row(long y, int border) const
    {
        const long slot = ((y % kRingRows) + kRingRows) % kRingRows;
        return base + slot * stride + (2 - border);
    }
};

// Whether the second thread keeps taking groups. A thread that waits for the
// other much longer than a group takes (the other was put off its processor)
// counts a long wait; after a few the second thread takes no more groups and
// the caller makes the rest: threads that wait in turn would take longer
// than one alone.
struct WaveGate {
    alignas(64) std::atomic<bool> closed{false};
    std::atomic<int> long_waits{0};

    void waited_long()
    {
        if (long_waits.fetch_add(1) + 1 >= kLongWaits)
            closed.store(true);
    }
    static constexpr int kLongWaits = 4;
};

// How one group keeps behind the group above it and tells the group below
// how far it has got. Counts on a Pace are base + dots done on the group's
// last line, bases growing from group to group, so that counts only rise.
struct WavePace {
    Pace* above = nullptr;  // the group above's; null: none (the first group)
    long above_base = 0;
    Pace* own = nullptr;
    long own_base = 0;
    const std::atomic<bool>* stop = nullptr;
    WaveGate* gate = nullptr;  // told of long waits
    long seen = 0;   // dots of the line above known done
    long told = 0;   // dots of the own last line told
    bool first_pass = true, last_pass = true;  // only the first waits, only the last tells

    // Waits until the last line of the group above has `dots` dots done;
    // false when the transmission was stopped.
    bool wait(long dots);
    // The group's last line has `dots` of its n dots done; told every few
    // hundred dots and at the end of the line.
    void tell(long dots, long n);
};

bool is_error_diffusion(halftoner fill);

// Makes lines row .. row + kWaveGroup - 1 with floyd_gray's or error_gray's rule
// (fill) into bits (each (n + 7) / 8 bytes), through the ring; restart drops
// the job's resampling caches. 1; 0 when stopped, or with errno when the
// darkness could not be made.
int diffuse_group(RasterJob* job, halftoner fill, XSImage* picture, double x_scale, double y_scale, long row,
                  bool restart, const ErrorRing& ring, HeldLines& scratch, unsigned char* const bits[kWaveGroup],
                  WavePace& pace);

// One transmission of error diffusion on two threads.
struct WaveLines {
    halftoner fill;
    XSImage* picture;
    double x_scale, y_scale;
    long lines, dots;
    int patience;  // microseconds the caller waits for the second thread to start
};

// Makes the lines with job on the calling thread and helper on a second
// thread and hands each to take, in order, on the calling thread: 1 when
// every line was taken or take stopped; 0 with errno when a line could not be
// made; -1 when no thread could be started (nothing was made).
int make_wave_lines(const WaveLines& wave, RasterJob* job, RasterJob* helper, const LineTaker& take);
