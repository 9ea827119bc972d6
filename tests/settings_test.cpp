// The settings file snphot.toml through the built programs: what each key changes, the runs it
// refuses before any output is touched, --print-settings read back, and the template of the
// README. The inputs are the example campaign's files.
#include "e2e.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(SNPHOT_SOURCE_DIR) / "examples";

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string campaign(const std::string& name) {
    return slurp(kExamples / "campaign" / name);
}

// The inputs of a program, from the example campaign; light curves are made by the light-curve
// builders and the corrections by starcorr, all on their built-in settings.
void put_inputs(const e2e::Scratch& s, const std::string& program) {
    auto made_by = [&](const std::string& maker, const std::string& table) {
        s.write("Eredmeny.txt", campaign(table));
        ASSERT_EQ(s.run(maker).status, 0) << maker;
    };
    if (program == "lcbuild-bvri" || program.rfind("lcsub", 0) == 0)
        made_by("lcbuild-bvri", "Eredmeny-BVRI.txt");
    if (program == "lcbuild-griz" || program == "bandconv")
        made_by("lcbuild-griz", "Eredmeny-griz.txt");
    if (program == "bandconv") made_by("lcbuild-bvri", "Eredmeny-BVRI.txt");
    if (program == "starcorr" || program == "starcal") made_by("starcorr", "standard-field.txt");
    if (program == "starcal") s.write("Eredmeny.txt", campaign("Eredmeny-griz.txt"));
    if (program == "bolcurve")
        for (const char* name : {"B-gorbeA.txt", "I-gorbeA.txt"}) s.write(name, campaign(name));
    if (program == "specjoin")
        for (const char* name : {"PSNspectraCut2.txt", "fasz"}) s.write(name, campaign(name));
}

// Everything a run leaves: its console and every file of the directory but the settings.
std::map<std::string, std::string> outcome(const e2e::Scratch& s, const e2e::Result& r) {
    std::map<std::string, std::string> all = {{"<stdout>", r.out}};
    for (const std::string& name : s.files())
        if (name != "snphot.toml" && name != "printed.toml") all[name] = s.read(name);
    return all;
}

// A run of a program on its inputs, with `settings` as snphot.toml when not empty.
struct Session {
    e2e::Scratch s;
    e2e::Result result;
    Session(const std::string& program, const std::string& settings, const std::string& args = "") {
        put_inputs(s, program);
        if (!settings.empty()) s.write("snphot.toml", settings);
        result = s.run(program, args);
    }
    std::map<std::string, std::string> files() const { return outcome(s, result); }
};

// The rows of a light curve or of the bolometric curve: its columns as numbers.
std::vector<std::vector<double>> rows_of(const std::string& text) {
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::vector<double> row;
        for (double v; in >> v;) row.push_back(v);
        rows.push_back(row);
    }
    return rows;
}

// ---- Every key is read by the programs that use it ----

struct KeyCase {
    const char* program;
    const char* settings;
};

