#include "version_option.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lane_version.h"

bool is_version_word(const char* word)
{
    return word != nullptr && std::strcmp(word, "--version") == 0;
}

void exit_if_version_word(const char* program_name, const char* word)
{
    if (!is_version_word(word))
        return;
    std::printf("%s %s\n", program_name, lane_version);
    std::exit(std::fflush(stdout) == 0 ? 0 : 1);
}
