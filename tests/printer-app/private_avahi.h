// A private D-Bus system bus and avahi-daemon publishing on the loopback
// interface only, for the tests of DNS-SD: while it runs,
// DBUS_SYSTEM_BUS_ADDRESS points every child (the app, ippfind, avahi-browse)
// at its bus. Both daemons are stopped by their process ids. Tests running
// at once take turns (bounded): avahi-daemon runs once a machine.
#pragma once

#include <sys/types.h>

#include <string>

#include "temp_dir.h"

struct PrivateAvahi {
    TempDir dir;
    pid_t bus = -1;
    pid_t avahi = -1;
    int turn = -1;        // a lock held while the daemons run: one avahi-daemon a machine
    std::string why_not;  // why the daemons cannot run here, when start() fails

    PrivateAvahi() = default;
    PrivateAvahi(const PrivateAvahi&) = delete;
    ~PrivateAvahi() { stop(); }
    bool start();
    void stop();
};
