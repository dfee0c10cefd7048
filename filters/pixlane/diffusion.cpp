// Error diffusion: each dot's quantisation error is carried to dots not yet
// decided. Methods 0 (three dots by two lines) and 1 (five by three).
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

inline int clamp_gray(int c)
{
    return c < 0 ? 0 : c > 255 ? 255 : c;
}

// 1 when the corrected value c prints black (128 or more), else 0; error
// receives what is carried on: c - 255 or c. Plain arithmetic, no branch: on
// halftone patterns a branch here is mispredicted at every other dot.
inline int quantise(int c, int32_t& error)
{
    int black = c > 127;
    error = c - (-black & 255);
    return black;
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
    const unsigned char* dark = start_line(floyd_rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const int32_t* prev = floyd_rows.row[1];
    int32_t* cur = floyd_rows.row[0];
    int32_t left = 0;  // cur[0], the border
    pack_dots(line, n, [&](long i) {
        int32_t s = prev[i] + 5 * prev[i + 1] + 3 * prev[i + 2] + 7 * left;
        int black = quantise(clamp_gray(dark[i] + (s >> 4)), left);  // >> rounds toward minus infinity
        cur[i + 1] = left;
        return black;
    });
    floyd_rows.rotate();
    return 1;
}

int error_gray(Settings*, XSImage* picture, unsigned char* line, double x_scale, double y_scale,
               int row, int first)
{
    long n;
    const unsigned char* dark = start_line(jarvis_rows, picture, x_scale, y_scale, row, first, &n);
    if (!dark)
        return 0;
    const int32_t* back = jarvis_rows.row[2];
    const int32_t* prev = jarvis_rows.row[1];
    int32_t* cur = jarvis_rows.row[0];
    int32_t left2 = 0, left1 = 0;  // cur[0] and cur[1], the border
    pack_dots(line, n, [&](long i) {
        int32_t s = back[i] + 3 * back[i + 1] + 5 * back[i + 2] + 3 * back[i + 3] + back[i + 4]
                    + 3 * prev[i] + 5 * prev[i + 1] + 7 * prev[i + 2] + 5 * prev[i + 3]
                    + 3 * prev[i + 4] + 5 * left2 + 7 * left1;
        left2 = left1;
        int black = quantise(clamp_gray(dark[i] + s / 48), left1);  // division truncates toward zero
        cur[i + 2] = left1;
        return black;
    });
    jarvis_rows.rotate();
    return 1;
}
