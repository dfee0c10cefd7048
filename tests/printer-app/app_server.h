// lane-printer-app run for a test: on 127.0.0.1 and a free port, with its own
// state folder, printers added and jobs submitted through its own sub-commands,
// and stopped by its process id at the end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "loopback.h"
#include "run_program.h"
#include "temp_dir.h"

struct AppServer {
    TempDir dir;
    int port = 0;
    pid_t pid = -1;

    AppServer() = default;
    AppServer(const AppServer&) = delete;
    ~AppServer() { stop(); }

    // Starts the server and waits (bounded) until it answers.
    bool start();
    void stop();
    // One of the program's sub-commands against this server.
    ProgramResult run(const std::vector<std::string>& args) const;
    // Adds printer `name` on `device_uri` with the lane driver.
    bool add_printer(const std::string& name, const std::string& device_uri) const;
    // Adds printer `name` on an empty file: device of the state folder; the
    // file's path, or "" when the printer could not be added.
    std::string add_file_printer(const std::string& name) const;
    // start() and add_file_printer(name): the device file, or "" when either failed.
    std::string start_with_file_printer(const std::string& name);
    // Submits `file` to printer `name`; the job's id, or 0.
    int submit(const std::string& name, const std::string& file, const std::vector<std::string>& options = {}) const;
    // Waits (bounded) until every job of the printer has ended; false on timeout.
    bool wait_idle(const std::string& name, int seconds = 60) const;
    // "1 completed root name" lines of the printer's jobs.
    std::string jobs(const std::string& name) const;
    std::string uri(const std::string& name) const;
    // The whole HTTP response (head and body) to a GET of `path` on the web interface.
    std::string http_get(const std::string& path) const;
    std::string log() const;
};

// The "Printing as:" lines of a server log.
std::string printed_as(const std::string& log);

// ipptool (cups-ipp-utils) when it is installed, else "".
std::string ipptool_program();

// A PDF of `pages` pages of width x height points, each with a filled box at
// another place.
std::string small_pdf(int pages, int width, int height);
