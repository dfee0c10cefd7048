// A pipe read ahead on a thread: every byte arrives once and in order,
// whatever the pieces the writer sends and the reader takes; a reader
// stopped while the writer is silent, or blocked on a full pipe, returns. The ThreadSanitizer
// build runs these tests as well.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <thread>

#include "read_ahead.h"

namespace {

struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(ends), 0); }
    ~Pipe()
    {
        for (int end : ends)
            if (end >= 0)
                close(end);
    }
    void close_write()
    {
        close(ends[1]);
        ends[1] = -1;
    }
};

}  // namespace

TEST(ReadAhead, EveryByteOnceInOrderWhateverThePieces)
{
    std::mt19937 random(5);
    std::string sent(3 << 20, '\0');
    for (char& c : sent)
        c = static_cast<char>(random());
    Pipe p;
    read_ahead_ptr reader(start_read_ahead(p.ends[0], 256 * 1024));
    if (!reader)
        GTEST_SKIP() << "one processor: the filter reads its pipe itself";
    std::thread writer([&] {
        std::mt19937 sizes(7);
        for (size_t at = 0; at < sent.size();) {
            const size_t n = std::min<size_t>(sent.size() - at, sizes() % 9000 + 1);
            ASSERT_EQ(write(p.ends[1], sent.data() + at, n), static_cast<ssize_t>(n));
            at += n;
            if (sizes() % 50 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(3));   // a page still being drawn
        }
        p.close_write();
    });
    std::string got;
    unsigned char piece[70000];
    for (ssize_t n; (n = take_read_ahead(reader.get(), piece, random() % sizeof piece + 1)) > 0;)
        got.append(reinterpret_cast<char*>(piece), static_cast<size_t>(n));
    writer.join();
    EXPECT_TRUE(got == sent) << got.size() << " bytes of " << sent.size();
    EXPECT_EQ(take_read_ahead(reader.get(), piece, 10), 0);
}

TEST(ReadAhead, StopsWhileTheWriterIsSilentOrBlocked)
{
    std::signal(SIGPIPE, SIG_IGN);
    for (const size_t before : {size_t(0), size_t(4) << 20}) {   // nothing sent; more than the ring and pipe hold
        Pipe p;
        read_ahead_ptr reader(start_read_ahead(p.ends[0], 256 * 1024));
        if (!reader)
            GTEST_SKIP() << "one processor";
        std::thread writer([&] {
            std::string bytes(before, 'x');
            (void)!write(p.ends[1], bytes.data(), bytes.size());   // ends when the read end closes
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        reader.reset();   // returns: the thread is woken from its wait
        close(p.ends[0]);
        p.ends[0] = -1;
        writer.join();
    }
}
