// lane-printer-app: the page printer as an IPP Everywhere printer, through
// PAPPL's main loop and its standard sub-commands.
#include <pappl/pappl.h>

#include "app_system.h"
#include "lane_driver.h"

#include "lane_version.h"

int main(int argc, char* argv[])
{
    choose_state_folder();
    return papplMainloop(argc, argv, lane_version, nullptr, 1, lane_drivers, lane_autoadd_cb, lane_driver_cb, nullptr,
                         nullptr, make_system, nullptr, nullptr);
}
