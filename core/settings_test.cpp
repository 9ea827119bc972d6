#include "cli.hpp"
#include "photometric_settings.hpp"
#include "settings_file.hpp"
#include "transformation.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace snphot;

// A table of every kind of key, under names of the suite.
struct Sample {
    float single = 1.5f;
    double dbl = 2.5;
    std::array<float, 3> three = {1, 2, 3};
    int word = 0;
};

SettingsTable sample_table(Sample& s) {
    return {"decay",
            "every kind of key",
            {number("single", s.single, "single precision"), number("dbl", s.dbl, "", 0.0),
             numbers("three", s.three, ""), choice("word", s.word, {"one", "two"}, "")}};
}

// Reads `text` into a sample; "" when it is read, else "where: reason".
std::string refusal(const std::string& text, Sample& s) {
    std::vector<SettingsTable> tables = {sample_table(s)};
    try {
        read_settings_text(text, "x.toml", tables);
    } catch (const RunFailure& e) {
        return e.where() + ": " + e.what();
    }
    return "";
}

TEST(SettingsFile, ReadsEveryKindOfKeyAndKeepsWhatTheFileLeavesOut) {
    Sample s;
    std::vector<SettingsTable> tables = {sample_table(s)};
    read_settings_text("[decay]\nsingle = 3\nthree = [4, 5.5, -6e1]\nword = 'two'\n", "x.toml",
                       tables);
    EXPECT_EQ(s.single, 3.0f); // an integer where a number is due
    EXPECT_EQ(s.dbl, 2.5);
    EXPECT_EQ(s.three, (std::array<float, 3>{4.0f, 5.5f, -60.0f}));
    EXPECT_EQ(s.word, 1);
    EXPECT_TRUE(tables[0].given("single"));
    EXPECT_FALSE(tables[0].given("dbl"));
}

TEST(SettingsFile, RefusesWhatBreaksTheRulesAtItsLine) {
    const struct {
        const char* text;
        const char* refusal;
    } cases[] = {
        {"[decay]\nthree = [\n  1,\n  true,\n  3]\n",
         "x.toml:4: [decay] three must be an array of 3 numbers"},
        {"[decay]\nthree = [1, 2, nan]\n", "x.toml:2: [decay] three must be a finite number"},
        {"[decay]\ndbl = 0.0\n", "x.toml:2: [decay] dbl must be greater than 0"},
        {"[decay]\nsingle = 3.5e38\n",
         "x.toml:2: [decay] single is beyond the range of a single-precision number"},
        {"[decay]\nword = 2\n", "x.toml:2: [decay] word must be \"one\" or \"two\""},
        {"[decay.inner]\nsingle = 1\n", "x.toml:1: unknown key \"inner\" in [decay]"},
        {"[decay]\nzz = 1\naa = 2\n", "x.toml:2: unknown key \"zz\" in [decay]"},
        {"[[decay]]\nsingle = 1\n", "x.toml:1: [decay] must be a table"},
        {"[spectrum]\nfoo = 1\n[decayy]\n", "x.toml:3: unknown table [decayy]: no program of "
                                            "the suite reads it"},
        // Beyond ASCII, only comments; a # inside a string starts none.
        {"[decay]\nword = 'two' \xc2\xa1\n", "x.toml:2: a character beyond ASCII outside a "
                                             "comment: settings are written in ASCII"},
        {"[decay]\n\"w\xc3\xa9rd\" = 1\n", "x.toml:2: a character beyond ASCII outside a "
                                           "comment: settings are written in ASCII"},
        {"[decay]\nword = \"#\" \xc3\xa9\n",
         "x.toml:2: a character beyond ASCII outside a comment: settings are written in ASCII"},
    };
    for (const auto& c : cases) {
        Sample s;
        EXPECT_EQ(refusal(c.text, s), c.refusal) << c.text;
    }
    Sample accented;
    EXPECT_EQ(
        refusal("# \xc3\x81gnes\n[decay] # sz\xc3\xadn\nsingle = 1 # \xe2\x80\x94\n", accented),
        "");
    Sample s;
    const std::string syntax = refusal("[decay]\nsingle = 1\nsingle = 2\n", s);
    EXPECT_EQ(syntax.rfind("x.toml:3: ", 0), 0u) << syntax;
}

