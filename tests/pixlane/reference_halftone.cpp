#include "reference_halftone.h"

#include "resample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const int bayer[8][8] = {
    {0, 128, 32, 160, 8, 136, 40, 168},     {192, 64, 224, 96, 200, 72, 232, 104},
    {48, 176, 16, 144, 56, 184, 24, 152},   {240, 112, 208, 80, 248, 120, 216, 88},
    {12, 140, 44, 172, 4, 132, 36, 164},    {204, 76, 236, 108, 196, 68, 228, 100},
    {60, 188, 28, 156, 52, 180, 20, 148},   {252, 124, 220, 92, 244, 116, 212, 84},
};
const int scroll[8][8] = {
    {168, 172, 176, 180, 184, 188, 192, 196}, {164, 80, 84, 88, 92, 96, 100, 200},
    {160, 76, 24, 28, 32, 36, 104, 204},      {156, 72, 20, 0, 4, 40, 108, 208},
    {152, 68, 16, 12, 8, 44, 112, 212},       {148, 64, 60, 56, 52, 48, 116, 216},
    {144, 140, 136, 132, 128, 124, 120, 220}, {252, 248, 244, 240, 236, 232, 228, 224},
};

// Error diffusion over rows of N + 2 * border ints; weights[r] spans columns
// x - border .. x + border of the line r + 1 above, left the current line's
// `border` columns to the left.
struct Diffusion {
    std::vector<std::vector<int>> weights;
    std::vector<int> left;
    bool shift;  // s >> 4, else s / 48
};

const Diffusion floyd{{{1, 5, 3}}, {7}, true};
const Diffusion jarvis{{{3, 5, 7, 5, 3}, {1, 3, 5, 3, 1}}, {5, 7}, false};

}  // namespace

std::vector<std::vector<unsigned char>> reference_page(int method, const XSImage& picture,
                                                       double x_scale, double y_scale,
                                                       double threshold)
{
    long n = resample_count(picture.width, x_scale), lines = resample_count(picture.height, y_scale);
    const Diffusion& diffusion = method == 0 ? floyd : jarvis;
    int border = static_cast<int>(diffusion.left.size());
    std::vector<std::vector<int>> errors(diffusion.weights.size() + 1,
                                         std::vector<int>(n + 2 * border, 0));
    double t = std::trunc(threshold * 256 + 0.5);
    int level = std::isnan(t) || t >= 256 ? 256 : t <= 0 ? 0 : static_cast<int>(t);
    srand(255);

    std::vector<std::vector<unsigned char>> page;
    for (long row = 0; row < lines; ++row) {
        std::rotate(errors.rbegin(), errors.rbegin() + 1, errors.rend());  // oldest becomes current
        std::fill(errors[0].begin(), errors[0].end(), 0);
        std::vector<unsigned char> line((n + 7) / 8, 0);
        for (long i = 0; i < n; ++i) {
            int d = 255 - rule_value(picture, picture.width, x_scale, y_scale, row, i, reference_gray_pixel);
            bool black = false;
            switch (method) {
            case 0:
            case 1: {
                int s = 0;
                for (size_t r = 0; r < diffusion.weights.size(); ++r)
                    for (size_t k = 0; k < diffusion.weights[r].size(); ++k)
                        s += diffusion.weights[r][k] * errors[r + 1][i + k];
                for (int k = 0; k < border; ++k)
                    s += diffusion.left[k] * errors[0][i + k];
                int c = std::clamp(d + (diffusion.shift ? s >> 4 : s / 48), 0, 255);
                black = c > 127;
                errors[0][i + border] = black ? c - 255 : c;
                break;
            }
            case 2: black = d > bayer[row % 8][i % 8]; break;
            case 3: black = d > scroll[row % 8][i % 8]; break;
            case 4: black = d > (rand() & 255); break;
            default: black = d >= level; break;
            }
            if (black)
                line[i / 8] |= 0x80 >> (i % 8);
        }
        page.push_back(std::move(line));
    }
    return page;
}
