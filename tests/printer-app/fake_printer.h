// A network printer on a loopback port for the socket:// device: it keeps
// the bytes of each connection, and can drop the first connection after some
// bytes and stay away for a while, or read slowly.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct FakePrinter {
    int port = 0;
    size_t drop_after = 0;      // the first connection is closed after this many bytes (0: never)
    int away_ms = 0;            // and the port refuses connections this long afterwards
    int read_delay_ms = 0;      // a pause before each read of at most 4 KB

    FakePrinter();
    ~FakePrinter();
    FakePrinter(const FakePrinter&) = delete;
    void start();
    // The bytes of each connection so far, the one in progress included.
    std::vector<std::string> connections();
    std::string uri() const { return "socket://127.0.0.1:" + std::to_string(port); }
    // Waits (bounded) until `n` connections have ended; false on timeout.
    bool wait_closed(size_t n, int seconds = 60);
    // Waits (bounded) until at least `bytes` arrived on the current connection.
    bool wait_bytes(size_t bytes, int seconds = 60);

private:
    void serve();
    int listen_socket();
    std::mutex lock_;
    std::vector<std::string> received_;
    size_t closed_ = 0;
    std::atomic<bool> stopping_{false};
    int listener_ = -1;
    std::thread thread_;
};
