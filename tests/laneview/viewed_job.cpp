#include "viewed_job.h"

#include <cmath>

#include "printer_units.h"
#include "run_program.h"
#include "stream_walk.h"
#include "temp_dir.h"

ViewedJob view(std::string stream)
{
    ViewedJob job;
    job.stream = std::move(stream);
    WalkHooks hooks;
    hooks.page = [&job](const Printer& p) {
        ViewedPage viewed{p.page, {}};
        draw_page(p.bytes, p.page, viewed.picture);
        job.pages.push_back(std::move(viewed));
    };
    const Printer printer = walk_stream(job.stream, hooks);
    job.problems = printer.problems;
    for (const Problem& problem : job.problems)
        job.problem_text += problem.message + "\n";
    return job;
}

bool same_dots(const std::string& one, const std::string& other, std::string* why)
{
    const ViewedJob a = view(one), b = view(other);
    if (a.pages.size() != b.pages.size()) {
        *why = std::to_string(a.pages.size()) + " pages against " + std::to_string(b.pages.size());
        return false;
    }
    for (size_t i = 0; i < a.pages.size(); ++i) {
        const ViewedPage &p = a.pages[i], &q = b.pages[i];
        const PagePicture &x = p.picture, &y = q.picture;
        *why = "page " + std::to_string(i + 1) + ": ";
        if (p.page.copies != q.page.copies || p.page.sheet.custom != q.page.sheet.custom ||
            std::string(p.page.sheet.name) != q.page.sheet.name) {
            *why += "another sheet or copies";
            return false;
        }
        if (x.width != y.width || x.height != y.height || x.resolution != y.resolution || x.bits != y.bits) {
            *why += "other dots";
            return false;
        }
    }
    why->clear();
    return true;
}

bool raster_on_sheets(const ViewedJob& job)
{
    for (const ViewedPage& v : job.pages) {
        for (const RasterLine& line : v.page.lines) {
            const long column = dot_index(line.x, line.resolution), row = dot_index(line.y, line.resolution);
            const long last_byte = column + 8 * (long(line.bytes) - 1);
            if (column < 0 || row < 0 || row >= v.picture.height || last_byte >= v.picture.width)
                return false;
        }
        if (long(v.page.lines.size()) > v.picture.height)
            return false;
    }
    return true;
}

ViewedJob print_and_view(const std::string& picture, const std::vector<std::string>& options)
{
    TempDir dir;
    write_file(dir.file("picture"), picture);
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-in", dir.file("picture")});
    return view(run_program(PIXLANE_BIN, args).out);
}

std::string pbm(int width, int height, const std::function<bool(int, int)>& black)
{
    std::string file = "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    const int row_bytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        std::string row(row_bytes, '\0');
        for (int x = 0; x < width; ++x)
            if (black(x, y))
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        file += row;
    }
    return file;
}

Box black_box(const PagePicture& p)
{
    Box box{p.width, p.height, -1, -1};
    for (long y = 0; y < p.height; ++y)
        for (long x = 0; x < p.width; ++x)
            if (picture_dot(p, x, y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box.right < 0 ? Box{} : box;
}

long units_of_mm(double mm)
{
    return static_cast<long>(std::trunc(mm / 25.4 * 720));
}
