// Error diffusion: each dot's quantisation error is carried to dots not yet
// decided. Methods 0 (three dots by two lines) and 1 (five by three).
//
// Speed: a line is one chain of dependent steps, each dot's error feeding the
// next dot. The chain is kept short: the errors of the lines above and the
// dot's own darkness are summed off the chain, the last errors of the current
// line stay in registers, and one table look-up turns the sum into the dot,
// its error and its share for the next dot, in place of shift, clamp,
// compare and multiply.
#include "halftone.h"
#include "resample.h"

#include <cerrno>
#include <cstdlib>

namespace {

// Error rows of one method: entry k + border is output column k; the border
// entries are never written, so no error wraps from one end of a line to the
// other. A stored error is what the dot should have been minus what printed.
template <int Rows, int Border>
struct ErrorRows {
    int32_t* row[Rows] = {};  // row[0] current, row[1] previous, row[2] two back
    long dots = -1;           // N the rows were made for; -1: none

    void release()
    {
        for (auto& r : row) {
            free(r);
            r = nullptr;
        }
        dots = -1;
    }

    // Fresh zero rows for a transmission of n dots per line.
    bool restart(long n)
    {
        release();
        for (auto& r : row) {
            r = static_cast<int32_t*>(calloc(n + 2 * Border, sizeof(int32_t)));
            if (!r) {
                release();
                errno = ENOMEM;
                return false;
            }
        }
        dots = n;
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
        int32_t* oldest = row[Rows - 1];
        for (int k = Rows - 1; k > 0; --k)
            row[k] = row[k - 1];
        row[0] = oldest;
    }
};

ErrorRows<2, 1> floyd_rows;
ErrorRows<3, 2> jarvis_rows;

// What the corrected value c makes of a dot: black when c, clamped to
// 0 .. 255, is 128 or more; the error carried on is then c - 255, else c.
// Every error lies in -127 .. 127.
struct Outcome {
    int16_t seven;  // 7 x error: the share of the next dot on the line
    int8_t error;
    uint8_t black;
};

Outcome outcome(int c)
{
    c = c < 0 ? 0 : c > 255 ? 255 : c;
    int black = c > 127;
    int error = c - (black ? 255 : 0);
    return {static_cast<int16_t>(7 * error), static_cast<int8_t>(error), static_cast<uint8_t>(black)};
}

// The outcomes of every index from Low to High, where index k stands for the
// corrected value c_of(k).
template <long Low, long High>
struct OutcomeTable {
    Outcome entries[High - Low + 1];

    template <class Corrected>
    explicit OutcomeTable(Corrected c_of)
    {
        for (long k = Low; k <= High; ++k)
            entries[k - Low] = outcome(static_cast<int>(c_of(k)));
    }
    const Outcome& at(long k) const { return entries[k - Low]; }
};

// Floyd-Steinberg: c = d + (s >> 4) = (16 d + s) >> 4, as the shift rounds
// toward minus infinity; indexed by t = 16 d + s. With d in 0 .. 255 and s
// at most 16 x 127 either way, t lies in -2032 .. 6112.
using FloydTable = OutcomeTable<-2032, 6112>;

const FloydTable& floyd_table()
{
    static const FloydTable table([](long t) { return t >> 4; });
    return table;
}

// Five by three: c = d + s / 48 with the division truncating toward zero,
// which for negative s is (s + 47) / 48 rounded down; so c = floor(u / 48)
// with u = 48 d + s + (s < 0 ? 47 : 0). s lies within 48 x 127 either way,
// u in -6049 .. 18336.
using JarvisTable = OutcomeTable<-6049, 18336>;

const JarvisTable& jarvis_table()
{
    static const JarvisTable table([](long u) { return u >= 0 ? u / 48 : -((47 - u) / 48); });
    return table;
}

// Darkness of the line and rows ready for it; null when the line cannot be made.
template <class Errors>
const unsigned char* start_line(Errors& errors, XSImage* picture, double x_scale, double y_scale,
                                int row, int first, long* n)
{
    if (first)
        errors.release();  // a failed start must not leave the last transmission's rows
    const unsigned char* dark = gray_darkness(picture, x_scale, y_scale, row, first, n);
    if (!dark)
        return nullptr;
    if (first && !errors.restart(*n))
        return nullptr;
    return errors.ready(*n) ? dark : nullptr;
}

}  // namespace

int floyd_gray(Settings*, XSImage* picture, unsigned char* line, double x_scale, double y_scale,
               int row, int first)
{
    long n;
    const FloydTable& table = floyd_table();
    const unsigned char* dark = start_line(floyd_rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const int32_t* prev = floyd_rows.row[1];
    int32_t* cur = floyd_rows.row[0];
    long seven = 0;                      // 7 x the error of the dot to the left (0 at the border)
    long above0 = prev[0], above1 = prev[1];  // the previous line at the columns left and same
    pack_dots(line, n, [&](long i) {
        long above2 = prev[i + 2];
        const Outcome& o = table.at(16 * dark[i] + above0 + 5 * above1 + 3 * above2 + seven);
        seven = o.seven;
        cur[i + 1] = o.error;
        above0 = above1;
        above1 = above2;
        return o.black;
    });
    floyd_rows.rotate();
    return 1;
}

int error_gray(Settings*, XSImage* picture, unsigned char* line, double x_scale, double y_scale,
               int row, int first)
{
    long n;
    const JarvisTable& table = jarvis_table();
    const unsigned char* dark = start_line(jarvis_rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const int32_t* back = jarvis_rows.row[2];
    const int32_t* prev = jarvis_rows.row[1];
    int32_t* cur = jarvis_rows.row[0];
    long seven = 0, left2 = 0;  // 7 x the error one dot left, the error two dots left
    long b0 = back[0], b1 = back[1], b2 = back[2], b3 = back[3];
    long p0 = prev[0], p1 = prev[1], p2 = prev[2], p3 = prev[3];
    long left1 = 0;
    pack_dots(line, n, [&](long i) {
        long b4 = back[i + 4], p4 = prev[i + 4];
        long known = b0 + 3 * b1 + 5 * b2 + 3 * b3 + b4 + 3 * p0 + 5 * p1 + 7 * p2 + 5 * p3
                     + 3 * p4 + 5 * left2;
        long s = known + seven;
        const Outcome& o = table.at(48 * dark[i] + s + (s < 0 ? 47 : 0));
        seven = o.seven;
        left2 = left1;
        left1 = o.error;
        cur[i + 2] = o.error;
        b0 = b1, b1 = b2, b2 = b3, b3 = b4;
        p0 = p1, p1 = p2, p2 = p3, p3 = p4;
        return o.black;
    });
    jarvis_rows.rotate();
    return 1;
}
