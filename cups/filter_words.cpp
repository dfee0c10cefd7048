#include "filter_words.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Words common to both filters: copies, paper, orientation, margins.
std::vector<std::string> page_words(const job_request& r)
{
    std::vector<std::string> words = {"-cp", std::to_string(r.copies)};
    if (r.paper_given) {
        words.push_back("-ps");
        if (r.paper.row != nullptr)
            words.push_back(r.paper.row->name);
        else
            words.push_back(number_word(r.paper.width_mm) + "x" + number_word(r.paper.height_mm));
    }
    if (r.landscape)
        words.insert(words.end(), {"-po", "1"});
    if (margins_given(r)) {
        words.push_back("-pm");
        for (int side = 0; side < 4; ++side)
            words.push_back(number_word(margin_mm(r, side)));
    }
    return words;
}

}  // namespace

std::string number_word(double value, int decimals)
{
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string word = text;
    while (word.back() == '0')
        word.pop_back();
    if (word.back() == '.')
        word.pop_back();
    return word == "-0" ? "0" : word;
}

double word_value(double value)
{
    return std::atof(number_word(value).c_str());
}

std::vector<std::string> picture_words(const job_request& r)
{
    std::vector<std::string> words = page_words(r);
    if (r.resolution != 0)
        words.insert(words.end(), {"-r", std::to_string(r.resolution)});
    if (r.gamma != 0)
        words.insert(words.end(), {"-gm", number_word(r.gamma)});
    if (r.brightness != 0)
        words.insert(words.end(), {"-br", std::to_string(r.brightness)});
    if (r.saturation != 0)
        words.insert(words.end(), {"-sa", std::to_string(r.saturation)});
    if (r.halftone >= 0)
        words.insert(words.end(), {"-di", std::to_string(r.halftone)});
    return words;
}

std::vector<std::string> text_words(const job_request& r)
{
    std::vector<std::string> words = page_words(r);
    // The printer's Roman characters are half as wide as its font size.
    if (r.cpi > 0) {
        const std::string size = number_word(144 / r.cpi);
        words.insert(words.end(), {"-fs", size, size});
    }
    if (r.lpi > 0)
        words.insert(words.end(), {"-ls", number_word(72 / r.lpi)});
    return words;
}
