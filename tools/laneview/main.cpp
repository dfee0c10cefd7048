// laneview: shows what a printer stream of pixlane or textlane will do on
// paper, and checks it, before it is printed.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "page_files.h"
#include "stream_listing.h"
#include "stream_report.h"
#include "stream_walk.h"
#include "version_option.h"

namespace {

const char* const program = "laneview";
constexpr size_t most_problems_shown = 20;
constexpr int status_problems = 1;
constexpr int status_trouble = 2;   // the command line, or files that cannot be read or written

const char* const usage_text =
    "usage: laneview [--list] [--png DIR | --pbm DIR] [--scale N] [stream]\n"
    "Reads a printer stream of pixlane or textlane (a file, or standard input)\n"
    "and checks it; exits 0 when it is well-formed, 1 when it has problems.\n"
    "  --list       one line per command with its meaning\n"
    "  --png DIR    each picture page as DIR/page-N.png: the sheet, the printable\n"
    "               frame in light gray, the dots in black\n"
    "  --pbm DIR    each picture page as DIR/page-N.pbm: the dots alone\n"
    "  --scale N    pictures reduced N times (default 1: one pixel per printer dot)\n"
    "  --version    prints laneview's version number\n"
    "A page printed in several copies is written once, as page-N-copies-C.\n";

struct Options {
    bool list = false;
    const char* dir = nullptr;
    const char* format = nullptr;   // "png" or "pbm"
    int scale = 1;
    const char* input = nullptr;
};

[[noreturn]] void usage_error(const char* what)
{
    fprintf(stderr, "%s: %s\n%s", program, what, usage_text);
    exit(status_trouble);
}

Options parse_options(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        exit_if_version_word(program, argv[i]);
        if (word == "--help" || word == "-h") {
            fputs(usage_text, stdout);
            exit(0);
        } else if (word == "--list") {
            o.list = true;
        } else if (word == "--png" || word == "--pbm") {
            if (i + 1 >= argc)
                usage_error((word + " needs a directory").c_str());
            if (o.dir != nullptr)
                usage_error("give one of --png and --pbm, once");
            o.dir = argv[++i];
            o.format = word == "--png" ? "png" : "pbm";
        } else if (word == "--scale") {
            char* end = nullptr;
            const long n = i + 1 < argc ? strtol(argv[i + 1], &end, 10) : 0;
            if (end == nullptr || end == argv[i + 1] || *end != '\0' || n < 1 || n > 1000)
                usage_error("--scale needs a whole number from 1 to 1000");
            o.scale = static_cast<int>(n);
            ++i;
        } else if (word.size() > 1 && word[0] == '-') {
            usage_error(("unknown option " + word).c_str());
        } else if (o.input != nullptr) {
            usage_error("give one stream");
        } else {
            o.input = argv[i];
        }
    }
    return o;
}

bool read_all(FILE* in, std::string& bytes)
{
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, in)) > 0)
        bytes.append(block, n);
    return !ferror(in);
}

bool read_stream(const char* name, std::string& bytes)
{
    if (name == nullptr || strcmp(name, "-") == 0)
        return read_all(stdin, bytes);
    FILE* in = fopen(name, "rb");
    if (in == nullptr)
        return false;
    const bool ok = read_all(in, bytes);
    fclose(in);
    return ok;
}

// Writes one picture page; false after telling why it could not.
bool write_page(const Options& o, const Printer& p, int& drawn)
{
    const Page& page = p.page;
    if (page.has_text)
        return true;   // text pages are listed, not drawn
    PagePicture picture;
    if (!draw_page(p.bytes, page, picture)) {
        fprintf(stderr, "%s: page %d is too large to draw\n", program, page.number);
        return false;
    }
    const std::string path = std::string(o.dir) + "/" + page_file_name(page, o.format);
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) {
        fprintf(stderr, "%s: %s: %s\n", program, path.c_str(), strerror(errno));
        return false;
    }
    const int ok = strcmp(o.format, "png") == 0 ? write_page_png(out, picture, o.scale)
                                                : write_page_pbm(out, picture, o.scale);
    if (fclose(out) != 0 || !ok) {
        fprintf(stderr, "%s: %s: could not be written\n", program, path.c_str());
        return false;
    }
    printf("page %d: %s\n", page.number, path.c_str());
    ++drawn;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options o = parse_options(argc, argv);
    std::string bytes;
    if (!read_stream(o.input, bytes)) {
        fprintf(stderr, "%s: %s: %s\n", program, o.input != nullptr ? o.input : "standard input",
                strerror(errno));
        return status_trouble;
    }
    if (o.dir != nullptr && mkdir(o.dir, 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "%s: %s: %s\n", program, o.dir, strerror(errno));
        return status_trouble;
    }
    bool written = true;
    int drawn = 0;
    WalkHooks hooks;
    if (o.list)
        hooks.command = [](const Printer& p, const Token& t) { list_command(stdout, p, t); };
    if (o.dir != nullptr)
        hooks.page = [&](const Printer& p) { written = write_page(o, p, drawn) && written; };
    const Printer printer = walk_stream(bytes, hooks);
    if (o.dir != nullptr && drawn == 0 && written)
        printf("no picture pages to draw\n");
    printf("%s\n", summary(printer).c_str());
    report_problems(stderr, program, printer, most_problems_shown);
    if (fflush(stdout) != 0 || !written)
        return status_trouble;
    return printer.problem_count == 0 ? 0 : status_problems;
}
