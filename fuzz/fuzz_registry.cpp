#include "fuzz_target.h"

#include <cstring>

namespace {

// Filled by static constructors before main; a function-local table avoids
// depending on the order in which those constructors run.
struct Registry {
    FuzzTarget targets[64];
    size_t count = 0;
};

Registry& registry()
{
    static Registry r;
    return r;
}

}  // namespace

FuzzRegistrar::FuzzRegistrar(const char* name, FuzzFunction run)
{
    Registry& r = registry();
    if (r.count < sizeof r.targets / sizeof r.targets[0])
        r.targets[r.count++] = FuzzTarget{name, run};
}

const FuzzTarget* fuzz_targets(size_t* count)
{
    *count = registry().count;
    return registry().targets;
}

const FuzzTarget* fuzz_target_named(const char* name)
{
    size_t count;
    const FuzzTarget* all = fuzz_targets(&count);
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(all[i].name, name) == 0)
            return &all[i];
    return nullptr;
}
