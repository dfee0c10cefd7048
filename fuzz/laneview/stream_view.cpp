// The viewer over any bytes: every command listed, every page drawn and
// reduced, the verdict written, as laneview does for a stream it is given.
#include <string_view>
#include <vector>

#include "fuzz_bytes.h"
#include "fuzz_target.h"
#include "page_picture.h"
#include "stream_listing.h"
#include "stream_report.h"
#include "stream_walk.h"

namespace {

// Pages larger than this are checked but not drawn: a 64 MB sheet per input
// would only slow the search.
constexpr double most_drawn_dots = 1 << 24;

void view_stream(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FILE* sink = fuzz_null_stream();
    if (sink == nullptr)
        return;
    WalkHooks hooks;
    hooks.command = [sink](const Printer& p, const Token& t) { list_command(sink, p, t); };
    hooks.page = [&bytes](const Printer& p) {
        const Page& page = p.page;
        const Sheet& sheet = page.sheet.known ? page.sheet : default_sheet();
        const double r = page.resolution != 0 ? page.resolution : default_resolution;
        const double dots = (sheet.width * r / units_per_inch) * (sheet.height * r / units_per_inch);
        if (!(dots <= most_drawn_dots))
            return;
        PagePicture picture;
        if (!draw_page(bytes, page, picture))
            return;
        std::vector<uint32_t> black, area;
        for (int scale : {1, 3})
            for (long row = 0; row * scale < picture.height; row += 37) {
                reduce_row(picture, scale, row, black, area);
                for (long x = 0; x * scale < picture.width; x += 11)
                    (void)on_frame(picture, scale, x, row);
            }
    };
    const Printer printer = walk_stream(bytes, hooks);
    report_problems(sink, "laneview", printer, 20);
    std::fputs(summary(printer).c_str(), sink);
    std::fclose(sink);
}

FUZZ_TARGET("laneview_stream", view_stream);

}  // namespace