// Whatever a key holds, it is printed so that it reads back as the same stored value.
TEST(SettingsFile, PrintedValuesReadBackBitForBit) {
    std::mt19937 random(12);
    for (int round = 0; round < 2000; ++round) {
        std::uint32_t single_bits;
        do single_bits = random();
        while (!std::isfinite(std::bit_cast<float>(single_bits)));
        std::uint64_t double_bits;
        do double_bits = (std::uint64_t(random()) << 32 | random()) & ~(1ULL << 63);
        while (!std::isfinite(std::bit_cast<double>(double_bits)) ||
               std::bit_cast<double>(double_bits) == 0);
        Sample s;
        s.single = std::bit_cast<float>(single_bits);
        s.dbl = std::bit_cast<double>(double_bits);
        s.three = {std::uniform_real_distribution<float>(-30, 30)(random), 16.709751f, -0.0f};
        if (round == 0) { // the ends of the ranges
            s.single = std::numeric_limits<float>::max();
            s.dbl = std::numeric_limits<double>::denorm_min();
            s.three = {-std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
                       std::numeric_limits<float>::min()};
            single_bits = std::bit_cast<std::uint32_t>(s.single);
            double_bits = std::bit_cast<std::uint64_t>(s.dbl);
        }
        std::vector<SettingsTable> tables = {sample_table(s)};
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        print_settings(out, tables);
        std::fclose(out);
        const std::string printed(text, size);
        std::free(text);

        Sample back;
        back.single = 0, back.dbl = 1, back.three = {}, back.word = 1;
        std::vector<SettingsTable> read = {sample_table(back)};
        read_settings_text(printed, "printed.toml", read);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(back.single), single_bits) << printed;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back.dbl), double_bits) << printed;
        ASSERT_EQ(std::memcmp(back.three.data(), s.three.data(), sizeof s.three), 0) << printed;
        ASSERT_EQ(back.word, 0);
    }
}

// A table of the kinds that hold names and words, under a name of the suite.
struct Named {
    std::string file = "a.txt";
    bool align = false;
    std::vector<std::string> bands = {"B", "V"};
    std::optional<double> start;
    std::optional<NumberPair> dates;
    ByName<NumberPair> bounds;
    ByName<std::map<std::string, double>> offsets;
};

SettingsTable named_table(Named& n) {
    return {"fit",
            "names and words",
            {text("file", n.file, "a file name"), flag("align", n.align, ""),
             words("bands", n.bands, {"B", "V", "R", "I"}, "bands"),
             number("start", n.start, "none until given"), pair("dates", n.dates, ""),
             pairs_by_name("bounds", n.bounds, {"M", "Mni"}, ""),
             numbers_by_name("offsets", n.offsets, {}, "by source, by band")}};
}

std::string printed(std::vector<SettingsTable>& tables) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    print_settings(out, tables);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

TEST(SettingsFile, ReadsNamesAndWordsAndPrintsThemBack) {
    Named n;
    std::vector<SettingsTable> tables = {named_table(n)};
    // Before the file gives them, the optional keys print as a comment.
    EXPECT_NE(printed(tables).find("# start = ?  # none until given\n"), std::string::npos);
    read_settings_text("[fit]\nfile = \"x \\\"y\\\".txt\"\nalign = true\nbands = ['I', 'B']\n"
                       "start = 57800\ndates = [1, 2.5]\n\nbounds = { Mni = [0.01, 0.1] }\n"
                       "offsets = { 'Konkoly 60cm' = { B = 0.12, V = -0.05 }, s2 = {} }\n",
                       "x.toml", tables);
    EXPECT_EQ(n.file, "x \"y\".txt");
    EXPECT_TRUE(n.align);
    EXPECT_EQ(n.bands, (std::vector<std::string>{"I", "B"}));
    EXPECT_EQ(n.start, 57800.0);
    EXPECT_EQ(n.dates, (NumberPair{1.0, 2.5}));
    ASSERT_EQ(n.bounds.size(), 1u);
    EXPECT_EQ(n.bounds["Mni"].value, (NumberPair{0.01, 0.1}));
    EXPECT_EQ(n.bounds["Mni"].line, 8);
    EXPECT_EQ(tables[0].line("bounds"), 8);
    ASSERT_EQ(n.offsets.size(), 2u);
    EXPECT_EQ(n.offsets["Konkoly 60cm"].value, (std::map<std::string, double>{{"B", 0.12}, {"V", -0.05}}));
    EXPECT_TRUE(n.offsets["s2"].value.empty());

    // Printed and read back into other members, every value is the same.
    const std::string text = printed(tables);
    Named back;
    back.bounds["M"] = {{1, 2}, 0}; // the file's table replaces the whole value
    std::vector<SettingsTable> read = {named_table(back)};
    read_settings_text(text, "printed.toml", read);
    EXPECT_EQ(back.file, n.file);
    EXPECT_EQ(back.align, n.align);
    EXPECT_EQ(back.bands, n.bands);
    EXPECT_EQ(back.start, n.start);
    EXPECT_EQ(back.dates, n.dates);
    ASSERT_EQ(back.bounds.size(), 1u);
    EXPECT_EQ(back.bounds["Mni"].value, n.bounds["Mni"].value);
    ASSERT_EQ(back.offsets.size(), 2u);
    EXPECT_EQ(back.offsets["Konkoly 60cm"].value, n.offsets["Konkoly 60cm"].value);
    EXPECT_EQ(printed(read), text);
}

