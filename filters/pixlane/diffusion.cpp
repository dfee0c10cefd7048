// Error diffusion: each dot's quantisation error is carried to dots not yet
// decided. Methods 0 (three dots by two lines) and 1 (five by three).
//
// Speed: a line is one chain of dependent steps, each dot's error feeding the
// next dot. The chain is kept short: the errors of the lines above and the
// dot's own darkness are summed off the chain, the last errors of the current
// line stay in registers, and one table look-up turns the sum into the dot,
// its error and its share for the next dot, in place of shift, clamp,
// compare and multiply. Floyd-Steinberg's chain does only that look-up and
// one store a dot: which dots print is worked out afterwards, eight at a time.
#include "diffusion_wave.h"
#include "halftone.h"
#include "raster_job_state.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

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
// at most 16 x 127 either way, t lies in -2032 .. 6112. An entry is what the
// rows hold (see floyd_sums): the error in the low half and 7 x the error,
// the next dot's share, in the high half. The dot prints when t >= 2048.
struct FloydTable {
    static constexpr long kLow = -2032, kHigh = 6112;
    int32_t entries[kHigh - kLow + 1];

    FloydTable()
    {
        for (long t = kLow; t <= kHigh; ++t) {
            const Outcome o = outcome(static_cast<int>(t >> 4));
            entries[t - kLow] = static_cast<int32_t>(static_cast<uint16_t>(o.error) |
                                                     static_cast<uint32_t>(o.seven) << 16);
        }
    }
    const int32_t* at_zero() const { return entries - kLow; }
};

