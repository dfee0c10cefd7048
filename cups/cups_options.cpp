#include "cups_options.h"

#include <cctype>
#include <cstring>

namespace {

bool is_space(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads one value starting at text[i]: quoted parts and escapes are
// unwrapped, a {collection} is kept whole; stops at unquoted white space.
std::string read_value(std::string_view text, size_t& i)
{
    std::string value;
    int depth = 0;
    while (i < text.size() && (depth > 0 || !is_space(text[i]))) {
        const char c = text[i++];
        if (c == '\\' && i < text.size()) {
            value += text[i++];
        } else if ((c == '\'' || c == '"') && depth == 0) {
            while (i < text.size() && text[i] != c) {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                value += text[i++];
            }
            if (i < text.size())
                ++i;  // the closing quote
        } else {
            if (c == '{')
                ++depth;
            else if (c == '}' && depth > 0)
                --depth;
            value += c;
        }
    }
    return value;
}

}  // namespace

std::vector<cups_option> parse_cups_options(std::string_view text)
{
    std::vector<cups_option> options;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_space(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && !is_space(text[i]) && text[i] != '=')
            ++i;
        std::string name(text.substr(start, i - start));
        if (name.empty()) {
            if (i < text.size() && text[i] == '=')
                read_value(text, ++i);  // a value without a name is skipped
            continue;
        }
        if (i < text.size() && text[i] == '=') {
            ++i;
            options.push_back({name, read_value(text, i)});
        } else if (name.size() > 2 && name.compare(0, 2, "no") == 0) {
            options.push_back({name.substr(2), "false"});
        } else {
            options.push_back({name, "true"});
        }
    }
    return options;
}

std::vector<cups_option> read_ppd_defaults(FILE* ppd)
{
    std::vector<cups_option> defaults;
    char line[512];
    while (std::fgets(line, sizeof line, ppd) != nullptr) {
        if (std::strncmp(line, "*Default", 8) != 0)
            continue;
        const char* name = line + 8;
        const char* colon = std::strchr(name, ':');
        if (colon == nullptr || colon == name)
            continue;
        const char* value = colon + 1;
        while (*value == ' ' || *value == '\t')
            ++value;
        size_t length = std::strcspn(value, "\r\n");
        while (length > 0 && is_space(value[length - 1]))
            --length;
        defaults.push_back({std::string(name, colon), std::string(value, length)});
    }
    return defaults;
}
