// Takes settings and pieces out of a fuzz input, front to back; once the
// bytes run out every request gets zeros or empty text, so any input is usable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

struct FuzzBytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    unsigned byte() { return at < size ? data[at++] : 0; }

    // A number in [0, count).
    unsigned pick(unsigned count) { return count == 0 ? 0 : byte() % count; }

    // Text up to the next separator byte (not included), at most `most` bytes.
    std::string word(uint8_t separator, size_t most)
    {
        std::string w;
        while (at < size && data[at] != separator && w.size() < most)
            w.push_back(static_cast<char>(data[at++]));
        if (at < size && data[at] == separator)
            ++at;
        return w;
    }

    const uint8_t* rest() const { return data + at; }
    size_t rest_size() const { return size - at; }
};

// Argument words cut from the input at zero bytes, as a program gets them.
struct FuzzArgs {
    std::vector<std::string> words;
    std::vector<char*> argv;

    FuzzArgs(const char* program, FuzzBytes& in, size_t most_words)
    {
        words.emplace_back(program);
        while (in.rest_size() > 0 && words.size() < most_words)
            words.push_back(in.word(0, 256));
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words.size()); }

    // Words that would open files, print the usage or end the process
    // ("--version" for every program) become a lone "-", which names no option.
    void disarm(std::initializer_list<const char*> harmful)
    {
        for (size_t i = 1; i < words.size(); ++i) {
            bool bad = words[i] == "--version";
            for (const char* w : harmful)
                bad = bad || words[i] == w;
            if (bad)
                argv[i][1] = '\0';
        }
    }
};

// A read-only stream over the bytes; a real seekable FILE, as the readers need.
FILE* fuzz_stream(const uint8_t* data, size_t size);
// A stream that discards what is written to it.
FILE* fuzz_null_stream();
