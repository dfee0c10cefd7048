#include "private_avahi.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "run_program.h"

namespace {

pid_t spawn(const std::string& output, const std::vector<std::string>& args)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void end(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) != pid; ++i)
        usleep(50000);
    if (waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

bool alive(pid_t pid)
{
    return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0;
}

// Waits (bounded) until `log` holds `line`.
bool wait_for(pid_t pid, const std::string& log, const std::string& line)
{
    for (int i = 0; i < 100 && alive(pid); ++i) {
        if (access(log.c_str(), R_OK) == 0 && read_file(log).find(line) != std::string::npos)
            return true;
        usleep(50000);
    }
    return false;
}

}  // namespace

bool PrivateAvahi::start()
{
    if (access("/usr/sbin/avahi-daemon", X_OK) != 0 || access("/usr/bin/dbus-daemon", X_OK) != 0) {
        why_not = "dbus-daemon or avahi-daemon is not installed";
        return false;
    }
    if (getuid() != 0) {
        why_not = "avahi-daemon runs only as root";
        return false;
    }
    turn = open("/tmp/lane-test-avahi.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    bool mine = false;
    for (int i = 0; i < 1200 && turn >= 0 && !(mine = flock(turn, LOCK_EX | LOCK_NB) == 0); ++i)
        usleep(100000);
    if (!mine) {
        why_not = "another test's avahi-daemon ran for two minutes";
        stop();
        return false;
    }
    // The spooler's backends run as its own user: they reach the bus too.
    chmod(dir.path().c_str(), 0755);
    const std::string socket = dir.file("bus");
    write_file(dir.file("bus.conf"),
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>system</type><listen>unix:path=" + socket + "</listen><auth>EXTERNAL</auth>\n"
               "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
               "<allow receive_sender=\"*\"/></policy></busconfig>\n");
    write_file(dir.file("avahi.conf"), "[server]\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=lo\nenable-dbus=yes\n"
                                       "ratelimit-burst=1000\n[publish]\npublish-workstation=no\n");
    bus = spawn(dir.file("bus.log"), {"/usr/bin/dbus-daemon", "--config-file=" + dir.file("bus.conf"), "--nofork"});
    for (int i = 0; i < 100 && alive(bus) && access(socket.c_str(), F_OK) != 0; ++i)
        usleep(50000);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
    avahi = spawn(dir.file("avahi.log"), {"/usr/sbin/avahi-daemon", "-f", dir.file("avahi.conf"), "--no-drop-root",
                                          "--no-chroot", "--no-rlimits", "--no-proc-title"});
    if (!wait_for(avahi, dir.file("avahi.log"), "Server startup complete")) {
        why_not = "avahi-daemon did not start: " + read_file(dir.file("avahi.log"));
        stop();
        return false;
    }
    return true;
}

void PrivateAvahi::stop()
{
    end(avahi);
    end(bus);
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (turn >= 0)
        close(turn);   // ends the turn
    turn = -1;
}
