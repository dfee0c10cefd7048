#include "page.h"

#include "job_context.h"
#include "kanji.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr unsigned char ESC = 0x1B;

// Mode changes in the converted text, tested in this order. The Kanji set
// designation with an intermediate "(" also swallows the byte after it.
struct mode_change {
    unsigned char bytes[6];
    int length;
    bool kanji;
    int swallow;
};

constexpr mode_change mode_changes[] = {
    {{ESC, '$', 'B'}, 3, true, 0},
    {{ESC, '$', '@'}, 3, true, 0},
    {{ESC, '&', '@', ESC, '$', 'B'}, 6, true, 0},
    {{ESC, '$', '('}, 3, true, 1},
    {{ESC, '(', 'J'}, 3, false, 0},
    {{ESC, '(', 'B'}, 3, false, 0},
    {{ESC, '(', 'I'}, 3, false, 0},
};

enum class verdict { no, yes, wait };

// Writes the text's bytes and tells the report of every page that a form feed
// in the text ends (the page the end of job closes is told by the caller).
struct page_writer {
    FILE* out;
    const job_report* report;
    int copies;
    int pages = 0;

    void put(unsigned char b)
    {
        std::fputc(b, out);
        if (b == '\f')
            page_ended();
    }
    void put(const unsigned char* data, size_t n)
    {
        std::fwrite(data, 1, n, out);
        for (size_t k = std::count(data, data + n, '\f'); k > 0; --k)
            page_ended();
    }
    void page_ended()
    {
        ++pages;
        if (!std::ferror(out))
            report_page(report, pages, copies);
    }
};

// Scans converted text for mode changes, one line at a time. Bytes after an
// ESC are held back until the longest possible match is decided, so a line
// may be fed in parts; nothing is matched beyond the end of the line.
struct mode_scanner {
    TextSettings* settings;
    page_writer* out;
    unsigned char held[6];
    int count = 0;
    int swallow = 0;

    void feed(const unsigned char* data, size_t n, bool last)
    {
        for (size_t i = 0; i < n; ++i) {
            unsigned char b = data[i];
            if (count == 0 && swallow == 0 && b != ESC) {
                out->put(b);
                continue;
            }
            held[count++] = b;
            resolve(false);
        }
        if (last) {
            resolve(true);
            swallow = 0;
        }
    }

    void drop(int n)
    {
        count -= n;
        for (int i = 0; i < count; ++i)
            held[i] = held[i + n];
    }

    verdict match(const mode_change& m) const
    {
        for (int i = 0; i < m.length; ++i) {
            if (i >= count)
                return verdict::wait;
            if (held[i] != m.bytes[i])
                return verdict::no;
        }
        return verdict::yes;
    }

    // Settles what the held bytes allow; at the end of a line, a sequence
    // still incomplete counts as no match.
    void resolve(bool last)
    {
        while (count > 0) {
            if (swallow > 0) {
                --swallow;
                drop(1);
                continue;
            }
            if (held[0] != ESC) {
                out->put(held[0]);
                drop(1);
                continue;
            }
            const mode_change* found = nullptr;
            for (const mode_change& m : mode_changes) {
                verdict v = match(m);
                if (v == verdict::wait && !last)
                    return;
                if (v == verdict::yes) {
                    found = &m;
                    break;
                }
            }
            if (found == nullptr) {
                drop(1);  // a stray ESC is dropped
                continue;
            }
            if (found->kanji)
                setKanjiMode(settings);
            else
                setAlphaMode(settings);
            drop(found->length);
            swallow = found->swallow;
        }
    }
};

enum class line_kind { text, hex, raw };

// One input line on its way out, possibly in several parts.
struct line_job {
    TextSettings* settings;
    line_kind kind = line_kind::text;
    size_t marks = 0;  // geta marks of the whole job
    kconv_state conv;
    hex_state hex = hex_start();
    std::vector<unsigned char> decoded;  // a hex line is written only once it decoded cleanly
    mode_scanner scanner;
    std::vector<unsigned char> converted;

    line_job(TextSettings* s, page_writer* out)
        : settings(s), conv(kconv_start(s->kanji_code, &marks)), scanner{s, out, {}},
          converted(kconv_room(LINE_SIZE))
    {
    }

    void start(const unsigned char* part, size_t n)
    {
        kind = line_kind::text;
        if (settings->filter_mode == 1 && n >= 1) {
            if (part[0] == '.' && n >= 2 && (part[1] == 'h' || part[1] == 'H'))
                kind = line_kind::hex;
            else if (part[0] == '\\')
                kind = line_kind::raw;
        }
        conv = kconv_start(settings->kanji_code, &marks);
        hex = hex_start();
        decoded.clear();
    }

    // `first` and `last` tell where the part lies in its line.
    void put(const unsigned char* part, size_t n, bool first, bool last)
    {
        if (first)
            start(part, n);
        switch (kind) {
        case line_kind::raw:
            if (first) {
                ++part;  // the backslash itself is not sent
                --n;
            }
            scanner.out->put(part, n);
            break;
        case line_kind::hex:
            put_hex(part, n, first, last);
            break;
        case line_kind::text: {
            size_t m = convert_part(&conv, converted.data(), part, n, last);
            scanner.feed(converted.data(), m, last);
            break;
        }
        }
    }

    void put_hex(const unsigned char* part, size_t n, bool first, bool last)
    {
        if (first) {
            part += 2;  // ".h"
            n -= 2;
        }
        if (last && n > 0 && part[n - 1] == '\n')
            --n;  // the newline is no digit
        size_t had = decoded.size();
        decoded.resize(had + n / 2 + 1);
        decoded.resize(had + hex_part(&hex, decoded.data() + had, part, n));
        if (hex.failed)
            decoded.clear();
        if (last && hex_ok(hex))
            scanner.out->put(decoded.data(), decoded.size());
    }
};

}  // namespace

void setKanjiMode(TextSettings* settings)
{
    std::fputs("\033n", settings->output);
}

void setAlphaMode(TextSettings* settings)
{
    std::fputc(0x0F, settings->output);  // SI
}

int send_data(TextSettings* settings, const job_report* report, int* pages, size_t* marks)
{
    std::vector<unsigned char> line(LINE_SIZE);
    page_writer out{settings->output, report, settings->copies};
    line_job job(settings, &out);
    size_t length = 0;
    bool first = true;  // the next part begins a line
    int c;
    int result = 0;
    while ((c = std::getc(settings->input)) != EOF) {
        line[length++] = static_cast<unsigned char>(c);
        if (c == '\n' || length == LINE_SIZE) {
            bool last = c == '\n';
            job.put(line.data(), length, first, last);
            first = last;
            length = 0;
            // A cancelled job stops after the line it was on.
            if (job_is_cancelled(settings->context)) {
                if (!first)
                    job.put(line.data(), 0, false, true);
                errno = ECANCELED;
                result = -1;
                break;
            }
        }
    }
    // The last line may lack its newline; it is printed all the same.
    if (result == 0 && (length > 0 || !first))
        job.put(line.data(), length, first, true);
    if (pages != nullptr)
        *pages = out.pages;
    if (marks != nullptr)
        *marks = job.marks;
    if (result == 0 && std::ferror(settings->input))
        result = -1;
    return result;
}

int terminate(TextSettings* settings)
{
    std::fputs("\014\033<", settings->output);  // FF, then reset
    std::fflush(settings->output);
    return std::ferror(settings->output) ? -1 : 0;
}
