// lane-printer-app: the page printer as an IPP Everywhere printer, through
// PAPPL's main loop and its standard sub-commands.
#include <pappl/pappl.h>

#include <cstdio>
#include <cstring>

#include "app_system.h"
#include "device_schemes.h"
#include "lane_driver.h"

#include "lane_version.h"

namespace {

// `add -v URI` with a URI no device can use is refused here in plain words;
// PAPPL's server only calls the value unsupported.
bool device_uri_usable(int argc, char* argv[])
{
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-v") != 0)
            continue;
        const std::string problem = check_device_uri(argv[i + 1]);
        if (!problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", app_name, problem.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    choose_state_folder();
    add_device_schemes();
    const bool adding = argc > 1 && !std::strcmp(argv[1], "add");
    if (adding && !device_uri_usable(argc, argv))
        return 1;
    const int status = papplMainloop(argc, argv, lane_version, nullptr, 1, lane_drivers, lane_autoadd_cb,
                                     lane_driver_cb, nullptr, nullptr, make_system, nullptr, nullptr);
    // PAPPL's list ends with its own options; the driver's follow.
    if (status == 0 && argc > 1 && !std::strcmp(argv[1], "options"))
        print_driver_options(stdout);
    return status;
}
