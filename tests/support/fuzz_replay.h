// Replays the fuzz inputs kept in the repository (fuzz/regressions/<target>/
// and the seeds in fuzz/corpus/<target>/) through the fuzz targets this test
// program links, so that a fault a fuzzer once found can never come back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_target.h"

// The number of inputs replayed; a target that breaks aborts the test program.
inline int replay_fuzz_inputs(const std::filesystem::path& fuzz_dir)
{
    namespace fs = std::filesystem;
    int replayed = 0;
    for (const char* kind : {"regressions", "corpus"}) {
        if (!fs::is_directory(fuzz_dir / kind))
            continue;
        for (const fs::directory_entry& dir : fs::directory_iterator(fuzz_dir / kind)) {
            const FuzzTarget* target = fuzz_target_named(dir.path().filename().c_str());
            if (target == nullptr)
                continue;   // a target of the other test program
            for (const fs::directory_entry& file : fs::directory_iterator(dir.path())) {
                SCOPED_TRACE(file.path().string());
                std::ifstream in(file.path(), std::ios::binary);
                const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
                target->run(bytes.data(), bytes.size());
                ++replayed;
            }
        }
    }
    return replayed;
}
