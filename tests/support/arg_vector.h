// A command line as a program's main receives it: argv[0] is the program
// name, the words follow, and a null ends the vector. The words are owned here.
#pragma once

#include <string>
#include <vector>

struct ArgVector {
    std::vector<std::string> words;
    std::vector<char*> argv;

    ArgVector(const std::string& program, std::vector<std::string> args) : words(std::move(args))
    {
        words.insert(words.begin(), program);
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words.size()); }
};
