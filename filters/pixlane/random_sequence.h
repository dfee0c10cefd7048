// The pseudo-random sequence of random dither, kept per job so that two jobs
// on two threads draw their own numbers. It is the additive feedback
// generator behind the C library's rand() here (31 words, taps 3 and 31,
// seeded by the 16807 multiplier, 310 numbers skipped), so that a job prints
// the very dots srand(255) and rand() gave.
#pragma once

#include <cstdint>

struct RandomJump;

// Random dither restarts the sequence from this seed on every transmission.
constexpr uint32_t random_dither_seed = 255;

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

    // Moves past as many numbers as the jump was made for, as that many
    // next() calls would, in a few thousand steps whatever their count.
    void jump(const RandomJump& by);

    // The next number, 0 .. 2^31 - 1.
    int32_t next()
    {
        const uint32_t value = words[front] += words[rear];
        front = front == 30 ? 0 : front + 1;
        rear = rear == 30 ? 0 : rear + 1;
        return static_cast<int32_t>(value >> 1);
    }
};

// A jump of the sequence by a fixed count of numbers. The sequence obeys
// r[i] = r[i - 3] + r[i - 31] (mod 2^32), so r[i + count] is a fixed sum
// of r[i] .. r[i + 30], weighted by the coefficients of x^count modulo
// x^31 - x^28 - 1: one polynomial power per count, a sum per word per jump.
struct RandomJump {
    uint32_t weight[31] = {1};  // no jump

    RandomJump() = default;
    explicit RandomJump(unsigned long count)
    {
        // Left to right over count's bits: square, then times x for a 1 bit.
        int top = 63;
        while (top >= 0 && !((count >> top) & 1))
            --top;
        for (int bit = top; bit >= 0; --bit) {
            uint32_t square[62] = {};  // degree 60, 61 after the times x
            for (int a = 0; a < 31; ++a)
                for (int b = 0; b < 31; ++b)
                    square[a + b] += weight[a] * weight[b];
            if ((count >> bit) & 1) {
                for (int k = 61; k > 0; --k)
                    square[k] = square[k - 1];
                square[0] = 0;
            }
            for (int k = 61; k >= 31; --k) {  // x^k = x^(k - 3) + x^(k - 31)
                square[k - 3] += square[k];
                square[k - 31] += square[k];
            }
            for (int k = 0; k < 31; ++k)
                weight[k] = square[k];
        }
    }
};

inline void RandomSequence::jump(const RandomJump& by)
{
    uint32_t r[61];  // r[t]: the t-th number from the oldest word on
    for (int t = 0; t < 31; ++t)
        r[t] = words[(front + t) % 31];
    for (int t = 31; t < 61; ++t)
        r[t] = r[t - 3] + r[t - 31];
    for (int t = 0; t < 31; ++t) {
        uint32_t sum = 0;
        for (int j = 0; j < 31; ++j)
            sum += by.weight[j] * r[j + t];
        words[t] = sum;
    }
    front = 0;  // the oldest word first, the one three newer than it second
    rear = 28;
}
