#include "pdf_pages.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "raster_callbacks.h"

extern char** environ;

namespace {

std::string find_program(const char* name)
{
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(folder) + "/" + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// Where the renderer draws on the sheet, in points: the whole sheet, or, for
// a job that asks to fit its pages, the printable frame inside the margins,
// as the spooler's chain fits them.
struct drawn_area {
    double sheet_width, sheet_height;
    double left = 0, top = 0, width, height;
};

drawn_area area_of(const pappl_pr_options_t* o)
{
    const auto points = [](int hundredths_mm) { return hundredths_mm * 72.0 / 2540.0; };
    drawn_area a;
    a.sheet_width = a.width = points(o->media.size_width);
    a.sheet_height = a.height = points(o->media.size_length);
    if (o->print_scaling == PAPPL_SCALING_FIT) {
        a.left = points(o->media.left_margin);
        a.top = points(o->media.top_margin);
        a.width -= a.left + points(o->media.right_margin);
        a.height -= a.top + points(o->media.bottom_margin);
    }
    return a;
}

// The renderer's command line: gray pages of the area's size at `dpi`, one
// binary PGM after another on standard output.
std::vector<std::string> render_command(const char* file, const drawn_area& area, int dpi)
{
    const double width_points = area.width;
    const double height_points = area.height;
    const std::string gs = find_program("gs");
    if (!gs.empty())
        return {gs, "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dNOINTERPOLATE", "-sDEVICE=pgmraw",
                "-r" + std::to_string(dpi), "-dDEVICEWIDTHPOINTS=" + std::to_string(width_points),
                "-dDEVICEHEIGHTPOINTS=" + std::to_string(height_points), "-dFIXEDMEDIA", "-dPDFFitPage",
                "-sOutputFile=-", "-f", file};
    return {find_program("pdftoppm"), "-gray", "-r", std::to_string(dpi), "-scale-to-x",
            std::to_string(static_cast<long>(width_points * dpi / 72 + 0.5)), "-scale-to-y",
            std::to_string(static_cast<long>(height_points * dpi / 72 + 0.5)), file};
}

// Reads one header number of a PGM file; -1 on a malformed or absurd header.
long pgm_number(FILE* in)
{
    int c = std::getc(in);
    while (c == '#' || std::isspace(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = std::getc(in);
        c = std::getc(in);
    }
    long value = 0;
    int digits = 0;
    while (c != EOF && std::isdigit(c)) {
        value = value * 10 + (c - '0');
        if (++digits > 6)
            return -1;
        c = std::getc(in);
    }
    return digits == 0 ? -1 : value;
}

// One page of the renderer's output into the job, line by line. 0 at the end
// of the output, 1 for a page printed, -1 on failure.
int print_pgm_page(FILE* in, LaneRasterJob* lane, int dpi, const drawn_area& area)
{
    const int first = std::getc(in);
    if (first == EOF)
        return 0;
    if (first != 'P' || std::getc(in) != '5')
        return -1;
    const long width = pgm_number(in), height = pgm_number(in), maxval = pgm_number(in);
    if (width <= 0 || height <= 0 || maxval != 255)
        return -1;
    // The renderer draws the area; the sheet is the job's.
    raster_page_setup sheet;
    sheet.x_resolution = sheet.y_resolution = dpi;
    const bool whole = area.left == 0 && area.top == 0;
    sheet.width_points = whole ? width * 72.0 / dpi : area.sheet_width;
    sheet.height_points = whole ? height * 72.0 / dpi : area.sheet_height;
    sheet.left_points = area.left;
    sheet.top_points = area.top;
    if (!lane_raster_start_page(lane, static_cast<unsigned>(width), static_cast<unsigned>(height), 8, sheet))
        return -1;
    std::vector<unsigned char> line(static_cast<size_t>(width));
    for (long y = 0; y < height; ++y) {
        if (std::fread(line.data(), 1, line.size(), in) != line.size())
            return -1;
        lane_raster_line(lane, static_cast<unsigned>(y), line.data());
    }
    return lane_raster_end_page(lane) ? 1 : -1;
}

}  // namespace

bool pdf_renderer_installed()
{
    return !find_program("gs").empty() || !find_program("pdftoppm").empty();
}

bool print_pdf_pages(pappl_job_t* job, pappl_device_t* device)
{
    pappl_pr_options_t* options = papplJobCreatePrintOptions(job, INT_MAX, false);
    const int dpi = options->printer_resolution[0] > 0 ? options->printer_resolution[0] : 300;
    const drawn_area area = area_of(options);
    const std::vector<std::string> command = render_command(papplJobGetFilename(job), area, dpi);
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) {
        papplJobDeletePrintOptions(options);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    if (spawned != 0) {
        close(pipe_ends[0]);
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot run %s: %s", argv[0], std::strerror(spawned));
        papplJobDeletePrintOptions(options);
        return false;
    }
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "Rendering the PDF with %s at %d dpi.", argv[0], dpi);
    FILE* in = fdopen(pipe_ends[0], "rb");
    LaneRasterJob* lane = open_lane_raster(job, options, device);
    int result = lane != nullptr ? 1 : -1;
    int pages = 0;
    while (result == 1 && !papplJobIsCanceled(job))
        if ((result = print_pgm_page(in, lane, dpi, area)) == 1)
            ++pages;
    if (result != 0)
        kill(pid, SIGTERM);  // nothing more is read
    std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    bool ok = close_lane_raster(lane) && result == 0;
    papplJobDeletePrintOptions(options);
    if (!papplJobIsCanceled(job) && (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || pages == 0)) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The PDF renderer failed (%d pages rendered).", pages);
        ok = false;
    }
    return ok && !papplJobIsCanceled(job);
}
