// What error diffusion keeps between the lines of a transmission: the error
// rows and the lines made ahead of the one asked for.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "resample.h"

// Lines made per call: run side by side, the later ones held for the next calls.
constexpr int kLines = 3;
// Dots a line is made in at a time.
constexpr long kBlock = 64;

// Error rows of one method: entry k + border is output column k; the border
// entries are never written, so no error wraps from one end of a line to the
// other. A stored error is what the dot should have been minus what printed.
template <int Rows, int Border>
struct ErrorRows {
    int32_t* row[Rows] = {};  // row[0] current, row[1] previous, row[2] two back
    // Per row, a flag for each block of kBlock columns: its columns are known
    // to hold no error (text leaves none), so that the line below need not look.
    uint8_t* clear_blocks[Rows] = {};
    long dots = -1;           // N the rows were made for; -1: none

    void release()
    {
        for (int k = 0; k < Rows; ++k) {
            free(row[k]);
            free(clear_blocks[k]);
            row[k] = nullptr;
            clear_blocks[k] = nullptr;
        }
        dots = -1;
    }

    static long blocks(long n) { return (n + kBlock - 1) / kBlock; }

    // Row k is known to hold no error (its border entries never do).
    void set_clear(int k) { std::fill(clear_blocks[k], clear_blocks[k] + blocks(dots), 1); }
    bool known_clear(int k) const
    {
        return std::all_of(clear_blocks[k], clear_blocks[k] + blocks(dots), [](uint8_t f) { return f != 0; });
    }

    // Fresh zero rows for a transmission of n dots per line.
    bool restart(long n)
    {
        release();
        for (int k = 0; k < Rows; ++k) {
            row[k] = static_cast<int32_t*>(calloc(n + 2 * Border, sizeof(int32_t)));
            clear_blocks[k] = static_cast<uint8_t*>(malloc(blocks(n) + 1));
            if (!row[k] || !clear_blocks[k]) {
                release();
                errno = ENOMEM;
                return false;
            }
        }
        dots = n;
        for (int k = 0; k < Rows; ++k)
            set_clear(k);
        return true;
    }

    // The line about to be printed, after a restart for exactly n dots.
    bool ready(long n) const
    {
        if (dots == n)
            return true;
        errno = EINVAL;  // no restart for this transmission, or a different page width
        return false;
    }

    void rotate()
    {
        std::rotate(row, row + Rows - 1, row + Rows);
        std::rotate(clear_blocks, clear_blocks + Rows - 1, clear_blocks + Rows);
    }
};

// The lines of the last group after the one printed, held for the next
// calls, and what they were made from.
struct HeldLines {
    const unsigned char* data = nullptr;
    double x_scale = 0, y_scale = 0;
    int row = -1;    // the next held line; -1: none
    int count = 0;   // lines held from row on
    long n = 0;
    // Each line's darkness: where the rows are read in place, the rows
    // themselves, else copies in `copies`.
    const unsigned char* dark[kLines] = {};
    // Scratch of the group: the copies of the darkness, what the lines above
    // give each dot, each dot printed, and the packed dots (bits[0] is
    // unused: the first line goes straight to the caller).
    std::vector<unsigned char> copies[kLines], black[kLines], bits[kLines];
    std::vector<int32_t> sums[kLines];

    // Copies the held line when it is the one asked for; forgets them all otherwise.
    template <class Errors>
    bool take(const Errors& errors, const XSImage* picture, double xs, double ys, int r, int first,
              unsigned char* line)
    {
        bool hit = !first && count > 0 && row == r && data == picture->data && x_scale == xs &&
                   y_scale == ys && errors.dots == n;
        if (!hit) {
            row = -1;
            count = 0;
            return false;
        }
        const auto& held = bits[kLines - count];
        std::copy(held.begin(), held.end(), line);
        ++row;
        --count;
        return true;
    }

    // Room for a group of n dots starting at line r, whose darkness is given;
    // the darkness of the other lines is fetched. False when it cannot be made.
    bool start(RasterJob* job, const XSImage* picture, double xs, double ys, int r,
               const unsigned char* first_dark, long n_dots)
    {
        const bool in_place = darkness_in_place(job, xs, ys);
        try {
            for (int k = 0; k < kLines; ++k) {
                sums[k].resize(n_dots);
                black[k].resize(n_dots);
                bits[k].assign((n_dots + 7) / 8, 0);
                const unsigned char* d = first_dark;
                long n_line = n_dots;
                if (k > 0 && !(d = gray_darkness(job, picture, xs, ys, r + k, 0, &n_line)))
                    return false;
                if (n_line != n_dots)
                    return false;
                if (in_place) {
                    dark[k] = d;
                } else {
                    copies[k].assign(d, d + n_dots);
                    dark[k] = copies[k].data();
                }
            }
        } catch (const std::bad_alloc&) {
            errno = ENOMEM;
            return false;
        }
        data = picture->data;
        x_scale = xs;
        y_scale = ys;
        n = n_dots;
        return true;
    }

    // Lines r + 1 .. r + kLines - 1 are made and held.
    void hold(int r)
    {
        row = r + 1;
        count = kLines - 1;
    }
};

// The state of one method, freed with the job.
template <int Rows, int Border>
struct ErrorDiffusion {
    ErrorRows<Rows, Border> rows;
    HeldLines held;

    ErrorDiffusion() = default;
    ErrorDiffusion(const ErrorDiffusion&) = delete;
    ErrorDiffusion& operator=(const ErrorDiffusion&) = delete;
    ~ErrorDiffusion() { rows.release(); }
};
