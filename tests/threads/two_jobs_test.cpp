// Two picture jobs of different formats and halftoning methods, run on two
// threads at once in one process, each halftoning on a second thread of its
// own, send exactly the bytes each sends alone on one thread.
// The ThreadSanitizer build runs this test as well.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "picture_job.h"
#include "picture_maker.h"
#include "printer_stream.h"

namespace {

struct JobCase {
    const char* format;
    int method;       // -di
    int orientation;  // -po
    int copies;
};

// One whole job from the picture file's bytes to the closing reset.
std::string print_job(const std::string& picture, const JobCase& c)
{
    Settings s;
    set_default(&s);
    s.dither = c.method;
    s.orientation = c.orientation;
    s.copies = c.copies;
    s.fit = 1;
    s.resolution_x = 120;
    FILE* in = std::tmpfile();
    if (in == nullptr)
        return "no input";
    std::fwrite(picture.data(), 1, picture.size(), in);
    std::rewind(in);
    MemoryStream out;
    s.input = in;
    s.input_name = c.format;
    s.output = out.file();
    const job_report quiet{};
    int status = 0;
    XslImagePtr image(read_job_picture(&s, quiet, &status));
    if (image)
        status = print_job_picture(&s, image.get(), quiet);
    std::fclose(in);
    return std::to_string(status) + ":" + out.text();
}

}  // namespace

TEST(TwoJobs, OnTwoThreadsEachPrintsAsAlone)
{
    const JobCase cases[][2] = {
        {{"JPEG", 1, 0, 1}, {"TIFF", 4, 1, 2}},
        {{"PCX", 0, 1, 1}, {"GIF", 5, 0, 1}},
        {{"PPM", 2, 0, 1}, {"BMP", 3, 1, 1}},
    };
    for (const auto& pair : cases) {
        std::string pictures[2], alone[2], together[2];
        setenv("PIXLANE_THREADS", "1", 1);
        for (int k = 0; k < 2; ++k) {
            pictures[k] = picture_bytes(pair[k].format, 90 + 17 * k, 70 - 9 * k);
            alone[k] = print_job(pictures[k], pair[k]);
            ASSERT_EQ(alone[k].substr(0, 2), "0:") << pair[k].format;
        }
        setenv("PIXLANE_THREADS", "2", 1);
        for (int round = 0; round < 3; ++round) {
            std::thread other([&] { together[1] = print_job(pictures[1], pair[1]); });
            together[0] = print_job(pictures[0], pair[0]);
            other.join();
            for (int k = 0; k < 2; ++k)
                EXPECT_TRUE(together[k] == alone[k]) << pair[k].format << " method " << pair[k].method
                                                     << " round " << round;
        }
    }
    unsetenv("PIXLANE_THREADS");
}
