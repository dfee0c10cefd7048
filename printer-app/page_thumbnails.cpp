#include "page_thumbnails.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "page_files.h"
#include "page_picture.h"
#include "stream_walk.h"

namespace {

// The picture is at most this wide, in pixels.
constexpr long thumbnail_width = 200;
// Only the start of a longer stream is read: a first page is far shorter.
constexpr long most_stream_bytes = 64L << 20;

// The job's picture in the spool, opened with `mode` ("r" or "w"); -1 when
// it cannot be.
int open_picture(pappl_printer_t* printer, int job_id, char* path, size_t size, const char* mode)
{
    const std::string name = "page-" + std::to_string(job_id);
    return papplPrinterOpenFile(printer, path, size, nullptr, name.c_str(), "png", mode);
}

bool has_picture(pappl_printer_t* printer, int job_id)
{
    char path[1024];
    const int fd = open_picture(printer, job_id, path, sizeof path, "r");
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

std::string thumbnail_url(pappl_printer_t* printer, int job_id)
{
    return "/lane-pages/" + std::to_string(papplPrinterGetID(printer)) + "-" + std::to_string(job_id) + ".png";
}

struct Listing {
    pappl_client_t* client;
    int shown = 0;
};

void list_job(pappl_job_t* job, void* data)
{
    auto* listing = static_cast<Listing*>(data);
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const int id = papplJobGetID(job);
    if (papplJobGetState(job) != IPP_JSTATE_COMPLETED || !has_picture(printer, id))
        return;
    papplClientHTMLPrintf(listing->client,
                          "<figure style=\"display:inline-block;margin:1em\"><img src=\"%s\" alt=\"first page\" "
                          "style=\"border:1px solid #888\"><figcaption>",
                          thumbnail_url(printer, id).c_str());
    papplClientHTMLPrintf(listing->client, "%s, job %d: ", papplPrinterGetName(printer), id);
    const char* name = papplJobGetName(job);
    papplClientHTMLEscape(listing->client, name, std::strlen(name));
    papplClientHTMLPuts(listing->client, "</figcaption></figure>\n");
    ++listing->shown;
}

void list_printer(pappl_printer_t* printer, void* data)
{
    papplPrinterIterateCompletedJobs(printer, list_job, data, 1, 0);
}

bool pages_page(pappl_client_t* client, void* data)
{
    auto* system = static_cast<pappl_system_t*>(data);
    if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, "text/html", 0, 0))
        return false;
    papplClientHTMLHeader(client, "Printed pages", 0);
    papplClientHTMLPuts(client, "<div class=\"content\"><h1 class=\"title\">Printed pages</h1>\n"
                                "<p>The first page of each completed job, as it went to paper.</p>\n");
    Listing listing{client};
    papplSystemIteratePrinters(system, list_printer, &listing);
    if (listing.shown == 0)
        papplClientHTMLPuts(client, "<p>No completed jobs yet.</p>\n");
    papplClientHTMLPuts(client, "</div>\n");
    papplClientHTMLFooter(client);
    return true;
}

// The address and file of each kept picture: gathered first, as the system
// is locked while its printers are walked.
using KeptPictures = std::vector<std::pair<std::string, std::string>>;

void find_kept_picture(pappl_job_t* job, void* data)
{
    pappl_printer_t* printer = papplJobGetPrinter(job);
    char path[1024];
    const int fd = open_picture(printer, papplJobGetID(job), path, sizeof path, "r");
    if (fd < 0)
        return;
    close(fd);
    static_cast<KeptPictures*>(data)->emplace_back(thumbnail_url(printer, papplJobGetID(job)), path);
}

void find_printer_pictures(pappl_printer_t* printer, void* data)
{
    papplPrinterIterateCompletedJobs(printer, find_kept_picture, data, 1, 0);
}

}  // namespace

void add_kept_pictures(pappl_system_t* system)
{
    KeptPictures pictures;
    papplSystemIteratePrinters(system, find_printer_pictures, &pictures);
    for (const auto& [url, path] : pictures)
        papplSystemAddResourceFile(system, url.c_str(), "image/png", path.c_str());
}

void add_thumbnail_pages(pappl_system_t* system)
{
    papplSystemAddResourceCallback(system, "/lane-pages", "text/html", pages_page, system);
    papplSystemAddLink(system, "Printed pages", "/lane-pages", PAPPL_LOPTIONS_NAVIGATION);
}

void keep_first_page(pappl_job_t* job, FILE* stream)
{
    std::string bytes(static_cast<size_t>(most_stream_bytes), '\0');
    if (std::fseek(stream, 0, SEEK_SET) != 0)
        return;
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), stream));
    bool drawn = false;
    WalkHooks hooks;
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const int id = papplJobGetID(job);
    hooks.page = [&](const Printer& state) {
        if (drawn)
            return;
        drawn = true;
        PagePicture picture;
        if (!draw_page(bytes, state.page, picture) || picture.width <= 0)
            return;
        const int scale = static_cast<int>((picture.width + thumbnail_width - 1) / thumbnail_width);
        char path[1024];
        const int fd = open_picture(printer, id, path, sizeof path, "w");
        FILE* out = fd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (out == nullptr)
            return;
        const bool written = write_page_png(out, picture, scale) == 1;
        if (std::fclose(out) != 0 || !written) {
            std::remove(path);
            return;
        }
        papplSystemAddResourceFile(papplPrinterGetSystem(printer), thumbnail_url(printer, id).c_str(), "image/png",
                                   path);
    };
    walk_stream(bytes, hooks);
}
