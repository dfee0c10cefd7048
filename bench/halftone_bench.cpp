// Dots per second of each halftoner over a whole A4 page (210 x 297 mm)
// printed from a 2000 x 3000 gray picture, at 240 and 600 dpi, through the
// AVX2 kernels and through the plain loops, on one thread and on two (as
// send_data makes the lines). Read the CPU column for one thread: other work
// on the machine stretches the wall time; for two, the wall time is the
// figure (CPU counts the calling thread only).
#include "halftone.h"
#include "kernels.h"
#include "page_lines.h"
#include "resample.h"
#include "test_picture.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const int kWidth = 2000, kHeight = 3000;

XSImage* bench_picture()
{
    static std::vector<unsigned char> plane;
    static XSImage image{};
    if (plane.empty()) {
        plane.resize(size_t(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                plane[size_t(y) * kWidth + x] = test_picture_pixel(x, y, kWidth, kHeight);
        image.type = 1;
        image.width = kWidth;
        image.height = kHeight;
        image.depth = 8;
        image.planes = 1;
        image.bytes_per_pixel = 1;
        image.bits_per_sample = 8;
        image.data = plane.data();
    }
    return &image;
}

// Scales that fill the sheet: 1984 x 2806 dots at 240 dpi, 4960 x 7016 at 600.
struct Sheet {
    double x_scale, y_scale;
};

Sheet a4(int dpi)
{
    long dots = long(210 / 25.4 * dpi), lines = long(297 / 25.4 * dpi + 0.5);
    return {(dots + 0.5) / kWidth, (lines + 0.5) / kHeight};
}

// The page as one transmission: every line through the halftoner. The
// second argument picks the vector path: 1 AVX2 (where there), 0 plain; the
// third the threads.
void print_sheet(benchmark::State& state, halftoner method)
{
    VectorPath chosen = vector_path();
    if (!use_vector_path(state.range(1) ? VectorPath::avx2 : VectorPath::plain)) {
        state.SkipWithError("the processor lacks AVX2");
        return;
    }
    XSImage* picture = bench_picture();
    Sheet sheet = a4(int(state.range(0)));
    long dots = resample_count(kWidth, sheet.x_scale), lines = resample_count(kHeight, sheet.y_scale);
    Settings settings{};
    settings.threshold = 0.5;
    RasterJobPtr job(make_raster_job());
    set_second_thread_from(job.get(), state.range(2) > 1 ? 0 : -1);
    for (auto _ : state) {
        auto take = [](long, const unsigned char* line) {
            benchmark::DoNotOptimize(line);
            return true;
        };
        if (!make_lines(job.get(), method, &settings, picture, sheet.x_scale, sheet.y_scale, lines, dots, take))
            state.SkipWithError("halftoner failed");
    }
    state.counters["dots/s"] = benchmark::Counter(double(dots) * lines, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(std::to_string(dots) + "x" + std::to_string(lines));
    use_vector_path(chosen);
}

// The resampling alone, for the share it takes of every method.
int resample_only(RasterJob* job, const Settings*, XSImage* picture, unsigned char* line, double x_scale,
                  double y_scale, int row, int first)
{
    long n;
    const unsigned char* dark = gray_darkness(job, picture, x_scale, y_scale, row, first, &n);
    benchmark::DoNotOptimize(dark);
    line[0] = dark ? dark[0] : 0;
    return dark != nullptr;
}

}  // namespace

#define SHEET(method)                                                                   \
    BENCHMARK_CAPTURE(print_sheet, method, method)                                      \
        ->ArgsProduct({{240, 600}, {1, 0}, {1, 2}})                                     \
        ->ArgNames({"dpi", "avx2", "threads"})                                          \
        ->UseRealTime()                                                                 \
        ->Unit(benchmark::kMillisecond)
SHEET(floyd_gray);
SHEET(error_gray);
SHEET(bayer_gray);
SHEET(scroll_gray);
SHEET(random_gray);
SHEET(threshold_gray);
SHEET(resample_only);

BENCHMARK_MAIN();
