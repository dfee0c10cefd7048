// stream_meter START > report: reads standard input to its end and prints
// "FIRST LAST BYTES": the seconds from START (seconds since the epoch, as
// bash's EPOCHREALTIME gives it, taken just before the producer started) to
// the first byte and to the end of the stream, and the bytes read.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

double now()
{
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: stream_meter START_SECONDS < stream\n");
        return 2;
    }
    const double start = atof(argv[1]);
    static char buffer[1 << 16];
    double first = -1;
    long long bytes = 0;
    for (;;) {
        const ssize_t got = read(0, buffer, sizeof buffer);
        if (got < 0) {
            perror("stream_meter");
            return 1;
        }
        if (got == 0)
            break;
        if (first < 0)
            first = now();
        bytes += got;
    }
    const double last = now();
    printf("%.4f %.4f %lld\n", (first < 0 ? last : first) - start, last - start, bytes);
    return 0;
}
