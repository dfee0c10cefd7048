// The reader conformance suite. Each format registers one entry (usually one
// line in its own test file):
//
//   XS_CONFORMANCE(Bmp, {.reader = XSReadBMP, .writer = XSWriteBMP,
//                        .samples = bmp_samples, .sized = bmp_of_size});
//
// and gets, without further code: truncation at every offset of its sample
// files, random byte mutation, huge and zero declared sizes, and a
// writer -> reader round trip of every sample it can read.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "xsio.h"

struct ConformanceEntry {
    const char* name = nullptr;
    XSReader reader = nullptr;
    // Optional: writes an image the reader must read back with the same pixels.
    XSWriter writer = nullptr;
    // A few small valid files; each must read.
    std::vector<std::string> (*samples)() = nullptr;
    // Optional: a file whose header declares the given size (the pixel data
    // may be missing). Sizes of 0 and absurd sizes must be refused.
    std::string (*sized)(long width, long height) = nullptr;
    // Readers that make up missing data (as the JPEG decoder does) may return
    // a picture from a truncated file; the suite then checks only that it is whole.
    bool fills_truncated = false;
    // Bytes at the end of each sample a reader may do without (a plain
    // anymap's final line feed, say); cuts inside them may still read.
    int trailing_slack = 0;
    // The reader says nothing on standard error, whatever the file (what a
    // reader does print is swallowed either way).
    bool silent = false;
    // Readers whose refusals leave xslerrno as it was (the JPEG reader) clear this.
    bool leaves_code = true;
    // Optional: the only codes a refusal may leave (empty: any non-zero code).
    std::vector<int> codes = {};
};

std::vector<ConformanceEntry>& conformance_registry();

struct ConformanceRegistrar {
    ConformanceRegistrar(const char* name, ConformanceEntry entry)
    {
        entry.name = name;
        conformance_registry().push_back(entry);
    }
};

#define XS_CONFORMANCE(name, ...) \
    static ConformanceRegistrar conformance_##name(#name, ConformanceEntry __VA_ARGS__)
