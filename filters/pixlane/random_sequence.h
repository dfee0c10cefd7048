// The pseudo-random sequence of random dither, kept per job so that two jobs
// on two threads draw their own numbers. It is the additive feedback
// generator behind the C library's rand() here (31 words, taps 3 and 31,
// seeded by the 16807 multiplier, 310 numbers skipped), so that a job prints
// the very dots srand(255) and rand() gave.
#pragma once

#include <cstdint>

struct RandomSequence {
    uint32_t words[31];
    int front = 3, rear = 0;

    explicit RandomSequence(uint32_t seed = 1) { restart(seed); }

    void restart(uint32_t seed)
    {
        int32_t word = seed == 0 ? 1 : static_cast<int32_t>(seed);
        words[0] = static_cast<uint32_t>(word);
        for (int i = 1; i < 31; ++i) {
            const int32_t hi = word / 127773, lo = word % 127773;
            word = 16807 * lo - 2836 * hi;
            if (word < 0)
                word += 2147483647;
            words[i] = static_cast<uint32_t>(word);
        }
        front = 3;
        rear = 0;
        for (int i = 0; i < 310; ++i)
            next();
    }

    // The next number, 0 .. 2^31 - 1.
    int32_t next()
    {
        const uint32_t value = words[front] += words[rear];
        front = front == 30 ? 0 : front + 1;
        rear = rear == 30 ? 0 : rear + 1;
        return static_cast<int32_t>(value >> 1);
    }
};
