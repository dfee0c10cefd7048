#include "page_stream.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numeric>
#include <vector>

#include "corrections.h"
#include "halftone.h"
#include "job.h"
#include "printer_units.h"
#include "resample.h"
#include "sent_part.h"

struct PageStream {
    Settings s;
    PageLayout layout;
    XSImage window{};        // the page's size; its rows come from the ring
    RasterJobPtr job;
    halftoner fill = null_func;
    SentPart keep{};
    long line_bytes = 0, sent_dots = 0, sent_bytes = 0;
    bool cut = false;
    std::vector<unsigned char> ring, line, sent;
    long ring_rows = 0, stride = 0;
    long rows_in = 0;        // rows given so far
    long rows_kept = 0;      // of them, rows on the sheet
    long next_out = 0;       // next output line
    bool toned = false;
    bool dark_rows = false;  // the ring holds darkness: the page is printed dot for pixel
    unsigned char tone[256];
    FILE* out = nullptr;
    long dx = 0;
    long lead_step = 1, lead_units = 0;  // leading white bytes skipped by a move of lead_units, lead_step at a time
    long blank = 0;          // blank lines not yet sent
    bool any_line = false;   // a raster line went out
    const job_context* context = nullptr;  // asked after every line whether the job was cancelled
    int copies = 0;
    bool head_sent = false;
};

namespace {

// Output line `row` asks for rows up to this one (error diffusion makes the
// next two lines with it, each with the row below its own).
long last_row_needed(const PageStream* p, long row)
{
    return resample_row(p->window.height, p->layout.y_scale, static_cast<int>(row + 3)).lower;
}

const unsigned char* ring_row(void* context, long y)
{
    auto* p = static_cast<PageStream*>(context);
    return p->ring.data() + (y % p->ring_rows) * p->stride;
}

// Commands put together in place of a formatted print for each: a line's
// go out for every line of the page.
struct Commands {
    char text[128];   // room for the longest: three numbers of 20 characters and a move of 20
    char* end = text;