const KeyCase kKeys[] = {
    {"lcbuild-griz", "[comparison]\ng = [16.54, 16.61, 16.98, 16.26, 15.94]"},
    {"lcbuild-griz", "[comparison]\nr = [16.14, 15.99, 16.53, 15.84, 15.33]"},
    {"lcbuild-griz", "[comparison]\ni = [16.0, 15.81, 16.39, 15.67, 15.13]"},
    {"lcbuild-griz", "[comparison]\nz = [15.91, 15.70, 16.30, 15.56, 14.87]"},
    {"lcbuild-griz", "[colour]\ngriz = [-0.125, -0.009, -0.095, 0.05]"},
    {"lcbuild-bvri", "[comparison]\nV = [16.3, 16.2437, 16.709751, 16.0067, 15.5]"},
    {"lcbuild-bvri", "[comparison]\nR = [16.0, 15.8, 16.4, 15.7, 15.1]"},
    {"lcbuild-bvri", "[comparison]\nI = [15.6, 15.4, 16.0, 15.3, 14.6]"},
    {"lcbuild-bvri", "[comparison]\nB = [16.9, 17.0, 17.3, 16.6, 16.2]"},
    {"lcbuild-bvri", "[comparison]\ng = [16.54, 16.61, 16.98, 16.26, 15.94]"},
    {"lcbuild-bvri", "[colour]\nbvri = [0.02, 0.0, 0.0, 0.0]"},
    {"bandtab", "[comparison]\nr = [16.14, 15.99, 16.53, 15.84, 15.33]"},
    {"starcorr", "[standard_field]\ng = [15.32, 14.98, 15.47, 15.12, 15.41]"},
    {"starcorr", "[standard_field]\nz = [14.31, 14.23, 14.79, 14.49, 14.78]"},
    {"starcorr", "[colour]\ngriz = [-0.1, -0.009, -0.095, 0.0]"},
    {"starcal", "[colour]\ngriz = [-0.125, -0.009, -0.095, 0.03]"},
    {"lcsub", "[subtraction]\nreference_date = 57830.5"},
    {"lcsub-err", "[subtraction]\nreference_date = 57830.5"},
    {"bolcurve", "[bolometric]\nextinction_B = 0.2"},
    {"bolcurve", "[bolometric]\nextinction_I = 0.1"},
    {"bolcurve", "[bolometric]\ndistance_pc = 1.5e7"},
    {"bandconv", "[bandconv]\ndirection = \"bvri-to-griz\""},
    {"decayheat", "[decay]\nnickel_mass = 0.07"},
    {"decayheat", "[decay]\nnickel_half_life = 6.1"},
    {"decayheat", "[decay]\ncobalt_half_life = 77.2"},
    {"specjoin", "[spectrum]\nredshift = 0.005"},
    {"specjoin", "[spectrum]\nbin_width = 10.0"},
    {"specjoin", "[spectrum]\nflux_factor = 1e15"},
    {"cumquad", "[line_profile]\nA1 = 0.14"},
    {"cumquad", "[line_profile]\ns1 = 80.0"},
    {"cumquad", "[line_profile]\nA2 = 0.08"},
    {"cumquad", "[line_profile]\ns2 = 90.0"},
    {"cumquad2", "[line_profile2]\nA1 = 0.18"},
    {"cumquad2", "[line_profile2]\ns1 = 88.0"},
    {"cumquad2", "[line_profile2]\nA2 = 0.04"},
    {"cumquad2", "[line_profile2]\ns2 = 60.0"},
};

TEST(SettingsFile, EveryKeyChangesTheRunOfItsProgramsAndTheRunSaysSo) {
    for (const KeyCase& c : kKeys) {
        SCOPED_TRACE(std::string(c.program) + ": " + c.settings);
        const Session builtin(c.program, "");
        const Session set(c.program, c.settings);
        EXPECT_EQ(builtin.result.status, 0);
        EXPECT_EQ(builtin.result.err, "");
        EXPECT_EQ(set.result.status, 0);
        EXPECT_EQ(set.result.err, std::string(c.program) + ": settings from snphot.toml\n");
        EXPECT_NE(set.files(), builtin.files());
    }
}

// Tables that are not a program's own, whatever they hold, leave its run as it is.
TEST(SettingsFile, OtherProgramsTablesChangeNothing) {
    const std::string others = "[decay]\nnickel_mass = \"a lot\"\n[spectrum]\nredshift = nan\n"
                               "[line_profile]\nwidth = 3\n";
    for (const char* program : {"lcbuild-bvri", "bolcurve", "bandtab"}) {
        SCOPED_TRACE(program);
        const Session builtin(program, "");
        const Session set(program, others);
        EXPECT_EQ(set.result.status, 0) << set.result.err;
        EXPECT_EQ(set.files(), builtin.files());
    }
}

// ---- What the keys change, worked out here ----

// The comparison stars of rows 1-4 made 0.1 to 0.4 mag fainter (row 0 only dates the image):
// every V zero point falls by their mean change, so every V magnitude rises by 0.25; the other
// bands stay.
TEST(SettingsFile, CatalogueChangeShiftsTheZeroPointByItsMeanOverTheFourComparisonStars) {
    const Session builtin("lcbuild-bvri", "");
    const Session set("lcbuild-bvri",
                      "[comparison]\nV = [17.298, 16.3437, 16.909751, 16.3067, 15.87935]\n");
    const auto before = rows_of(builtin.s.read("V-gorbeS.txt"));
    const auto after = rows_of(set.s.read("V-gorbeS.txt"));
    ASSERT_EQ(after.size(), before.size());
    ASSERT_GT(before.size(), 30u);
    for (std::size_t n = 0; n < before.size(); ++n) {
        EXPECT_EQ(after[n][0], before[n][0]);
        EXPECT_NEAR(after[n][1] - before[n][1], 0.25, 3e-6) << "row " << n;
    }
    EXPECT_EQ(set.s.read("R-gorbeS.txt"), builtin.s.read("R-gorbeS.txt"));
}

