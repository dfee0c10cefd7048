// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

// Writes `bytes` to `path`; throws when it cannot.
void write_file(const std::string& path, const std::string& bytes);
// The whole content of `path`; throws when it cannot be read.
std::string read_file(const std::string& path);