    void add(const char* s) { end = std::copy(s, s + std::strlen(s), end); }
    void add(long v) { end = std::to_chars(end, text + sizeof text, v).ptr; }
    void add(char c) { *end++ = c; }
    // A move of `distance` units, none when 0.
    void add_move(long distance, char forward, char backward)
    {
        if (distance == 0)
            return;
        add("\x1b[");
        add(std::labs(distance));
        add(distance > 0 ? forward : backward);
    }
    void write(FILE* out) const { std::fwrite(text, 1, static_cast<size_t>(end - text), out); }
};

void put_move(FILE* out, long distance, char forward, char backward)
{
    Commands c;
    c.add_move(distance, forward, backward);
    c.write(out);
}

// Blank lines go as one move down where whole units can say it (a dot row is
// 720 / dpi units, so every q rows), the rest as raster lines of no bytes. The
// carriage return before the move keeps it from reading as a compatible
// mode's step, which would replace the last line's own height.
void send_blank_lines(PageStream* p)
{
    if (p->blank == 0)
        return;
    const int dpi = p->s.resolution_x;
    const long q = dpi / std::gcd(dpi, static_cast<int>(units_per_inch));
    const long moved = p->blank / q * q;
    if (moved > 0)
        std::fprintf(p->out, "\x1b[0;1;1x\x1b[%lde", moved / q * (static_cast<long>(units_per_inch) / (dpi / q)));
    for (long i = moved; i < p->blank; ++i)
        std::fprintf(p->out, "\x1b[0;0;%d.r", dpi);
    p->blank = 0;
}

// One line of dots: its bytes up to the last that prints, from the first
// that prints as far as a whole move right can skip: white bytes go in
// steps of `lead_step`, the fewest bytes whose dots span whole units.
void send_line(PageStream* p, const unsigned char* bytes)
{
    long n = p->sent_bytes;
    while (n > 0 && bytes[n - 1] == 0)
        --n;
    if (n == 0) {
        ++p->blank;
        return;
    }
    const long step = p->lead_step;
    long lead = 0;
    while (lead + step < n && std::all_of(bytes + lead, bytes + lead + step, [](unsigned char b) { return b == 0; }))
        lead += step;
    send_blank_lines(p);
    p->any_line = true;
    Commands c;
    c.add("\x1b[0;1;1x");
    c.add_move(p->dx + lead / step * p->lead_units, 'a', 'j');
    c.add("\x1b[");
    c.add(n - lead);
    c.add(';');
    c.add(n - lead);
    c.add(';');
    c.add(static_cast<long>(p->s.resolution_x));
    c.add(".r");
    c.write(p->out);
    std::fwrite(bytes + lead, 1, static_cast<size_t>(n - lead), p->out);
}

// Makes output line next_out and sends it when it lies on the sheet.
int make_line(PageStream* p)
{
    const long row = p->next_out++;
    std::fill(p->line.begin(), p->line.end(), 0);
    if (!p->fill(p->job.get(), &p->s, &p->window, p->line.data(), p->layout.x_scale, p->layout.y_scale,
                 static_cast<int>(row), row == 0))
        return 0;
    if (row >= p->keep.first_line) {
        if (p->cut)
            take_dots(p->line.data(), p->keep.first_dot, p->sent_dots, p->sent.data());
        send_line(p, p->cut ? p->sent.data() : p->line.data());
    }
    if (std::ferror(p->out))
        return 0;
    if (p->next_out < p->keep.end_line && job_is_cancelled(p->context)) {
        std::fputc('\f', p->out);
        errno = ECANCELED;
        return 0;
    }
    return 1;
}

// The transmission's start, before its first line: the copies command and
// the move to where the page's lines begin.
void send_head(PageStream* p)
{
    if (p->head_sent)
        return;
    p->head_sent = true;
    if (p->copies != 0)
        std::fprintf(p->out, "\x1b[%dv", p->copies);
    std::fputs("\x1b[0;1;0x", p->out);
    put_move(p->out, to_units(p->keep.y_start) - to_units(page_start), 'e', 'k');
}

int make_ready_lines(PageStream* p, bool all)
{
    send_head(p);
    while (p->next_out < p->keep.end_line && (all || last_row_needed(p, p->next_out) < p->rows_kept))
        if (!make_line(p))
            return 0;
    return 1;
}

}  // namespace