// Twice the distance: every absolute bolometric magnitude 5 log10(2) brighter.
TEST(SettingsFile, DistanceMovesTheBolometricMagnitudesByFiveLogOfTheRatio) {
    const Session builtin("bolcurve", "");
    const Session set("bolcurve", "[bolometric]\ndistance_pc = 26400000\n");
    const auto before = rows_of(builtin.s.read("bol-gorbe.txt"));
    const auto after = rows_of(set.s.read("bol-gorbe.txt"));
    ASSERT_EQ(after.size(), before.size());
    ASSERT_GT(before.size(), 20u);
    for (std::size_t n = 0; n < before.size(); ++n) {
        EXPECT_EQ(after[n][0], before[n][0]);
        EXPECT_NEAR(after[n][1] - before[n][1], -5 * std::log10(2.0), 2e-6) << "row " << n;
        EXPECT_EQ(after[n][2], before[n][2]);
    }
    EXPECT_EQ(set.result.out, builtin.result.out); // the colour table does not depend on it
}

// The reference night moved to 57830, before the explosion: its row is marked 100 mag fainter
// and every later, brighter row loses the flux of that night's row, in both programs.
TEST(SettingsFile, ReferenceDateMovesTheReferenceNight) {
    for (const char* program : {"lcsub", "lcsub-err"}) {
        SCOPED_TRACE(program);
        const Session set(program, "[subtraction]\nreference_date = 57830.5\n");
        const auto standard = rows_of(set.s.read("V-gorbeS.txt"));
        const auto corrected = rows_of(set.s.read("V-gorbeR.txt"));
        ASSERT_EQ(corrected.size(), standard.size());
        double reference = 0;
        for (const auto& row : standard)
            if (std::floor(row[0]) == 57830) reference = row[1];
        ASSERT_NE(reference, 0);
        int checked = 0;
        for (std::size_t n = 0; n < standard.size(); ++n) {
            const double m = standard[n][1];
            if (std::floor(standard[n][0]) == 57830) {
                EXPECT_NEAR(corrected[n][1], m + 100, 2e-6);
            }
            if (m > reference - 1) continue;
            const double flux_left = 1 - std::pow(10.0, -0.4 * (reference - m));
            EXPECT_NEAR(corrected[n][1], m - 2.5 * std::log10(flux_left), 3e-6) << "row " << n;
            ++checked;
        }
        EXPECT_GT(checked, 25);
    }
}

// bandconv built for g r i z -> V Rc Ic B, told the other direction: the same run as the build
// for the reverse direction.
TEST(SettingsFile, DirectionSwitchesBandconvWithoutARebuild) {
    const Session set("bandconv", "[bandconv]\ndirection = \"bvri-to-griz\"\n");
    e2e::Scratch reverse;
    put_inputs(reverse, "bandconv");
    const e2e::Result built = reverse.run("../test-bin/bandconv-reverse");
    EXPECT_EQ(set.result.status, 0);
    EXPECT_EQ(set.files(), outcome(reverse, built));
    EXPECT_NE(set.s.read("g-gorbeC.txt"), "");
}

// g r i of another field, no V R I B: lcbuild-bvri's catalogue is bandtab's listing.
TEST(SettingsFile, DerivedBvriCatalogueIsTheBandtabListing) {
    const std::string settings = "[comparison]\ng = [17.12, 15.93, 16.47, 17.35, 16.02]\n"
                                 "r = [16.58, 15.41, 16.12, 16.70, 15.66]\n"
                                 "i = [16.37, 15.22, 15.98, 16.44, 15.51]\n";
    const Session bandtab("bandtab", settings);
    const Session printed("lcbuild-bvri", settings, "--print-settings");
    ASSERT_EQ(bandtab.result.status, 0);
    ASSERT_EQ(printed.result.status, 0);
    const std::string listing = bandtab.s.read("szuro.txt");
    const char* bands[] = {"V", "R", "I", "B"};
    for (int b = 0; b < 4; ++b) {
        const std::string key = std::string(bands[b]) + " = [";
        const std::size_t at = printed.result.out.find("\n" + key);
        ASSERT_NE(at, std::string::npos) << printed.result.out;
        std::istringstream values(printed.result.out.substr(at + 1 + key.size()));
        for (int k = 0; k < 5; ++k) {
            float v;
            char comma;
            values >> v >> comma;
            char entry[64];
            std::snprintf(entry, sizeof entry, "T%s[%d]=%f;", bands[b], k, v);
            EXPECT_NE(listing.find(entry), std::string::npos) << entry;
        }
    }
}

// ---- --print-settings ----