const FloydTable& floyd_table()
{
    static const FloydTable table;
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

template <class T>
bool all_zero(const T* from, const T* to)
{
    constexpr long kZeros = 4 * kBlock;
    static const T zeros[kZeros] = {};
    for (; to - from > kZeros; from += kZeros)
        if (std::memcmp(from, zeros, sizeof zeros) != 0)
            return false;
    return from == to || std::memcmp(from, zeros, static_cast<size_t>(to - from) * sizeof(T)) == 0;
}

// Whether every dot is white (0) or black (255): text and line art as a
// renderer draws them.
bool black_or_white(const unsigned char* from, const unsigned char* to)
{
    unsigned char mixed = 0;
    if (to - from == kBlock)  // a whole block: a count the compiler sees, done in vectors
        for (long i = 0; i < kBlock; ++i)
            mixed |= static_cast<unsigned char>(from[i] + 1) > 1;
    else
        for (; from < to; ++from)
            mixed |= static_cast<unsigned char>(*from + 1) > 1;
    return mixed == 0;
}

// Whether a row of errors, with `border` entries before column 0, holds no
// error in the columns a block from .. to - 1 reads: its own and `border`
// more either side. Where the row has block flags, the block's own columns
// are taken from its flag.
template <int Border>
bool errors_quiet(const int32_t* row, const uint8_t* clear_blocks, long from, long to)
{
    if (clear_blocks == nullptr)
        return all_zero(row + from, row + to + 2 * Border);
    int32_t edges = 0;
    for (int k = 0; k < Border; ++k)
        edges |= row[from + k] | row[to + Border + k];
    return edges == 0 && clear_blocks[from / kBlock] != 0;
}

// Darkness of the line and rows ready for it; null when the line cannot be made.
template <class Errors>
const unsigned char* start_line(RasterJob* job, Errors& errors, XSImage* picture, double x_scale,
                                double y_scale, int row, int first, long* n)
{
    if (first)
        errors.release();  // a failed start must not leave the last transmission's rows
    const unsigned char* dark = gray_darkness(job, picture, x_scale, y_scale, row, first, n);
    if (!dark)
        return nullptr;
    if (first && !errors.restart(*n))
        return nullptr;
    return errors.ready(*n) ? dark : nullptr;
}

// One Floyd-Steinberg line being made: what the line above gives each dot
// (see floyd_sums), the table entries it writes as its errors, the dots it
// prints (one byte each, packed at the end), and 7 x the error of the dot to
// the left (0 at the border).
struct FloydLine {
    static constexpr int border = 1;
    static constexpr long reach = 1;  // columns right of a dot read in the line above
    const unsigned char* dark;
    const int32_t* above;
    int32_t* errors;
    int32_t* sums;
    unsigned char* black;
    const uint8_t* above_clear;  // block flags of the rows (null: none)
    uint8_t* errors_clear;
    const int32_t* table = floyd_table().at_zero();
    long seven = 0;

    // Reads row[1], the line above, and writes row[0].
    static FloydLine over(const unsigned char* dark, int32_t* const* row, uint8_t* const* clear,
                          int32_t* sums, unsigned char* black)
    {
        return {dark, row[1], row[0], sums, black, clear ? clear[1] : nullptr, clear ? clear[0] : nullptr};
    }

    void sum(VectorPath path, long from, long to) { floyd_sums(path, dark, above, from, to, sums); }
    void dot(long i)
    {
        const long entry = table[sums[i] + seven];
        errors[i + 1] = static_cast<int32_t>(entry);
        seven = entry >> 16;
    }
    // The dots from .. to - 1 print when their sums reach 2048.
    void finish(VectorPath path, long from, long to) { floyd_black(path, sums, errors, from, to, black); }
    // No error coming in and every dot black or white: each prints as it is
    // and leaves no error.
    bool quiet(long from, long to) const
    {
        return from == to ||
               (seven == 0 && black_or_white(dark + from, dark + to) && errors_quiet<border>(above, above_clear, from, to));
    }
};

// One five-by-three line: what the two lines above give each dot (see
// jarvis_sums), the errors it writes, the dots it prints, and the errors of
// its last two dots.
struct JarvisLine {
    static constexpr int border = 2;
    static constexpr long reach = 2;
    const unsigned char* dark;
    const int32_t* back;
    const int32_t* above;
    int32_t* errors;
    int32_t* sums;
    unsigned char* black;
    const uint8_t* back_clear;  // block flags of the rows (null: none)
    const uint8_t* above_clear;
    uint8_t* errors_clear;
    const JarvisTable* table = &jarvis_table();
    long seven = 0, left2 = 0, left1 = 0;  // 7 x the error one dot left; the errors two and one dots left

    // Reads row[2] and row[1], the two lines above, and writes row[0].
    static JarvisLine over(const unsigned char* dark, int32_t* const* row, uint8_t* const* clear,
                           int32_t* sums, unsigned char* black)
    {
        return {dark, row[2], row[1], row[0], sums, black, clear ? clear[2] : nullptr, clear ? clear[1] : nullptr,
                clear ? clear[0] : nullptr};
    }

    void sum(VectorPath path, long from, long to) { jarvis_sums(path, back, above, from, to, sums); }
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
    void finish(VectorPath, long, long) {}
    bool quiet(long from, long to) const
    {
        return from == to ||
               (seven == 0 && left1 == 0 && left2 == 0 && black_or_white(dark + from, dark + to) &&
                errors_quiet<border>(back, back_clear, from, to) && errors_quiet<border>(above, above_clear, from, to));
    }
};

// A quiet block of a line: its dots print as they are, its errors are zero
// (filled unless its flag says so already).
template <class Line>
void pass_quiet(Line& line, long from, long to)
{
    if (from == to)
        return;
    uint8_t* flag = line.errors_clear != nullptr ? line.errors_clear + from / kBlock : nullptr;
    if (flag == nullptr || !*flag)
        std::fill(line.errors + from + Line::border, line.errors + to + Line::border, 0);
    if (flag != nullptr)
        *flag = 1;
    std::copy(line.dark + from, line.dark + to, line.black + from);
}

// Lines go three at a time: each dot waits for the error of the dot before
// it, and three such chains run side by side where one would leave the
// processor idle. A line is made in blocks of kBlock dots, each line two
// blocks behind the one above it, so that the columns a block reads in the
// line above (at most two dots beyond its last one) are done. What the
// lines above give each dot of a block is summed before the block, off the
// chains. A line writes its errors over the oldest row, whose columns the
// lines still running have summed by then. Dots are packed into bytes at
// the end.
static_assert(kLines == 3, "run_lines takes the lines as a, b and c");

// Paces the lines of one thread alone: nothing to wait for or tell.
struct Alone {
    bool wait(long) { return true; }
    void tell(long, long) {}
};

// The lines are taken by value: copies whose address is never taken stay in
// registers, where the dots' byte stores cannot be thought to change them.
// Before each step the first line's block waits for the columns it reads in
// the line above; after it the last line tells how far it has got. False
// when a wait was stopped.
template <class Line, class Pacer>
bool run_lines(VectorPath path, Line a, Line b, Line c, unsigned char* const bits[kLines], long n, Pacer& pace)
{
    Line* lines[kLines] = {&a, &b, &c};
    const long blocks = (n + kBlock - 1) / kBlock;
    constexpr long lag = 2 * (kLines - 1);  // blocks the last line trails the first
    for (long step = 0; step < blocks + lag; ++step) {
        if (step < blocks && !pace.wait(std::min(n, (step + 1) * kBlock + Line::reach)))
            return false;
        long from[kLines], to[kLines];
        bool whole = true;  // every line has a full block this step
        bool quiet[kLines], any_quiet = false;
        for (int k = 0; k < kLines; ++k) {
            const long block = step - 2 * k;
            from[k] = block < 0 || block >= blocks ? 0 : block * kBlock;
            to[k] = block < 0 || block >= blocks ? 0 : std::min(from[k] + kBlock, n);
            whole = whole && to[k] - from[k] == kBlock;
            quiet[k] = lines[k]->quiet(from[k], to[k]);
            any_quiet = any_quiet || quiet[k];
            if (!quiet[k]) {
                if (lines[k]->errors_clear != nullptr)  // the block's errors are about to be written
                    lines[k]->errors_clear[from[k] / kBlock] = 0;
                lines[k]->sum(path, from[k], to[k]);
            }
        }
        if (whole && !any_quiet) {
            for (long t = 0; t < kBlock; ++t) {
                a.dot(from[0] + t);
                b.dot(from[1] + t);
                c.dot(from[2] + t);
            }
        } else {
            for (int k = 0; k < kLines; ++k)
                if (quiet[k])
                    pass_quiet(*lines[k], from[k], to[k]);
                else
                    for (long i = from[k]; i < to[k]; ++i)
                        lines[k]->dot(i);
        }
        // Before a later line writes over the errors of the first.
        for (int k = 0; k < kLines; ++k)
            if (!quiet[k])
                lines[k]->finish(path, from[k], to[k]);
        if (step >= lag)
            pace.tell(std::min(n, (step - lag + 1) * kBlock), n);
    }
    static const int32_t printed[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    for (int k = 0; k < kLines; ++k)
        pack_at_least(path, bits[k], lines[k]->black, n, printed);
    return true;
}

// White lines under rows that hold no error (the most of a page of text):
// nothing prints and no error is left. A row not known to be clear from its
// flags is looked at once; the rows the group writes are then clear too.
template <int Rows, int Border>
bool white_group(ErrorRows<Rows, Border>& rows, const HeldLines& h, long n)
{
    for (const unsigned char* dark : h.dark)
        if (!all_zero(dark, dark + n))
            return false;
    for (int k = 1; k < Rows; ++k) {
        if (rows.known_clear(k))
            continue;
        if (!all_zero(rows.row[k], rows.row[k] + n + 2 * Border))
            return false;
        rows.set_clear(k);
    }
    return true;
}

// One call of a diffusion method: the held line when it is the one asked
// for, else a new group of lines from row on, the first into line.
template <class Line, int Rows, int Border>
int diffuse(RasterJob* job, ErrorDiffusion<Rows, Border>& method, XSImage* picture,
            unsigned char* line, double x_scale, double y_scale, int row, int first)
{
    auto& rows = method.rows;
    HeldLines& h = method.held;
    if (h.take(rows, picture, x_scale, y_scale, row, first, line))
        return 1;
    long n;
    const unsigned char* dark = start_line(job, rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark || !h.start(job, picture, x_scale, y_scale, row, dark, n))
        return 0;
    unsigned char* bits[kLines] = {line};
    for (int k = 1; k < kLines; ++k)
        bits[k] = h.bits[k].data();
    if (white_group(rows, h, n)) {
        for (int k = 0; k < kLines; ++k) {
            if (!rows.known_clear(0)) {
                std::fill(rows.row[0], rows.row[0] + n + 2 * Border, 0);
                rows.set_clear(0);
            }
            rows.rotate();
            std::fill(bits[k], bits[k] + (n + 7) / 8, 0);
        }
        h.hold(row);
        return 1;
    }
    // Each line writes the oldest row; turning the rows makes it the newest
    // for the line below.
    Line lines[kLines];
    for (int k = 0; k < kLines; ++k) {
        lines[k] = Line::over(h.dark[k], rows.row, rows.clear_blocks, h.sums[k].data(), h.black[k].data());
        rows.rotate();
    }
    Alone alone;
    run_lines(job->path, lines[0], lines[1], lines[2], bits, n, alone);
    h.hold(row);
    return 1;
}

// One group of lines beside another thread: the rows are the ring's.
template <class Line>
int diffuse_wave(RasterJob* job, XSImage* picture, double x_scale, double y_scale, long row, bool restart,
                 const ErrorRing& ring, HeldLines& h, unsigned char* const bits[kWaveGroup], WavePace& pace)
{
    for (long first = row; first < row + kWaveGroup; first += kLines) {
        long n;
        const int r = static_cast<int>(first);
        const unsigned char* dark = gray_darkness(job, picture, x_scale, y_scale, r, restart && first == row, &n);
        if (!dark || !h.start(job, picture, x_scale, y_scale, r, dark, n))
            return 0;
        if (n != ring.dots) {
            errno = EINVAL;
            return 0;
        }
        Line lines[kLines];
        for (int k = 0; k < kLines; ++k) {
            int32_t* const rows[3] = {ring.row(first + k, Line::border), ring.row(first + k - 1, Line::border),
                                      ring.row(first + k - 2, Line::border)};
            lines[k] = Line::over(h.dark[k], rows, nullptr, h.sums[k].data(), h.black[k].data());
        }
        pace.first_pass = first == row;
        pace.last_pass = first + kLines == row + kWaveGroup;
        if (!run_lines(job->path, lines[0], lines[1], lines[2], bits + (first - row), n, pace))
            return 0;
    }
    return 1;
}

}  // namespace

bool is_error_diffusion(halftoner fill)
{
    return fill == floyd_gray || fill == error_gray;
}

int diffuse_group(RasterJob* job, halftoner fill, XSImage* picture, double x_scale, double y_scale, long row,
                  bool restart, const ErrorRing& ring, HeldLines& scratch, unsigned char* const bits[kWaveGroup],
                  WavePace& pace)
{
    if (fill == floyd_gray)
        return diffuse_wave<FloydLine>(job, picture, x_scale, y_scale, row, restart, ring, scratch, bits, pace);
    return diffuse_wave<JarvisLine>(job, picture, x_scale, y_scale, row, restart, ring, scratch, bits, pace);
}

int floyd_gray(RasterJob* job, const Settings*, XSImage* picture, unsigned char* line, double x_scale,
               double y_scale, int row, int first)
{
    return diffuse<FloydLine>(job, job->floyd, picture, line, x_scale, y_scale, row, first);
}

int error_gray(RasterJob* job, const Settings*, XSImage* picture, unsigned char* line, double x_scale,
               double y_scale, int row, int first)
{
    return diffuse<JarvisLine>(job, job->jarvis, picture, line, x_scale, y_scale, row, first);
}
