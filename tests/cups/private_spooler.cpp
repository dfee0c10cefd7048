#include "private_spooler.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

PrivateSpooler::PrivateSpooler(bool system_filters)
    : server_bin(dir.file("bin")), conf(dir.file("conf")), files_conf(dir.file("conf/cups-files.conf")),
      ppd(dir.file("conf/lane.ppd"))
{
    // The spooler runs its filters as an unprivileged user: they must be
    // able to reach them. It refuses filters that others may change.
    chmod(dir.path().c_str(), 0755);
    fs::create_directories(server_bin + "/filter");
    fs::create_directories(conf);
    for (const char* filter : {IMAGETOLANE_BIN, TEXTTOLANE_BIN, RASTERTOLANE_BIN})
        fs::copy_file(filter, server_bin + "/filter/" + fs::path(filter).filename().string());
    if (system_filters && fs::exists("/usr/lib/cups/filter"))
        for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/cups/filter"))
            if (!fs::exists(server_bin + "/filter/" + entry.path().filename().string()))
                fs::create_symlink(entry.path(), server_bin + "/filter/" + entry.path().filename().string());
    // The spooler's own helpers stay where the system has them.
    for (const char* helper : {"backend", "daemon", "notifier", "cgi-bin", "monitor"})
        if (fs::exists(std::string("/usr/lib/cups/") + helper))
            fs::create_directory_symlink(std::string("/usr/lib/cups/") + helper, server_bin + "/" + helper);
    fs::copy_file(LANE_TYPES, conf + "/lane.types");
    fs::copy_file(LANE_PPD, ppd);
    write_file(files_conf, "ServerBin " + server_bin + "\nServerRoot " + conf + "\n");
}

std::string cups_program(const std::string& program)
{
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"}) {
        const std::string path = folder + program;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return "";
}

ProgramResult run_cups(const std::string& program, const std::vector<std::string>& args)
{
    const std::string path = cups_program(program);
    if (path.empty()) {
        ProgramResult missing;
        missing.status = 127;
        missing.err = program + ": not installed (scripts/install-deps.sh installs it)";
        return missing;
    }
    return run_program(path, args);
}
