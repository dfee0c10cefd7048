#include <cerrno>
#include <climits>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "paper.h"
#include "scan.h"
#include "temp_dir.h"

namespace {

using Words = std::vector<std::string>;

Settings settings_of(const Words& args)
{
    Scanned r = scan(args);
    EXPECT_TRUE(r.returned) << "option_scan ended the process, status " << r.status;
    return r.s;
}

// Every field, so two records can be compared and a difference shown.
std::string describe(const Scanned& r)
{
    const Settings& s = r.s;
    std::ostringstream o;
    o << "res " << s.resolution_x << "x" << s.resolution_y << " paper " << s.paper_mode << " ";
    if (s.paper_mode == 0)
        o << r.paper_name;
    else
        o << s.paper_width;
    o << "/" << s.paper_height << " po " << s.orientation << " pu " << s.paper_unit << "="
      << s.paper_unit_extra << " pm " << s.margin_top << "," << s.margin_bottom << ","
      << s.margin_left << "," << s.margin_right << " mo " << s.mono << " di " << s.dither << "="
      << s.threshold << " gm " << s.gamma_red << "," << s.gamma_green << "," << s.gamma_blue
      << " va " << s.balance_red << "," << s.balance_green << "," << s.balance_blue << " sa "
      << s.saturation << " co " << s.contrast << " br " << s.bright << " fit " << s.fit << " "
      << s.x_scale << "," << s.y_scale << " layout " << s.layout << " " << s.x_origin << ","
      << s.y_origin << " cp " << s.copies << " sp " << s.special << " me " << s.media << " qu "
      << s.quality << " in " << r.input_name << (s.input == nullptr ? " null" : "") << " out "
      << r.output_name << (s.output == nullptr ? " null" : "");
    return o.str();
}

}  // namespace

TEST(Options, Defaults)
{
    Scanned r = scan({});
    ASSERT_TRUE(r.returned);
    const Settings& s = r.s;
    EXPECT_EQ(s.resolution_x, 240);
    EXPECT_EQ(s.resolution_y, 240);
    EXPECT_EQ(s.paper_mode, 0);
    EXPECT_EQ(r.paper_name, "A4");
    EXPECT_EQ(s.orientation, 0);
    EXPECT_EQ(s.margin_top, 5.0);
    EXPECT_EQ(s.margin_right, 5.0);
    EXPECT_EQ(s.dither, 0);
    EXPECT_EQ(s.threshold, 0.5);
    EXPECT_EQ(s.gamma_red, 1.5);
    EXPECT_EQ(s.gamma_blue, 1.5);
    EXPECT_EQ(s.fit, -1);
    EXPECT_EQ(s.x_scale, 1.0);
    // No origin given: the top-left corner of the printable area.
    EXPECT_EQ(s.layout, 48);
    EXPECT_EQ(s.x_origin, 5.0);
    EXPECT_EQ(s.y_origin, 5.0);
    EXPECT_EQ(s.copies, 1);
    EXPECT_EQ(s.special, -1);
    EXPECT_EQ(s.media, -1);
    EXPECT_EQ(s.quality, -1);
    EXPECT_EQ(r.input_name, "STDIN");
    EXPECT_EQ(s.input, stdin);
    EXPECT_EQ(r.output_name, "STDOUT");
    EXPECT_EQ(s.output, stdout);
}

TEST(Options, LongAndShortFormsAgree)
{
    TempDir dir;
    write_file(dir.file("in"), "x");
    const std::string in = dir.file("in"), out = dir.file("out");
    const Words pairs[] = {
        {"-dpi", "-r", "300x600"}, {"-ps", "-ps", "B5"}, {"-po", "-po", "1"},
        {"-paperunit", "-pu", "3=2"}, {"-mono", "-mo", "1"}, {"-dither", "-di", "5=0.3"},
        {"-gamma", "-gm", "2,3"}, {"-valance", "-va", "1,2,3"}, {"-saturation", "-sa", "10"},
        {"-contrast", "-co", "-20"}, {"-bright", "-br", "30"}, {"-xscale", "-xs", "50"},
        {"-yscale", "-ys", "25"}, {"-fit", "-fi", "2"}, {"-x_origin", "-x", "12.5"},
        {"-y_origin", "-y", "7"}, {"-layout", "-la", "4"}, {"-copies", "-cp", "3"},
        {"-special", "-sp", "1"}, {"-media", "-me", "2"}, {"-quality", "-qu", "3"},
        {"-input", "-in", in}, {"-output", "-out", out},
    };
    const std::string defaults = describe(scan({}));
    for (const Words& p : pairs) {
        std::string by_long = describe(scan({p[0], p[2]}));
        std::string by_short = describe(scan({p[1], p[2]}));
        EXPECT_EQ(by_long, by_short) << p[0];
        EXPECT_NE(by_long, defaults) << p[0] << " changed nothing";
    }
    std::string margins = describe(scan({"-margin", "1", "2", "3", "4"}));
    EXPECT_EQ(margins, describe(scan({"-pm", "1", "2", "3", "4"})));
    EXPECT_NE(margins, defaults);
}

