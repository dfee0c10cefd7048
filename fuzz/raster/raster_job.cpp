// The raster filter's job: every page of a raster document read through
// libcups and printed, as rastertolane does, to nowhere.
// Input: a raster document (CUPS raster 1 to 3, PWG or Apple raster).
#include "fuzz_bytes.h"
#include "fuzz_target.h"
#include "raster_input.h"

namespace {

// Pages beyond this many dots are read but not halftoned: printing them
// reaches no other code and would only slow the search down.
constexpr long most_printed_dots = 1L << 22;

void raster_job(const uint8_t* data, size_t size)
{
    FILE* f = fuzz_stream(data, size);
    FILE* out = fuzz_null_stream();
    if (f == nullptr || out == nullptr) {
        if (f != nullptr)
            std::fclose(f);
        if (out != nullptr)
            std::fclose(out);
        return;
    }
    {
        raster_input in(f);
        for (;;) {
            XslImagePtr page;
            raster_page_setup setup;
            std::string description, error;
            if (read_raster_page(in, &page, &setup, &description, &error) != raster_read::page)
                break;
            setup.halftone = in.pages % 6;
            if (long(page->width) * page->height <= most_printed_dots && !print_raster_page(out, page.get(), setup, nullptr))
                break;
        }
        end_raster_job(out);
    }
    std::fclose(f);
    std::fclose(out);
}

FUZZ_TARGET("raster_job", raster_job);

}  // namespace
