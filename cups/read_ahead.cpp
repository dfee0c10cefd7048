#include "read_ahead.h"

#include <poll.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "raster_job.h"

struct read_ahead {
    int fd = -1;
    int wake[2] = {-1, -1};   // written to end a wait for input
    std::vector<unsigned char> ring;
    std::mutex lock;
    std::condition_variable changed;
    size_t head = 0, held = 0;   // the oldest byte held, and how many
    size_t taker_needs = 0;      // bytes the taker waits for; 0: not waiting
    bool ended = false, stopped = false;
    int error = 0;
    std::thread thread;
};

namespace {

// The taker is woken once a piece this large is held (or the input ends):
// fewer wakes than one for every line the writer sends.
constexpr size_t kPiece = 64 * 1024;
constexpr std::chrono::milliseconds kPause{2};   // the taker's wait for a whole piece

// Waits until fd has bytes or the reader is stopped; false when stopped.
bool wait_for_input(read_ahead* r)
{
    pollfd fds[2] = {{r->fd, POLLIN, 0}, {r->wake[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) >= 0)
            return (fds[1].revents & POLLIN) == 0;
        if (errno != EINTR)
            return true;   // the read reports what is wrong
    }
}

// Sleeps a moment, or until stopped; false when stopped.
bool pause_reading(read_ahead* r)
{
    pollfd stop = {r->wake[0], POLLIN, 0};
    const timespec gather = {0, 500 * 1000};   // the pipe fills in milliseconds
    return ppoll(&stop, 1, &gather, nullptr) <= 0;
}

void read_loop(read_ahead* r)
{
    const size_t capacity = r->ring.size();
    for (;;) {
        size_t at, room;
        {
            std::unique_lock<std::mutex> hold(r->lock);
            r->changed.wait(hold, [r, capacity] { return r->stopped || capacity - r->held >= kPiece; });
            if (r->stopped)
                return;
            at = (r->head + r->held) % capacity;
            room = std::min(capacity - r->held, capacity - at);
        }
        if (!wait_for_input(r))
            return;
        ssize_t n = read(r->fd, r->ring.data() + at, room);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        {
            std::lock_guard<std::mutex> hold(r->lock);
            if (n <= 0) {
                r->ended = true;
                r->error = n < 0 ? errno : 0;
            } else {
                r->held += static_cast<size_t>(n);
            }
            if (r->taker_needs != 0 && (r->ended || r->held >= r->taker_needs))
                r->changed.notify_all();
            if (r->ended)
                return;
        }
        // A short read means the writer sends a line at a time: let the pipe
        // gather a piece rather than wake for every line.
        if (static_cast<size_t>(n) < std::min(room, kPiece) && !pause_reading(r))
            return;
    }
}

}  // namespace

read_ahead* start_read_ahead(int fd, size_t capacity)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode) || !second_thread_allowed() || capacity < 2 * kPiece)
        return nullptr;
    auto* r = new (std::nothrow) read_ahead;
    if (r == nullptr)
        return nullptr;
    r->fd = fd;
    try {
        r->ring.resize(capacity);
        if (pipe(r->wake) != 0) {
            delete r;
            return nullptr;
        }
        r->thread = std::thread(read_loop, r);
    } catch (const std::exception&) {   // no memory or no thread: read directly
        if (r->wake[0] >= 0) {
            close(r->wake[0]);
            close(r->wake[1]);
        }
        delete r;
        return nullptr;
    }
    return r;
}

ssize_t take_read_ahead(read_ahead* r, unsigned char* to, size_t want)
{
    if (want == 0)
        return 0;
    const size_t capacity = r->ring.size();
    std::unique_lock<std::mutex> hold(r->lock);
    // A piece, or what there is once the writer pauses (a page's last lines
    // go on while the renderer draws the next page).
    r->taker_needs = std::min(want, kPiece);
    if (!r->changed.wait_for(hold, kPause, [r] { return r->ended || r->held >= r->taker_needs; })) {
        r->taker_needs = 1;
        r->changed.wait(hold, [r] { return r->ended || r->held > 0; });
    }
    r->taker_needs = 0;
    if (r->held == 0) {
        if (r->error != 0) {
            errno = r->error;
            return -1;
        }
        return 0;
    }
    size_t n = std::min(want, r->held), done = 0;
    while (done < n) {   // at most two pieces: the ring's end, then its start
        const size_t piece = std::min(n - done, capacity - r->head);
        std::copy_n(r->ring.data() + r->head, piece, to + done);
        r->head = (r->head + piece) % capacity;
        done += piece;
    }
    const bool was_full = capacity - r->held < kPiece;
    r->held -= n;
    if (was_full && capacity - r->held >= kPiece)
        r->changed.notify_all();
    return static_cast<ssize_t>(n);
}

bool read_ahead_empty(read_ahead* r)
{
    std::unique_lock<std::mutex> hold(r->lock);
    r->taker_needs = 1;
    r->changed.wait(hold, [r] { return r->ended || r->held > 0; });
    r->taker_needs = 0;
    return r->held == 0;
}

void stop_read_ahead(read_ahead* r)
{
    if (r == nullptr)
        return;
    {
        std::lock_guard<std::mutex> hold(r->lock);
        r->stopped = true;
    }
    r->changed.notify_all();
    const char byte = 0;
    (void)!write(r->wake[1], &byte, 1);
    r->thread.join();
    close(r->wake[0]);
    close(r->wake[1]);
    delete r;
}