TEST(Options, GammaMultipliesByCommaSeparatedFactors)
{
    struct Case {
        const char* arg;
        double r, g, b;
    } cases[] = {
        {"1", 1.5, 1.5, 1.5},
        {"2", 3.0, 3.0, 3.0},
        {"0,2", 1.5, 3.0, 1.5},     // a zero factor leaves its channel alone
        {"2,3", 3.0, 4.5, 3.0},     // with one comma the third repeats the first
        {"1,2,0.5", 1.5, 3.0, 0.75},
        {"abc", 1.5, 1.5, 1.5},
    };
    for (const Case& c : cases) {
        Settings s = settings_of({"-gm", c.arg});
        EXPECT_DOUBLE_EQ(s.gamma_red, c.r) << c.arg;
        EXPECT_DOUBLE_EQ(s.gamma_green, c.g) << c.arg;
        EXPECT_DOUBLE_EQ(s.gamma_blue, c.b) << c.arg;
    }
    Settings twice = settings_of({"-gm", "2", "-gm", "2"});
    EXPECT_DOUBLE_EQ(twice.gamma_red, 6.0);
}

TEST(Options, BalanceReplacesOnlyNonZeroValues)
{
    Settings s = settings_of({"-va", "10,0,-5"});
    EXPECT_EQ(s.balance_red, 10);
    EXPECT_EQ(s.balance_green, 0);
    EXPECT_EQ(s.balance_blue, -5);
    s = settings_of({"-va", "10,20"});
    EXPECT_EQ(s.balance_red, 10);
    EXPECT_EQ(s.balance_green, 20);
    EXPECT_EQ(s.balance_blue, 10);
    s = settings_of({"-va", "5", "-va", "0,7,0"});
    EXPECT_EQ(s.balance_red, 5);
    EXPECT_EQ(s.balance_green, 7);
    EXPECT_EQ(s.balance_blue, 5);
}

TEST(Options, DitherAndThreshold)
{
    struct Case {
        const char* arg;
        int dither;
        double threshold;
    } cases[] = {
        {"5=0.25", 5, 0.25}, {"5=", 5, 0.5}, {"5", 5, 0.5}, {"2.9", 2, 0.5}, {"-1.7", -1, 0.5},
        {"x=0.1", 0, 0.1},
    };
    for (const Case& c : cases) {
        Settings s = settings_of({"-di", c.arg});
        EXPECT_EQ(s.dither, c.dither) << c.arg;
        EXPECT_EQ(s.threshold, c.threshold) << c.arg;
    }
}

TEST(Options, PaperByNameOrSize)
{
    Scanned r = scan({"-ps", "210x297"});
    EXPECT_EQ(r.s.paper_mode, 1);
    EXPECT_EQ(r.s.paper_width, 210.0);
    EXPECT_EQ(r.s.paper_height, 297.0);

    r = scan({"-ps", "210"});
    EXPECT_EQ(r.s.paper_width, 210.0);
    EXPECT_EQ(r.s.paper_height, 0.0);

    r = scan({"-ps", "100x50", "-ps", "210.5"});  // the height stays from before
    EXPECT_EQ(r.s.paper_width, 210.5);
    EXPECT_EQ(r.s.paper_height, 50.0);

    r = scan({"-ps", "210x297", "-ps", "a4"});
    EXPECT_EQ(r.s.paper_mode, 0);
    EXPECT_EQ(r.paper_name, "a4");
    EXPECT_EQ(paper_lookup(r.paper_name.c_str())->code, 14);

    r = scan({"-ps", "Q9"});
    EXPECT_EQ(paper_lookup(r.paper_name.c_str())->name, std::string("A3R"));
}

TEST(Options, NumbersAfterSeparators)
{
    Settings s = settings_of({"-r", "300x600"});
    EXPECT_EQ(s.resolution_x, 300);
    EXPECT_EQ(s.resolution_y, 600);
    s = settings_of({"-r", "72.9"});
    EXPECT_EQ(s.resolution_x, 72);
    EXPECT_EQ(s.resolution_y, 72);
    s = settings_of({"-pu", "3=2", "-cp", "4.8"});
    EXPECT_EQ(s.paper_unit, 3);
    EXPECT_EQ(s.paper_unit_extra, 2);
    EXPECT_EQ(s.copies, 4);
}

