// A fuzz target is a function over one input's bytes; the same function runs
// under libFuzzer (fuzz_main.cpp) and in the replay of past findings
// (tests/*/fuzz_replay_test.cpp). Targets register themselves by name.
#pragma once

#include <cstddef>
#include <cstdint>

using FuzzFunction = void (*)(const uint8_t* data, size_t size);

struct FuzzTarget {
    const char* name;
    FuzzFunction run;
};

// The targets linked into this program, in no particular order.
const FuzzTarget* fuzz_targets(size_t* count);
// The target of that name, or null.
const FuzzTarget* fuzz_target_named(const char* name);

struct FuzzRegistrar {
    FuzzRegistrar(const char* name, FuzzFunction run);
};

// Registers a target; the build finds every target by this spelling, so the
// name is a plain lower-case string literal: FUZZ_TARGET("picture_job", run).
#define FUZZ_TARGET(name, function) \
    static FuzzRegistrar fuzz_registrar_##function(name, function)
