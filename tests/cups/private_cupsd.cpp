#include "private_cupsd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "loopback.h"

bool PrivateCupsd::start()
{
    for (const char* folder : {"spool/tmp", "state", "cache", "log"})
        std::filesystem::create_directories(spooler.file(folder));
    host = "127.0.0.1:" + std::to_string(free_port());
    write_file(spooler.files_conf,
               "ServerBin " + spooler.server_bin + "\nDataDir /usr/share/cups\nRequestRoot " +
                   spooler.file("spool") + "\nTempDir " + spooler.file("spool/tmp") + "\nStateDir " +
                   spooler.file("state") + "\nCacheDir " + spooler.file("cache") + "\nErrorLog " +
                   spooler.file("log/error_log") + "\nAccessLog " + spooler.file("log/access_log") +
                   "\nPageLog " + spooler.file("log/page_log") + "\nPrintcap " + spooler.file("state/printcap") +
                   "\nFileDevice Yes\nPassEnv DBUS_SYSTEM_BUS_ADDRESS\n");
    write_file(spooler.conf + "/cupsd.conf",
               "Listen " + host + "\nLogLevel debug\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
               "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
               "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n  </Limit>\n</Policy>\n");
    const std::string cupsd = cups_program("cupsd");
    if (cupsd.empty())
        return false;
    const std::string conf = spooler.conf + "/cupsd.conf";
    const std::string output = spooler.file("log/cupsd_output");
    pid = fork();
    if (pid == 0) {
        const int log = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, 1);
        dup2(log, 2);
        execl(cupsd.c_str(), "cupsd", "-f", "-c", conf.c_str(), "-s", spooler.files_conf.c_str(), nullptr);
        _exit(127);
    }
    // Bounded wait for the scheduler to answer.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        if (run_cups("lpstat", {"-h", host, "-r"}).out.find("is running") != std::string::npos)
            return true;
        usleep(100000);
    }
    return false;
}

PrivateCupsd::~PrivateCupsd()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

std::string PrivateCupsd::log()
{
    return read_file(spooler.file("log/error_log"));
}

bool PrivateCupsd::wait_for_queue(const std::string& queue)
{
    for (int attempt = 0; attempt < 600; ++attempt) {
        const ProgramResult r = run_cups("lpstat", {"-h", host, "-o", queue});
        if (r.status == 0 && r.out.empty())
            return true;
        usleep(100000);
    }
    return false;
}
