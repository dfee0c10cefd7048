#include "app_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "document_jobs.h"
#include "lane_driver.h"
#include "page_thumbnails.h"

pappl_pr_driver_t lane_drivers[] = {
    {lane_driver_name, lane_make_and_model, lane_device_id, nullptr},
};

namespace {

std::string& state_folder()
{
    static std::string folder;
    return folder;
}

pappl_loglevel_t log_level(const char* value)
{
    static const struct {
        const char* name;
        pappl_loglevel_t level;
    } levels[] = {{"fatal", PAPPL_LOGLEVEL_FATAL}, {"error", PAPPL_LOGLEVEL_ERROR}, {"warn", PAPPL_LOGLEVEL_WARN},
                  {"info", PAPPL_LOGLEVEL_INFO},   {"debug", PAPPL_LOGLEVEL_DEBUG}};
    for (const auto& l : levels)
        if (value != nullptr && !std::strcmp(value, l.name))
            return l.level;
    return PAPPL_LOGLEVEL_WARN;
}

// PAPPL's own places: a root server's under /var, a user's in the home folder.
std::string default_state_file()
{
    if (getuid() == 0)
        return std::string("/var/lib/") + app_name + ".state";
    if (const char* config = std::getenv("XDG_CONFIG_HOME"))
        return std::string(config) + "/" + app_name + ".state";
    if (const char* home = std::getenv("HOME")) {
        const std::string folder = std::string(home) + "/.config";
        mkdir(folder.c_str(), 0700);
        return folder + "/" + app_name + ".state";
    }
    return std::string("/tmp/") + app_name + std::to_string(getuid()) + ".state";
}

std::string default_spool()
{
    if (!state_folder().empty())
        return state_folder() + "/spool";
    if (getuid() == 0)
        return std::string("/var/spool/") + app_name;
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr ? tmp : "/tmp") + "/" + app_name + std::to_string(getuid()) + ".d";
}

bool save_state(pappl_system_t* system, void* file)
{
    return papplSystemSaveState(system, static_cast<const char*>(file));
}

}  // namespace

void choose_state_folder()
{
    const char* folder = std::getenv("LANE_PRINTER_APP_STATE");
    if (folder == nullptr || *folder == '\0')
        return;
    mkdir(folder, 0700);
    state_folder() = folder;
    // PAPPL puts the control socket of a root server in SNAP_COMMON and a
    // user's in TMPDIR: both point into the folder.
    setenv("SNAP_COMMON", folder, 1);
    setenv("TMPDIR", folder, 1);
}

pappl_system_t* make_system(int num_options, cups_option_t* options, void* data)
{
    int port = 0;
    if (const char* value = cupsGetOption("server-port", num_options, options)) {
        char* end;
        const long number = std::strtol(value, &end, 10);
        if (*end != '\0' || number < 0 || number > 65535) {
            std::fprintf(stderr, "%s: Bad 'server-port' value.\n", app_name);
            return nullptr;
        }
        port = static_cast<int>(number);
    }
    const char* spool_option = cupsGetOption("spool-directory", num_options, options);
    const std::string spool = spool_option != nullptr ? spool_option : default_spool();
    mkdir(spool.c_str(), 0700);
    pappl_system_t* system = papplSystemCreate(
        PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG |
            PAPPL_SOPTIONS_WEB_SECURITY | PAPPL_SOPTIONS_NO_TLS,
        app_name, port, "_print,_universal", spool.c_str(), cupsGetOption("log-file", num_options, options),
        log_level(cupsGetOption("log-level", num_options, options)),
        cupsGetOption("auth-service", num_options, options), false);
    if (system == nullptr)
        return nullptr;
    if (const char* group = cupsGetOption("admin-group", num_options, options))
        papplSystemSetAdminGroup(system, group);
    if (!cupsGetOption("private-server", num_options, options))
        papplSystemAddListeners(system, cupsGetOption("listen-hostname", num_options, options));
    papplSystemSetPrinterDrivers(system, static_cast<int>(std::size(lane_drivers)), lane_drivers, lane_autoadd_cb, lane_printer_created,
                                 lane_driver_cb, data);
    papplSystemSetFooterHTML(system, "Lane printer &middot; driverless printing for the page printer.");
    add_document_filters(system);
    add_thumbnail_pages(system);
    add_web_labels(system);

    static std::string state_file;
    state_file = state_folder().empty() ? default_state_file() : state_folder() + "/" + app_name + ".state";
    papplSystemLoadState(system, state_file.c_str());
    add_kept_pictures(system);
    papplSystemSetSaveCallback(system, save_state, const_cast<char*>(state_file.c_str()));
    return system;
}
