// Streams over bytes held by the test, backed by real temporary files so
// that they seek like the files a reader meets.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

using FilePtr = std::unique_ptr<FILE, decltype(&std::fclose)>;

inline FilePtr stream_of(const std::string& bytes)
{
    FILE* f = std::tmpfile();
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
    }
    return FilePtr(f, &std::fclose);
}

// The bytes of a literal, embedded zeros included.
template <size_t N>
std::string bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

inline FilePtr empty_stream()
{
    return stream_of(std::string());
}

// Everything written to the stream so far.
inline std::string contents_of(FILE* f)
{
    std::string bytes;
    std::fflush(f);
    std::rewind(f);
    char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
        bytes.append(block, n);
    return bytes;
}
