// The real scheduler, cupsd, in the foreground on a loopback port with its
// own folders (a PrivateSpooler), stopped by its process id at the end.
#pragma once

#include <sys/types.h>

#include <string>

#include "private_spooler.h"

struct PrivateCupsd {
    PrivateSpooler spooler;
    std::string host;
    pid_t pid = -1;

    // With the system's own filters too, for queues of other printers.
    explicit PrivateCupsd(bool system_filters = false) : spooler(system_filters) {}

    // Starts cupsd and waits (bounded) until it answers; false when it cannot.
    bool start();
    ~PrivateCupsd();
    std::string log();
    // Waits (bounded) until the queue has no job left; false when it does not empty.
    bool wait_for_queue(const std::string& queue);
};