// What --print-settings prints, read back as the settings file, gives the same run, and prints
// itself again.
TEST(SettingsFile, PrintedSettingsReadBackReproduceTheRun) {
    const KeyCase cases[] = {
        {"lcbuild-bvri", "[comparison]\ng = [16.5, 16.6, 17.0, 16.3, 15.8]\n"
                         "r = [16.1, 16.0, 16.5, 15.8, 15.2]\ni = [16.0, 15.8, 16.4, 15.7, 15.0]\n"
                         "[colour]\nbvri = [0.01, 0.0, -0.02, 0.0]\n"},
        {"starcorr", "[standard_field]\nr = [14.7, 14.4, 15.0, 14.7, 14.9]\n"
                     "[colour]\ngriz = [-0.12, -0.01, -0.1, 0.001]\n"},
        {"bolcurve", "[bolometric]\nextinction_B = 0.3\ndistance_pc = 9.87e6\n"},
        {"lcsub-err", "[subtraction]\nreference_date = 57830.25\n"},
        {"decayheat", "[decay]\nnickel_mass = 0.0512\ncobalt_half_life = 77.1\n"},
        {"specjoin", "[spectrum]\nredshift = 0.0051\nflux_factor = 3.3e15\n"},
        {"cumquad2", "[line_profile2]\nA1 = 0.1734\ns2 = 61\n"},
        {"bandconv", "[bandconv]\ndirection = \"bvri-to-griz\"\n"},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.program);
        const Session first(c.program, c.settings);
        const Session printed(c.program, c.settings, "--print-settings");
        ASSERT_EQ(printed.result.status, 0);
        EXPECT_EQ(printed.result.err, "");
        const Session again(c.program, printed.result.out);
        EXPECT_EQ(again.files(), first.files());
        EXPECT_EQ(Session(c.program, printed.result.out, "--print-settings").result.out,
                  printed.result.out);
    }
}

// The commented template of the README holds every table with the built-in values: every program
// prints the same settings with it as without a file.
TEST(SettingsFile, TheTemplateHoldsTheBuiltInValues) {
    const std::string template_file = slurp(kExamples / "snphot.toml");
    ASSERT_FALSE(template_file.empty());
    for (const char* program :
         {"lcbuild-bvri", "lcbuild-griz", "starcorr", "starcal", "bandconv", "bandtab", "lcsub",
          "lcsub-err", "bolcurve", "snmodel", "decayheat", "specjoin", "cumquad", "cumquad2", "snfit"}) {
        SCOPED_TRACE(program);
        e2e::Scratch s;
        const e2e::Result builtin = s.run(program, "--print-settings");
        s.write("snphot.toml", template_file);
        const e2e::Result with_template = s.run(program, "--print-settings");
        EXPECT_EQ(with_template.status, 0) << with_template.err;
        const std::string header = "# Settings of " + std::string(program) + ": ";
        auto body = [&](const std::string& out) { return out.substr(out.find('\n')); };
        EXPECT_EQ(body(with_template.out), body(builtin.out));
        EXPECT_EQ(s.files(), std::vector<std::string>{"snphot.toml"});
    }
}

// ---- Refusals: status 1 before any output is touched ----

struct Refusal {
    const char* program;
    const char* settings; // written as snphot.toml (nothing when null)
    const char* args;
    const char* err;
};

const Refusal kRefusals[] = {
    {"lcbuild-griz", "[comparison]\ng = [16.54, 16.61, 16.98, 16.26, 15.84]\nh = [1, 2, 3, 4, 5]\n",
     "", "lcbuild-griz: snphot.toml:3: unknown key \"h\" in [comparison]\n"},
    {"starcorr", "[colour]\ngriz = [-0.125, -0.009, -0.095]\n", "",
     "starcorr: snphot.toml:2: [colour] griz must be an array of 4 numbers\n"},
    {"starcal", "[colour]\ngriz = [-0.125, \"-0.009\", -0.095, 0.0]\n", "",
     "starcal: snphot.toml:2: [colour] griz must be an array of 4 numbers\n"},
    {"bolcurve", "[bolometric]\n\ndistance_pc = \"13.2 Mpc\"\n", "",
     "bolcurve: snphot.toml:3: [bolometric] distance_pc must be a number\n"},
    {"bolcurve", "[bolometric]\nextinction_B = inf\n", "",
     "bolcurve: snphot.toml:2: [bolometric] extinction_B must be a finite number\n"},
    {"bolcurve", "[bolometric]\ndistance_pc = -1\n", "",
     "bolcurve: snphot.toml:2: [bolometric] distance_pc must be greater than 0\n"},
    {"lcbuild-bvri", "[comparison]\nV = [1e39, 0, 0, 0, 0]\n", "",
     "lcbuild-bvri: snphot.toml:2: [comparison] V is beyond the range of a single-precision "
     "number\n"},
    {"lcsub", "# the reference night\n[subtraction\nreference_date = 57830.5\n", "", nullptr},
    {"lcsub-err", "[subtraktion]\nreference_date = 57830.5\n", "",
     "lcsub-err: snphot.toml:1: unknown table [subtraktion]: no program of the suite reads it\n"},
    {"bandconv", "[bandconv]\ndirection = \"forward\"\n", "",
     "bandconv: snphot.toml:2: [bandconv] direction must be \"griz-to-bvri\" or "
     "\"bvri-to-griz\"\n"},
    {"bandtab", "comparison = 5\n", "", "bandtab: snphot.toml:1: [comparison] must be a table\n"},
    {"decayheat", "nickel_mass = 0.07\n", "",
     "decayheat: snphot.toml:1: unknown key \"nickel_mass\" outside any table\n"},
    {"specjoin", nullptr, "--settings campaign.toml",
     "specjoin: campaign.toml: cannot open: No such file or directory\n"},
    {"cumquad", "[line_profile]\ns1 = 0\n", "--print-settings",
     "cumquad: snphot.toml:2: [line_profile] s1 must be greater than 0\n"},
};