TEST(SettingsFile, RefusesNamesAndWordsThatBreakTheirKindAtTheirLine) {
    const struct {
        const char* text;
        const char* refusal;
    } cases[] = {
        {"[fit]\nfile = 3\n", "x.toml:2: [fit] file must be a string"},
        {"[fit]\nalign = 1\n", "x.toml:2: [fit] align must be true or false"},
        {"[fit]\nbands = 'B'\n", "x.toml:2: [fit] bands must be an array of words"},
        {"[fit]\nbands = ['B',\n 'U']\n",
         "x.toml:3: [fit] bands: \"U\" is not one of \"B\", \"V\", \"R\", \"I\""},
        {"[fit]\nbands = ['B', 'B']\n", "x.toml:2: [fit] bands names \"B\" twice"},
        {"[fit]\ndates = [1]\n", "x.toml:2: [fit] dates must be an array of 2 numbers"},
        {"[fit]\nstart = inf\n", "x.toml:2: [fit] start must be a finite number"},
        {"[fit]\nbounds = [1, 2]\n",
         "x.toml:2: [fit] bounds must be a table of number pairs by name"},
        {"[fit]\n[fit.bounds]\nM = [1, 2]\nR0 = [1, 2]\n",
         "x.toml:4: [fit] bounds: \"R0\" is not one of \"M\", \"Mni\""},
        {"[fit]\nbounds = { M = [1, 'a'] }\n", "x.toml:2: [fit] bounds.M must be an array of 2 numbers"},
        {"[fit]\noffsets = { s = 1 }\n",
         "x.toml:2: [fit] offsets.s must be a table of numbers by name"},
        {"[fit]\noffsets = { s = { B = nan } }\n",
         "x.toml:2: [fit] offsets.s.B must be a finite number"},
    };
    for (const auto& c : cases) {
        Named n;
        std::vector<SettingsTable> tables = {named_table(n)};
        std::string refusal;
        try {
            read_settings_text(c.text, "x.toml", tables);
        } catch (const RunFailure& e) {
            refusal = e.where() + ": " + e.what();
        }
        EXPECT_EQ(refusal, c.refusal) << c.text;
    }
}

float as_printed(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return std::strtof(text, nullptr);
}

// Each of V R I B that the file leaves out follows from g r i (the merged ones) once the file
// gives any of them; the ones it gives stay.
TEST(ComparisonTable, DerivesTheJohnsonCousinsBandsTheFileLeavesOut) {
    const PhotometricSettings builtin;
    const PhotometricSettings none = parse_settings_text("[colour]\n", "x.toml");
    EXPECT_EQ(none.comparison.V, builtin.comparison.V);

    const PhotometricSettings s = parse_settings_text(
        "[comparison]\nr = [17.0, 16.0, 15.0, 14.0, 13.0]\nI = [1, 2, 3, 4, 5]\n", "x.toml");
    EXPECT_EQ(s.comparison.I, (StarMagnitudes{1, 2, 3, 4, 5}));
    EXPECT_EQ(s.comparison.g, builtin.comparison.g);
    for (int k = 0; k < 5; ++k) {
        const auto& c = s.comparison;
        const JohnsonCousins star = johnson_cousins_of_star(c.g[k], c.r[k], c.i[k]);
        EXPECT_EQ(c.V[k], as_printed(star.V)) << k;
        EXPECT_EQ(c.R[k], as_printed(star.Rc)) << k;
        EXPECT_EQ(c.B[k], as_printed(star.B)) << k;
        EXPECT_NE(c.V[k], builtin.comparison.V[k]) << k;
    }
}

// The built-in V R I B are the built-in g r i so derived, to the last bit.
TEST(ComparisonTable, BuiltInJohnsonCousinsBandsAreTheDerivedOnes) {
    const PhotometricSettings builtin;
    const PhotometricSettings derived =
        parse_settings_text("[comparison]\ng = [16.54, 16.61, 16.98, 16.26, 15.84]\n", "x.toml");
    EXPECT_EQ(derived.comparison.V, builtin.comparison.V);
    EXPECT_EQ(derived.comparison.R, builtin.comparison.R);
    EXPECT_EQ(derived.comparison.I, builtin.comparison.I);
    EXPECT_EQ(derived.comparison.B, builtin.comparison.B);
}

} // namespace
