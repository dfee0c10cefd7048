#include "fake_printer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "loopback.h"

FakePrinter::FakePrinter() : port(free_port()) {}

FakePrinter::~FakePrinter()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ >= 0)
        close(listener_);
}

int FakePrinter::listen_socket()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    // A slow printer takes little at a time, as a real one does.
    if (read_delay_ms > 0) {
        const int window = 16384;
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 4) != 0) {
        close(s);
        return -1;
    }
    return s;
}

void FakePrinter::start()
{
    listener_ = listen_socket();
    thread_ = std::thread([this] { serve(); });
}

void FakePrinter::serve()
{
    bool dropped = false;
    while (!stopping_ && listener_ >= 0) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        const int c = accept(listener_, nullptr, nullptr);
        if (c < 0)
            continue;
        {
            std::lock_guard<std::mutex> hold(lock_);
            received_.emplace_back();
        }
        char buffer[4096];
        while (!stopping_) {
            if (read_delay_ms > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(read_delay_ms));
            pollfd q{c, POLLIN, 0};
            if (poll(&q, 1, 100) == 0)
                continue;
            const ssize_t n = read(c, buffer, sizeof buffer);
            if (n <= 0)
                break;
            std::lock_guard<std::mutex> hold(lock_);
            received_.back().append(buffer, static_cast<size_t>(n));
            if (!dropped && drop_after > 0 && received_.back().size() >= drop_after)
                break;
        }
        // A drop: the connection is reset, and the printer is away for a while.
        const bool drop = !dropped && drop_after > 0;
        if (drop) {
            linger hard{1, 0};
            setsockopt(c, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }
        close(c);
        {
            std::lock_guard<std::mutex> hold(lock_);
            ++closed_;
        }
        if (drop) {
            dropped = true;
            close(listener_);
            std::this_thread::sleep_for(std::chrono::milliseconds(away_ms));
            listener_ = listen_socket();
        }
    }
}

std::vector<std::string> FakePrinter::connections()
{
    std::lock_guard<std::mutex> hold(lock_);
    return received_;
}

bool FakePrinter::wait_closed(size_t n, int seconds)
{
    for (int attempt = 0; attempt < seconds * 20; ++attempt) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (closed_ >= n)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool FakePrinter::wait_bytes(size_t bytes, int seconds)
{
    for (int attempt = 0; attempt < seconds * 20; ++attempt) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (!received_.empty() && received_.back().size() >= bytes)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}
