#include "page_picture.h"

#include <algorithm>

#include "raster_bits.h"

namespace {

void set_dot(PagePicture& p, long x, long y)
{
    p.bits[static_cast<size_t>(y) * p.row_bytes + (x >> 3)] |= 0x80 >> (x & 7);
}

// A line at the page's resolution: its dots land one for one.
void draw_line(PagePicture& p, const unsigned char* data, long n, long column, long row)
{
    if (row < 0 || row >= p.height)
        return;
    const long from = std::max(0L, -column), to = std::min(n, p.width - column);
    for (long i = from; i < to; ++i)
        if (dot_is_set(data, i))
            set_dot(p, column + i, row);
}

}  // namespace

bool draw_page(std::string_view stream, const Page& page, PagePicture& p)
{
    p = PagePicture{};
    const Sheet& sheet = page.sheet.known ? page.sheet : default_sheet();
    const int r = page.resolution != 0 ? page.resolution : default_resolution;
    const long width = dot_index(sheet.width, r), height = dot_index(sheet.height, r);
    if (width < 1 || height < 1 || static_cast<double>(width) * height > most_page_dots)
        return false;
    p.width = width;
    p.height = height;
    p.resolution = r;
    p.row_bytes = static_cast<size_t>(width + 7) / 8;
    p.bits.assign(p.row_bytes * static_cast<size_t>(height), 0);
    const Frame& f = page.frame;
    if (f.complete() && f.right > f.left && f.bottom > f.top) {
        p.has_frame = true;
        p.frame_left = dot_index(f.left, r);
        p.frame_top = dot_index(f.top, r);
        p.frame_right = dot_index(f.right, r) - 1;
        p.frame_bottom = dot_index(f.bottom, r) - 1;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
    for (const RasterLine& line : page.lines) {
        const long n = static_cast<long>(line.bytes) * 8;
        if (line.resolution == r)   // lines at another resolution are reported, not drawn
            draw_line(p, bytes + line.data_offset, n, dot_index(line.x, r), dot_index(line.y, r));
    }
    return true;
}

bool picture_dot(const PagePicture& p, long x, long y)
{
    if (x < 0 || y < 0 || x >= p.width || y >= p.height)
        return false;
    return dot_is_set(p.bits.data() + static_cast<size_t>(y) * p.row_bytes, x);
}

void reduce_row(const PagePicture& p, int scale, long row, std::vector<uint32_t>& black,
                std::vector<uint32_t>& area)
{
    const long out_width = (p.width + scale - 1) / scale;
    black.assign(out_width, 0);
    area.assign(out_width, 0);
    const long first = row * scale, last = std::min(p.height, first + scale);
    for (long y = first; y < last; ++y) {
        const unsigned char* bits = p.bits.data() + static_cast<size_t>(y) * p.row_bytes;
        for (long x = 0; x < out_width; ++x) {
            const long from = x * scale, to = std::min(p.width, from + scale);
            black[x] += count_black(bits, from, to);
            area[x] += to - from;
        }
    }
}

bool on_frame(const PagePicture& p, int scale, long x, long y)
{
    if (!p.has_frame)
        return false;
    const long left = p.frame_left / scale, right = p.frame_right / scale;
    const long top = p.frame_top / scale, bottom = p.frame_bottom / scale;
    const bool across = x >= left && x <= right, along = y >= top && y <= bottom;
    return ((y == top || y == bottom) && across) || ((x == left || x == right) && along);
}
