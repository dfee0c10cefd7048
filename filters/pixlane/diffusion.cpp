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
#include "kernels.h"
#include "resample.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <vector>

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

namespace {

// One Floyd-Steinberg line being made: what the line above gives each dot
// (see floyd_sums), the errors it writes, the dots it prints (one byte each,
// packed at the end), and 7 x the error of the dot to the left (0 at the border).
struct FloydLine {
    const unsigned char* dark;
    const int32_t* above;
    int32_t* errors;
    int32_t* sums;
    unsigned char* black;
    const FloydTable* table = &floyd_table();
    long seven = 0;

    void sum(long from, long to) { floyd_sums(dark, above, from, to, sums); }
    void dot(long i)
    {
        const Outcome& o = table->at(sums[i] + seven);
        seven = o.seven;
        errors[i + 1] = o.error;
        black[i] = o.black;
    }
};

// One five-by-three line: what the two lines above give each dot (see
// jarvis_sums), the errors it writes, the dots it prints, and the errors of
// its last two dots.
struct JarvisLine {
    const unsigned char* dark;
    const int32_t* back;
    const int32_t* above;
    int32_t* errors;
    int32_t* sums;
    unsigned char* black;
    const JarvisTable* table = &jarvis_table();
    long seven = 0, left2 = 0, left1 = 0;  // 7 x the error one dot left; the errors two and one dots left

    void sum(long from, long to) { jarvis_sums(back, above, from, to, sums); }
    void dot(long i)
    {
        long s = sums[i] + 5 * left2 + seven;
        const Outcome& o = table->at(48 * dark[i] + s + (s < 0 ? 47 : 0));
        seven = o.seven;
        left2 = left1;
        left1 = o.error;
        errors[i + 2] = o.error;
        black[i] = o.black;
    }
};

// Lines go two at a time: each dot waits for the error of the dot before it,
// and two such chains run side by side where one would leave the processor
// idle. What the lines above give a dot is summed for a block of dots at a
// time, off the chains: the first line's for the whole line at once, the
// second line's block by block, each block once the first line has passed
// the columns it reads, `reach` dots to the right of the block's last dot.
// The second line writes its errors over the oldest row, which the first
// line's sums have already read. Dots are packed into bytes at the end;
// the second line's are held for the next call.
// The lines are taken by value: copies whose address is never taken stay in
// registers, where the dots' byte stores cannot be thought to change them.
template <class Line>
void two_lines(Line first, Line second, unsigned char* first_bits, unsigned char* second_bits, long n,
               long reach)
{
    constexpr long kBlock = 64;
    first.sum(0, n);
    long done = std::min(kBlock + reach, n);  // the first line keeps this far ahead
    for (long i = 0; i < done; ++i)
        first.dot(i);
    for (long k = 0; k < n;) {
        const long k_end = std::min(k + kBlock, n);
        second.sum(k, k_end);
        const long done_end = std::min(done + (k_end - k), n);
        const long both = std::min(done_end - done, k_end - k);
        for (long t = 0; t < both; ++t) {
            first.dot(done + t);
            second.dot(k + t);
        }
        for (long i = done + both; i < done_end; ++i)
            first.dot(i);
        for (long i = k + both; i < k_end; ++i)
            second.dot(i);
        done = done_end;
        k = k_end;
    }
    static const int32_t printed[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    pack_at_least(first_bits, first.black, n, printed);
    pack_at_least(second_bits, second.black, n, printed);
}

// The second line of the last pair, and what it was made from.
struct HeldLine {
    const unsigned char* data = nullptr;
    double x_scale = 0, y_scale = 0;
    int row = -1;  // -1: none
    long n = 0;
    std::vector<unsigned char> dark;  // the first line's darkness, kept while the second's is made
    std::vector<unsigned char> bits;
    // Scratch of the pair: what the lines above give each dot, and each dot printed.
    std::vector<int32_t> sums[2];
    std::vector<unsigned char> black[2];

    // Copies the held line when it is the one asked for; forgets it either way.
    template <class Errors>
    bool take(const Errors& errors, const XSImage* picture, double xs, double ys, int r, int first,
              unsigned char* line)
    {
        bool hit = !first && row == r && data == picture->data && x_scale == xs && y_scale == ys &&
                   errors.dots == n;
        row = -1;
        if (hit)
            std::copy(bits.begin(), bits.end(), line);
        return hit;
    }

    // Room for a pair of n dots; the darkness of the first line kept. Then
    // the second line's darkness, or null.
    const unsigned char* start(const XSImage* picture, double xs, double ys, int r,
                               const unsigned char* first_dark, long n_dots)
    {
        try {
            dark.assign(first_dark, first_dark + n_dots);
            bits.assign((n_dots + 7) / 8, 0);
            for (int k = 0; k < 2; ++k) {
                sums[k].resize(n_dots);
                black[k].resize(n_dots);
            }
        } catch (const std::bad_alloc&) {
            errno = ENOMEM;
            return nullptr;
        }
        long n_next;
        const unsigned char* next = gray_darkness(picture, xs, ys, r + 1, 0, &n_next);
        if (!next || n_next != n_dots)
            return nullptr;
        data = picture->data;
        x_scale = xs;
        y_scale = ys;
        n = n_dots;
        return next;
    }
};

HeldLine floyd_held, jarvis_held;

}  // namespace

int floyd_gray(Settings*, XSImage* picture, unsigned char* line, double x_scale, double y_scale,
               int row, int first)
{
    if (floyd_held.take(floyd_rows, picture, x_scale, y_scale, row, first, line))
        return 1;
    long n;
    const unsigned char* dark = start_line(floyd_rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const unsigned char* next = floyd_held.start(picture, x_scale, y_scale, row, dark, n);
    if (!next)
        return 0;
    int32_t* above = floyd_rows.row[1];
    int32_t* errors = floyd_rows.row[0];
    HeldLine& h = floyd_held;
    FloydLine a{h.dark.data(), above, errors, h.sums[0].data(), h.black[0].data()};
    FloydLine b{next, errors, above, h.sums[1].data(), h.black[1].data()};
    two_lines(a, b, line, h.bits.data(), n, 1);
    // The second line's errors lie in row[1], where the next pair reads them.
    floyd_held.row = row + 1;
    return 1;
}

int error_gray(Settings*, XSImage* picture, unsigned char* line, double x_scale, double y_scale,
               int row, int first)
{
    if (jarvis_held.take(jarvis_rows, picture, x_scale, y_scale, row, first, line))
        return 1;
    long n;
    const unsigned char* dark = start_line(jarvis_rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const unsigned char* next = jarvis_held.start(picture, x_scale, y_scale, row, dark, n);
    if (!next)
        return 0;
    int32_t* back = jarvis_rows.row[2];
    int32_t* above = jarvis_rows.row[1];
    int32_t* errors = jarvis_rows.row[0];
    HeldLine& h = jarvis_held;
    JarvisLine a{h.dark.data(), back, above, errors, h.sums[0].data(), h.black[0].data()};
    JarvisLine b{next, above, errors, back, h.sums[1].data(), h.black[1].data()};
    two_lines(a, b, line, h.bits.data(), n, 2);
    // Two lines on: the first line is now two back, the second the previous one.
    jarvis_rows.rotate();
    jarvis_rows.rotate();
    jarvis_held.row = row + 1;
    return 1;
}
