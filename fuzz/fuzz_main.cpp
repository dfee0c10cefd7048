// The libFuzzer entry of one target; the build makes one program per target
// name (FUZZ_TARGET_NAME) over the same registered functions the replay test runs.
#include <cstdio>
#include <cstdlib>

#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzTarget* target = [] {
        const FuzzTarget* t = fuzz_target_named(FUZZ_TARGET_NAME);
        if (t == nullptr) {
            std::fprintf(stderr, "no fuzz target named %s\n", FUZZ_TARGET_NAME);
            std::abort();
        }
        return t;
    }();
    target->run(data, size);
    return 0;
}
