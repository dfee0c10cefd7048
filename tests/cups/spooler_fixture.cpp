#include "spooler_fixture.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdio>
#include <cstring>


std::string sample_text(const char* encoding)
{
    const std::string utf8 = "お知らせ：会議は十時から始まります。\n"
                             "Kanji 漢字, kana かなカナ.\tTab\n"
                             "東京都千代田区丸の内一丁目 〒100-0005\n";
    iconv_t cd = iconv_open(encoding, "UTF-8");
    std::string out(utf8.size() * 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    char* op = out.data();
    size_t out_left = out.size();
    EXPECT_NE(iconv(cd, &in, &in_left, &op, &out_left), static_cast<size_t>(-1)) << encoding;
    iconv(cd, nullptr, nullptr, &op, &out_left);
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}

std::vector<std::string> FilterRun::lines(const std::string& prefix) const
{
    std::vector<std::string> found;
    size_t start = 0;
    while (start < result.err.size()) {
        size_t end = result.err.find('\n', start);
        if (end == std::string::npos)
            end = result.err.size();
        if (result.err.compare(start, prefix.size(), prefix) == 0)
            found.push_back(result.err.substr(start, end - start));
        start = end + 1;
    }
    return found;
}

FilterRun run_filter(const std::string& filter, const std::string& copies, const std::string& options,
                     const std::string& file, const std::string& input, const Env& env)
{
    std::vector<std::string> args = {"1", "tester", "job", copies, options};
    if (!file.empty())
        args.push_back(file);
    FilterRun run;
    run.result = run_program(filter, args, input, env);
    for (const std::string& line : run.lines("DEBUG: Printing as: ")) {
        run.words.clear();
        size_t start = std::strlen("DEBUG: Printing as: ");
        start = line.find(' ', start);  // after the program's name
        while (start != std::string::npos) {
            const size_t end = line.find(' ', start + 1);
            run.words.push_back(line.substr(start + 1, end == std::string::npos ? end : end - start - 1));
            start = end;
        }
    }
    return run;
}

std::string direct_stream(const std::string& program, std::vector<std::string> words, const std::string& file)
{
    words.insert(words.end(), {"-in", file});
    const ProgramResult r = run_program(program, words);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}