PageStream* start_page_stream(const raster_page_setup& setup, long width, long height, bool bits,
                              FILE* setup_out, FILE* body_out, int copies, const job_context* context)
{
    if (raster_page_problem(setup) != nullptr || width <= 0 || height <= 0) {
        errno = EINVAL;
        return nullptr;
    }
    long keep_width, keep_height;
    raster_page_limits(setup, &keep_width, &keep_height);
    keep_width = std::min(keep_width, width);
    keep_height = std::min(keep_height, height);
    if (keep_width <= 0 || keep_height <= 0 || keep_width > INT32_MAX || keep_height > INT32_MAX) {
        errno = EINVAL;
        return nullptr;
    }
    auto* p = new (std::nothrow) PageStream;
    if (p == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    p->context = context;
    p->out = body_out;
    XSImage& w = p->window;
    w.type = bits ? 0 : 1;
    w.width = static_cast<int32_t>(keep_width);
    w.height = static_cast<int32_t>(keep_height);
    w.depth = bits ? 1 : 8;
    w.planes = 1;
    w.bytes_per_pixel = 1;
    w.resolution = static_cast<uint16_t>(setup.x_resolution);
    p->toned = !bits && gray_tone_table(setup.brightness, setup.gamma, p->tone);

    raster_page_settings(setup, &p->s);
    p->s.output = setup_out;
    if (setup_out != nullptr)
        set_up_page(&p->s, &w, &p->layout);
    else
        p->layout = page_layout(&p->s, &w);
    p->s.output = body_out;
    if (!bits)
        p->fill = gray_halftoner(p->s.dither);

    const long dots = resample_count(w.width, p->layout.x_scale);
    const long lines = resample_count(w.height, p->layout.y_scale);
    p->job.reset(make_raster_job());
    if (dots < 0 || lines < 0 || !p->job) {
        free_page_stream(p);
        errno = ENOMEM;
        return nullptr;
    }
    p->keep = sent_part(&p->s, &p->layout, dots, lines);
    p->line_bytes = (dots + 7) / 8;
    p->cut = p->keep.first_dot != 0 || p->keep.end_dot != dots;
    p->sent_dots = p->keep.end_dot - p->keep.first_dot;
    p->sent_bytes = (p->sent_dots + 7) / 8;
    p->stride = bits ? (keep_width + 7) / 8 : keep_width;
    // Enough rows for the lines a halftoner makes at once at this scale.
    p->ring_rows = std::min<long>(keep_height, static_cast<long>(std::ceil(4 / p->layout.y_scale)) + 6);
    try {
        p->ring.resize(static_cast<size_t>(p->ring_rows * p->stride));
        p->line.resize(static_cast<size_t>(p->line_bytes + 1));
        p->sent.resize(static_cast<size_t>(p->sent_bytes + 1));
    } catch (const std::bad_alloc&) {
        free_page_stream(p);
        errno = ENOMEM;
        return nullptr;
    }
    p->window.data = p->ring.data();   // only its address is used: rows come from ring_row
    // A page at the printer's resolution goes to the halftoner as it is:
    // its rows are kept as darkness, which the halftoner reads in place.
    p->dark_rows = !bits && p->fill != null_func && p->layout.x_scale == 1.0 && p->layout.y_scale == 1.0;
    if (p->dark_rows && p->toned)
        for (unsigned char& level : p->tone)
            level = static_cast<unsigned char>(255 - level);
    set_row_source(p->job.get(), {ring_row, p, p->dark_rows});
    p->dx = to_units(p->keep.x_start) - to_units(page_start);
    const long unit_dots = static_cast<long>(units_per_inch) * 8;   // units of a byte's dots, times dpi
    p->lead_step = p->s.resolution_x / std::gcd(static_cast<long>(p->s.resolution_x), unit_dots);
    p->lead_units = p->lead_step * unit_dots / p->s.resolution_x;
    p->copies = copies;
    if (setup_out != nullptr)
        std::fflush(setup_out);
    return p;
}

int page_stream_row(PageStream* p, const unsigned char* row)
{
    if (p->rows_in++ >= p->window.height)
        return 1;
    unsigned char* to = p->ring.data() + (p->rows_kept % p->ring_rows) * p->stride;
    if (p->toned)
        for (long x = 0; x < p->stride; ++x)
            to[x] = p->tone[row[x]];
    else if (p->dark_rows)
        copy_inverted(row, to, p->stride);
    else
        std::copy(row, row + p->stride, to);
    if (p->window.type == 0 && (p->window.width & 7))
        to[p->stride - 1] &= static_cast<unsigned char>(0xFF << (8 - (p->window.width & 7)));
    ++p->rows_kept;
    return make_ready_lines(p, false);
}

int end_page_stream(PageStream* p)
{
    if (p->rows_kept < p->window.height) {
        std::vector<unsigned char> white(static_cast<size_t>(p->stride), p->window.type == 0 ? 0 : 255);
        const bool toned = p->toned;
        p->toned = false;   // white stays white whatever the tone
        while (p->rows_kept < p->window.height)
            if (!page_stream_row(p, white.data()))
                return 0;
        p->toned = toned;
    }
    if (!make_ready_lines(p, true))
        return 0;
    send_head(p);
    // The form feed ends the page without its last blank lines; a page of
    // none but blank lines keeps one, which tells its resolution.
    if (!p->any_line && p->blank > 0)
        std::fprintf(p->out, "\x1b[0;0;%d.r", p->s.resolution_x);
    p->blank = 0;
    std::fputc('\f', p->out);
    return std::ferror(p->out) ? 0 : 1;
}

void free_page_stream(PageStream* p)
{
    delete p;
}