TEST(SettingsFile, AWrongFileEndsTheRunBeforeAnyOutputIsTouched) {
    for (const Refusal& c : kRefusals) {
        SCOPED_TRACE(std::string(c.program) + " " + (c.settings ? c.settings : c.args));
        e2e::Scratch s;
        put_inputs(s, c.program);
        // Earlier outputs, known content: the run must leave them as they are.
        for (const char* name : {"V-gorbeS.txt", "g-gorbe.txt", "g-korr.txt", "bol-gorbe.txt",
                                 "V-gorbeC.txt", "szuro.txt", "V-gorbeR.txt", "numNi.txt"})
            s.write(name, "kept\n");
        if (c.settings) s.write("snphot.toml", c.settings);
        const auto before = outcome(s, {});
        const e2e::Result r = s.run(c.program, c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        if (c.err)
            EXPECT_EQ(r.err, c.err);
        else // a TOML syntax error: toml++'s words, at the line
            EXPECT_EQ(r.err.rfind(std::string(c.program) + ": snphot.toml:2: ", 0), 0u) << r.err;
        EXPECT_EQ(outcome(s, {}), before);
    }
}

TEST(SettingsFile, SettingsOptionsOnTheCommandLine) {
    e2e::Scratch s;
    s.write("field.toml", "[bolometric]\ndistance_pc = 1e7\n");
    s.write("snphot.toml", "[bolometric]\ndistance_pc = 2e7\n");
    const e2e::Result named = s.run("bolcurve", "--print-settings --settings field.toml");
    EXPECT_EQ(named.status, 0);
    EXPECT_NE(named.out.find("# Settings of bolcurve: field.toml over the built-in values.\n"),
              std::string::npos);
    EXPECT_NE(named.out.find("\ndistance_pc = 10000000.0  # pc\n"), std::string::npos) << named.out;
    EXPECT_EQ(s.run("bolcurve", "--settings field.toml --print-settings").out, named.out);

    s.write("B-gorbeA.txt", campaign("B-gorbeA.txt"));
    s.write("I-gorbeA.txt", campaign("I-gorbeA.txt"));
    EXPECT_EQ(s.run("bolcurve", "--settings field.toml").err,
              "bolcurve: settings from field.toml\n");
    for (const char* wrong : {"--settings", "--print-settings --print-settings",
                              "--settings a.toml --settings b.toml", "--help --print-settings"}) {
        const e2e::Result r = s.run("bolcurve", wrong);
        EXPECT_EQ(r.status, 2) << wrong;
        EXPECT_EQ(r.err, "usage: bolcurve [--help | --version]\n") << wrong;
    }
    const e2e::Result help = s.run("bolcurve", "--help");
    EXPECT_NE(help.out.find("[--settings FILE] [--print-settings]"), std::string::npos);
    EXPECT_NE(help.out.find("[bolometric]"), std::string::npos);

    // snmodel takes nothing from the file and does not claim to.
    e2e::Scratch model;
    model.write("snphot.toml", "[decay]\nnickel_mass = 0.07\n");
    model.write("parameters.inp", campaign("parameters.inp"));
    EXPECT_EQ(model.run("snmodel", "--print-settings").out,
              "# snmodel reads no table of the settings file.\n");
    EXPECT_EQ(model.run("snmodel").err, "");
}

} // namespace