TEST(Options, OriginAndLayout)
{
    struct Case {
        Words args;
        int layout;
        double x, y;
    } cases[] = {
        {{"-x", "20"}, 48, 20.0, 5.0},
        {{"-pm", "7", "8", "9", "10", "-y", "3"}, 48, 9.0, 3.0},
        {{"-x", "20", "-pm", "1", "2", "3", "4"}, 48, 20.0, 1.0},  // margins as finally set
        {{"-y", "4", "-x", "3"}, 48, 3.0, 4.0},
        {{"-la", "2"}, 3, 0.0, 0.0},
        {{"-x", "20", "-la", "0"}, 1, 20.0, 0.0},   // -la after -x: a placement
        {{"-la", "2", "-x", "20"}, 48, 20.0, 5.0},  // -x after -la: origins again
        {{"-x", "1", "-y", "2", "-x", "6"}, 48, 6.0, 2.0},
    };
    for (const Case& c : cases) {
        Settings s = settings_of(c.args);
        EXPECT_EQ(s.layout, c.layout) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(s.x_origin, c.x) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(s.y_origin, c.y) << c.args[0] << " " << c.args[1];
    }
}

TEST(Options, LastOfScaleAndFitDecides)
{
    Settings s = settings_of({"-xs", "50", "-fi", "0"});
    EXPECT_EQ(s.fit, 1);
    EXPECT_EQ(s.x_scale, 0.5);
    s = settings_of({"-fi", "0", "-xs", "50"});
    EXPECT_EQ(s.fit, 0);
    EXPECT_EQ(s.x_scale, 0.5);
    EXPECT_EQ(s.y_scale, 1.0);
    s = settings_of({"-fi", "2", "-ys", "25"});
    EXPECT_EQ(s.fit, 0);
    EXPECT_EQ(s.y_scale, 0.25);
}

TEST(Options, BadWordsAreSkipped)
{
    const std::string defaults = describe(scan({}));
    EXPECT_EQ(describe(scan({"-zz", "stray", "-", "-DPI", "300", "-cp"})), defaults);
    EXPECT_EQ(describe(scan({"-pm", "1", "2", "3"})), defaults);  // too few margins
    Settings s = settings_of({"picture.pgm", "-cp", "2", "-xs"});
    EXPECT_EQ(s.copies, 2);
    EXPECT_EQ(s.fit, -1);
}

TEST(Options, NumbersOutOfRangeStayDefined)
{
    // Conversions that would overflow int32 hold at the range ends.
    Settings s = settings_of({"-cp", "1e300", "-r", "-1e300", "-fi", "2147483647", "-la",
                              "2147483647", "-po", "nan"});
    EXPECT_EQ(s.copies, INT32_MAX);
    EXPECT_EQ(s.resolution_x, INT32_MIN);
    EXPECT_EQ(s.fit, INT32_MAX);
    EXPECT_EQ(s.layout, INT32_MAX);
    EXPECT_EQ(s.orientation, 0);
}

TEST(Options, FilesAreOpenedWhileScanning)
{
    TempDir dir;
    Scanned r = scan({"-in", dir.file("missing"), "-out", dir.file("no/such/dir")});
    ASSERT_TRUE(r.returned);
    EXPECT_EQ(r.s.input, nullptr);
    EXPECT_EQ(r.s.input_errno, ENOENT);
    EXPECT_EQ(r.s.output, nullptr);
    EXPECT_EQ(r.s.output_errno, ENOENT);

    write_file(dir.file("out"), "old contents");
    r = scan({"-out", dir.file("out")});
    EXPECT_NE(r.s.output, nullptr);
    EXPECT_EQ(r.s.output_errno, 0);
    EXPECT_EQ(read_file(dir.file("out")), "");  // emptied at once
}

TEST(Options, RandomCommandLinesNeverCrash)
{
    const char* vocabulary[] = {
        "-r", "-dpi", "-ps", "-po", "-pu", "-pm", "-mo", "-di", "-gm", "-va", "-sa",
        "-co", "-br", "-xs", "-ys", "-fi", "-x", "-y", "-la", "-cp", "-sp", "-me", "-qu",
        "-", "", "x", "=", ",", ",,", "1e999", "-1e999", "nan", "inf", "0x1p99", "2147483647",
        "-2147483648", "99999999999999999999", "5=", "=5", "1,2,3,4", "300x", "x300", "a4",
        "\xff\xfe", "-\x01", "3.5e-300",
    };
    const int n = sizeof vocabulary / sizeof *vocabulary;
    unsigned seed = 2024;
    for (int round = 0; round < 80; ++round) {
        Words words;
        seed = seed * 1103515245u + 12345u;
        int count = static_cast<int>(seed >> 16) % 14;
        for (int i = 0; i < count; ++i) {
            seed = seed * 1103515245u + 12345u;
            words.push_back(vocabulary[(seed >> 16) % n]);
        }
        Scanned r = scan(words);
        EXPECT_TRUE(r.returned) << "round " << round << " status " << r.status;
    }
}
