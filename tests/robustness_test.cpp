// The failure contract of every program at once: a full disk on any output, a console that cannot
// be written, closed standard descriptors, an input that cannot be read, fields that are not
// finite numbers, and CR LF line ends. Each program runs on a small valid fixture; one table per
// fault covers all sixteen.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Image blocks of `count` lines, identifiers from `first_id`, one block per band on one night;
// the last line of a block is the target, a little fainter than the stars.
std::string image_blocks(const std::vector<std::string>& bands, int first_id, int count) {
    std::string text;
    for (const std::string& band : bands) {
        for (int n = 0; n < count; ++n) {
            const double mag = 14.0 + 0.3 * n + 0.1 * static_cast<double>(band[0] % 7);
            text += std::to_string(first_id + n) + " " + band + " 2456790.25 " +
                    std::to_string(mag) + " 0.012\n";
        }
    }
    return text;
}

std::string light_curve(double mag) {
    return e2e::lines({"56789.250000 " + std::to_string(mag) + " 0.010000 0.020000",
                       "56790.250000 " + std::to_string(mag + 0.1) + " 0.011000 0.021000",
                       "56791.250000 " + std::to_string(mag + 0.2) + " 0.012000 0.022000"});
}

struct Program {
    std::string name;
    Files inputs;
    std::vector<std::string> outputs; // every file it writes, each with data for its fixture
    std::string announce = "";        // what a clean run says on standard error
    int status = 0;                   // of a run on the fixture
    std::string warnings = "";        // what it says on standard error after the announcement
};

// A text without the lines that tell the wall time of a run, which no two runs share.
std::string steady(const std::string& text) {
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(start, end - start);
        if (line.rfind("wall time: ", 0) != 0) kept += line;
        start = end;
    }
    return kept;
}

// Standard error without the line that names the settings file a run uses.
std::string after_announce(const Program& p, const std::string& err) {
    return err.rfind(p.announce, 0) == 0 ? err.substr(p.announce.size()) : err;
}

std::vector<std::string> band_files(const std::string& bands, const std::string& suffix) {
    std::vector<std::string> names;
    for (char band : bands) names.push_back(std::string(1, band) + suffix);
    return names;
}

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<Program>& programs() {
    static const std::vector<Program> all = [] {
        const std::string korr = "56790.250000 0.250000 0.000000 0.010000\n";
        return std::vector<Program>{
            {"lcbuild-bvri",
             {{"Eredmeny.txt", image_blocks({"V", "R", "I", "B"}, 0, 6)}},
             joined(joined(band_files("VRIB", "-gorbeS.txt"), band_files("VRIB", "-gorbe.txt")),
                    {"szin-gorbe.txt"})},
            {"lcbuild-griz",
             {{"Eredmeny.txt", image_blocks({"g", "r", "i", "z"}, 0, 6)}},
             joined(joined(band_files("griz", "-gorbeS.txt"), band_files("griz", "-gorbe.txt")),
                    {"szin-gorbe.txt"})},
            {"starcorr",
             {{"Eredmeny.txt", image_blocks({"g", "r", "i", "z"}, 1, 5)}},
             band_files("griz", "-korr.txt")},
            {"starcal",
             {{"Eredmeny.txt", image_blocks({"g", "r", "i", "z"}, 1, 6)},
              {"g-korr.txt", korr},
              {"r-korr.txt", korr},
              {"i-korr.txt", korr},
              {"z-korr.txt", korr}},
             joined(band_files("griz", "-gorbe.txt"), band_files("griz", "-ref.txt"))},
            {"bandconv",
             {{"g-gorbe.txt", light_curve(15.6)},
              {"r-gorbe.txt", light_curve(15.2)},
              {"i-gorbe.txt", light_curve(15.0)},
              {"z-gorbe.txt", light_curve(14.9)}},
             band_files("VRIB", "-gorbeC.txt")},
            {"bandtab", {}, {"szuro.txt"}},
            {"lcsub",
             {{"V-gorbeS.txt", light_curve(15.3)},
              {"R-gorbeS.txt", light_curve(15.0)},
              {"I-gorbeS.txt", light_curve(14.7)},
              {"B-gorbeS.txt", light_curve(15.9)}},
             band_files("VRIB", "-gorbeR.txt")},
            {"lcsub-err",
             {{"V-gorbeS.txt", light_curve(15.3)},
              {"R-gorbeS.txt", light_curve(15.0)},
              {"I-gorbeS.txt", light_curve(14.7)},
              {"B-gorbeS.txt", light_curve(15.9)}},
             band_files("VRIB", "-gorbeR.txt")},
            {"bolcurve",
             {{"B-gorbeA.txt", light_curve(15.9)}, {"I-gorbeA.txt", light_curve(14.7)}},
             {"bol-gorbe.txt"}},
            {"snmodel",
             {{"parameters.inp", e2e::lines({"5e13", "10", "5500", "0.05", "1.5", "1.0", "0", "2",
                                             "0.3", "0", "0", "90000", "1"})}},
             {"kimenet.out"}},
            {"snfit",
             {{"bol-gorbe.txt",
               e2e::lines({"57840.650000 -15.200000 0.050000", "57842.650000 -15.250000 0.050000",
                           "57844.650000 -15.300000 0.050000", "57846.650000 -15.320000 0.050000",
                           "57848.650000 -15.330000 0.050000", "57850.650000 -15.340000 0.050000",
                           "57852.650000 -15.350000 0.050000"})},
              {"parameters.inp",
               e2e::lines({"3.0e13", "10.0", "5500.0", "0.05", "1.0", "0.5", "0.0", "2.0", "0.3",
                           "0.0", "0.0", "30000.0", "300.0"})},
              {"snphot.toml", "[fit]\nfree = [\"Mni\"]\nexplosion_date = 57834.9\n"}},
             {"fit.txt", "parameters-fit.inp", "fit-model.txt", "fit-residuals.txt"},
             "snfit: settings from snphot.toml\n"},
            // A chain cut short by its budget: every output is written all the same (status 3).
            {"snpost",
             {{"bol-gorbe.txt",
               e2e::lines({"57840.650000 -15.200000 0.050000", "57842.650000 -15.250000 0.050000",
                           "57844.650000 -15.300000 0.050000", "57846.650000 -15.320000 0.050000",
                           "57848.650000 -15.330000 0.050000", "57850.650000 -15.340000 0.050000",
                           "57852.650000 -15.350000 0.050000"})},
              {"parameters.inp",
               e2e::lines({"3.0e13", "10.0", "5500.0", "0.05", "1.0", "0.5", "0.0", "2.0", "0.3",
                           "0.0", "0.0", "30000.0", "300.0"})},
              {"snphot.toml", "[fit]\nfree = [\"Mni\"]\nexplosion_date = 57834.9\n"
                              "[posterior]\nwalkers = 8\nmax_model_runs = 400\n"}},
             {"posterior.txt", "posterior-samples.txt", "posterior-band.txt"},
             "snpost: settings from snphot.toml\n",
             3,
             "snpost: posterior.txt: max_model_runs reached before the chain held enough "
             "independent samples; the outputs hold the chain so far\n"},
            {"decayheat", {}, {"numNi.txt"}},
            {"specjoin",
             {{"PSNspectraCut2.txt", e2e::lines({"6500.0 1.5e-15", "6510.0 2.5e-15"})},
              {"fasz", e2e::lines({"6506 1 0", "6513 2 0"})}},
             {"Eredmeny.txt"}},
            {"cumquad", {}, {}},
            {"cumquad2", {}, {}},
            {"lcimport",
             {{"photometry.csv", e2e::lines({"mjd,band,mag,mag_err,source", "56789.1,B,15.9,0.02,a",
                                             "56789.2,I,14.7,0.02,a", "56790.1,B,16.0,0.02,a",
                                             "56790.2,I,14.8,0.02,a"})}},
             {"B-gorbeA.txt", "I-gorbeA.txt"}},
        };
    }();
    return all;
}

const Program& program(const std::string& name) {
    for (const Program& p : programs())
        if (p.name == name) return p;
    throw std::invalid_argument(name);
}

void write_all(const e2e::Scratch& s, const Files& files) {
    for (const auto& [name, text] : files) s.write(name, text);
}

struct Outcome {
    int status = -1;
    std::string err;
};

// Runs `command` in the scratch directory, its standard error (as `err_to` names the file) kept
// in the outcome.
Outcome run_in(const e2e::Scratch& s, const std::string& command,
               const std::function<std::string(const std::string&)>& err_to) {
    const fs::path err = s.dir() / ".stderr";
    const std::string line = "cd '" + s.dir().string() + "' && " + command + err_to(err.string());
    const int raw = std::system(line.c_str());
    Outcome run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = s.read(".stderr");
    fs::remove(err);
    return run;
}

// Runs a program in the scratch directory with the shell redirections given (standard input from
// /dev/null unless they say otherwise); standard error is kept unless they redirect it.
Outcome run_redirected(const e2e::Scratch& s, const std::string& program,
                       const std::string& redirections, const std::string& args = "") {
    return run_in(s, "'" + e2e::program_path(program) + "' " + args, [&](const std::string& err) {
        return " </dev/null 2>'" + err + "' " + redirections;
    });
}

// Every file of the directory with its contents; a link (to a device) is only named.
Files read_all(const e2e::Scratch& s) {
    Files files;
    for (const std::string& name : s.files())
        files[name] = fs::is_symlink(s.dir() / name) ? "<link>" : s.read(name);
    return files;
}

// Earlier outputs of a run that must fail before touching them.
Files earlier_outputs(const Program& p) {
    Files files;
    for (const std::string& name : p.outputs) files[name] = "from an earlier run\n";
    return files;
}

} // namespace

TEST(EveryProgram, RunsCleanlyOnItsFixture) {
    for (const Program& p : programs()) {
        e2e::Scratch s;
        write_all(s, p.inputs);
        const e2e::Result r = s.run(p.name);
        EXPECT_EQ(r.status, p.status) << p.name << ": " << r.err;
        EXPECT_EQ(r.err, p.announce + p.warnings) << p.name;
        for (const std::string& out : p.outputs)
            EXPECT_NE(s.read(out), "") << p.name << " wrote no data to " << out;
    }
}

// Every output in turn on a full disk, including the files read back during the run (the standard
// light curves of the builders, the work files and reference tables of starcal).
// The other outputs, written before or after the one that fails, keep their earlier contents, and
// no temporary file is left behind.
TEST(EveryProgram, AFullDiskOnAnyOutputIsAFailure) {
    for (const Program& p : programs()) {
        for (const std::string& out : p.outputs) {
            e2e::Scratch s;
            write_all(s, p.inputs);
            Files earlier = earlier_outputs(p);
            earlier.erase(out);
            write_all(s, earlier);
            fs::create_symlink("/dev/full", s.dir() / out);
            const Files before = read_all(s);
            const e2e::Result r = s.run(p.name);
            EXPECT_EQ(r.status, 1) << p.name << " writing " << out;
            EXPECT_EQ(after_announce(p, r.err).rfind(p.name + ": " + out + ": cannot write: ", 0),
                      0u)
                << p.name << " writing " << out << ": " << r.err;
            EXPECT_EQ(read_all(s), before) << p.name << " writing " << out;
        }
    }
}

TEST(EveryProgram, AConsoleThatCannotBeWrittenIsAFailure) {
    for (const Program& p : programs()) {
        e2e::Scratch s;
        write_all(s, p.inputs);
        const Outcome r = run_redirected(s, p.name, ">/dev/full");
        if (p.name == "decayheat") { // prints nothing
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            continue;
        }
        // Its outputs are not committed, so even a run that would end with status 3 (outputs
        // written, not converged) fails with status 1.
        EXPECT_EQ(r.status, 1) << p.name;
        EXPECT_EQ(after_announce(p, r.err),
                  p.warnings + p.name +
                      ": standard output: cannot write: No space left on device\n")
            << p.name;
        // The console is a product too: its failure keeps the earlier outputs.
        const Files earlier = earlier_outputs(p);
        write_all(s, earlier);
        const Files before = read_all(s);
        EXPECT_EQ(run_redirected(s, p.name, ">/dev/full").status, 1) << p.name;
        EXPECT_EQ(read_all(s), before) << p.name;
    }
    e2e::Scratch s;
    const Outcome help = run_redirected(s, "cumquad", ">/dev/full", "--help");
    EXPECT_EQ(help.status, 1);
}

// With standard output (or input, or error) closed, a file opened first would take its
// descriptor and the console text would land in it.
TEST(EveryProgram, ClosedStandardDescriptorsLeaveTheFilesAsInANormalRun) {
    for (const Program& p : programs()) {
        e2e::Scratch normal, closed;
        write_all(normal, p.inputs);
        write_all(closed, p.inputs);
        ASSERT_EQ(run_redirected(normal, p.name, ">/dev/null").status, p.status) << p.name;
        const Outcome r = run_redirected(closed, p.name, ">&- <&-");
        EXPECT_EQ(r.status, p.status) << p.name << ": " << r.err;
        Files a = read_all(closed), b = read_all(normal);
        for (Files* files : {&a, &b})
            for (auto& [name, text] : *files) text = steady(text);
        EXPECT_EQ(a, b) << p.name;
        const Outcome no_error_stream = run_redirected(closed, p.name, ">&- 2>&-");
        EXPECT_EQ(no_error_stream.status, p.status) << p.name;
    }
}

// An input that is a directory is an input that cannot be read, not an empty one: the run stops
// before any output is touched.
TEST(EveryProgram, AnInputThatCannotBeReadStopsTheRunBeforeAnyOutput) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"lcbuild-bvri", "Eredmeny.txt"}, {"lcbuild-griz", "Eredmeny.txt"},
        {"starcorr", "Eredmeny.txt"},     {"starcal", "Eredmeny.txt"},
        {"starcal", "z-korr.txt"},        {"bandconv", "z-gorbe.txt"},
        {"lcsub", "B-gorbeS.txt"},        {"lcsub-err", "R-gorbeS.txt"},
        {"bolcurve", "I-gorbeA.txt"},     {"specjoin", "fasz"},
        {"snfit", "bol-gorbe.txt"},       {"lcimport", "photometry.csv"},
        {"snpost", "bol-gorbe.txt"},      {"snpost", "parameters.inp"},
    };
    for (const auto& [name, input] : cases) {
        const Program& p = program(name);
        e2e::Scratch s;
        write_all(s, p.inputs);
        fs::remove(s.dir() / input);
        fs::create_directory(s.dir() / input);
        Files earlier = earlier_outputs(p);
        if (name == "bandconv") earlier["szuro.txt"] = "TV[0]=16.298000;\n";
        write_all(s, earlier);
        const e2e::Result r = s.run(name);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(after_announce(p, r.err),
                  name + ": " + input + ": cannot read: Is a directory\n");
        EXPECT_EQ(r.out, "") << name;
        for (const auto& [file, text] : earlier)
            EXPECT_EQ(s.read(file), text) << name << " " << file;
    }
}

// A field that is not a finite number written out whole: a NUL byte inside, infinities, NaN and
// values beyond single precision.
const std::vector<std::string> kNotFinite = {std::string("15.000\0"
                                                         "7",
                                                         8),
                                             "inf", "-inf", "nan", "1e39"};

// In a table (result table, correction file, spectrum, lookup table, parameter file) such a field
// stops the run, naming the file and line, with earlier outputs untouched.
TEST(EveryProgram, ATableFieldThatIsNotAFiniteNumberStopsTheRun) {
    struct Case {
        std::string program, file;
        std::string (*table)(const std::string& field);
        std::string line;
    };
    const std::vector<Case> cases = {
        {"lcbuild-bvri", "Eredmeny.txt",
         [](const std::string& f) { return "0 V 2456790.25 " + f + " 0.01\n"; }, "1"},
        {"starcorr", "Eredmeny.txt",
         [](const std::string& f) { return "1 g 2456790.25 15.1 " + f + "\n"; }, "1"},
        {"starcal", "g-korr.txt",
         [](const std::string& f) { return "56790.25 0.25 0 0.01\n56791.25 " + f + " 0 0.01\n"; },
         "2"},
        {"specjoin", "PSNspectraCut2.txt",
         [](const std::string& f) { return "6500 1e-15\n" + f + " 2e-15\n"; }, "2"},
        {"specjoin", "fasz", [](const std::string& f) { return "6506 " + f + " 0\n"; }, "1"},
        {"lcimport", "photometry.csv",
         [](const std::string& f) { return "mjd,band,mag,mag_err\n56789.1,B," + f + ",0.02\n"; },
         "2"},
    };
    for (const Case& c : cases) {
        for (const std::string& field : kNotFinite) {
            const Program& p = program(c.program);
            e2e::Scratch s;
            write_all(s, p.inputs);
            s.write(c.file, c.table(field));
            const Files earlier = earlier_outputs(p);
            write_all(s, earlier);
            const e2e::Result r = s.run(c.program);
            EXPECT_EQ(r.status, 1) << c.program << " " << c.file << " field " << field;
            EXPECT_EQ(r.err.rfind(c.program + ": " + c.file + ":" + c.line + ": ", 0), 0u)
                << c.program << " field " << field << ": " << r.err;
            for (const auto& [file, text] : earlier)
                EXPECT_EQ(s.read(file), text) << c.program << " " << file;
        }
    }
    for (const std::string& field : {std::string("inf"), std::string("1e400")}) {
        e2e::Scratch s;
        s.write("parameters.inp", e2e::lines({"5e13", "10", "5500", "0.05", "1.5", "1.0", "0", "2",
                                              "0.3", "0", "0", "90000", field}));
        const e2e::Result r = s.run("snmodel");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  "snmodel: parameters.inp:13: parameter 13 (tmax) is not a finite number\n");
        EXPECT_EQ(s.read("kimenet.out"), "");
    }
}

// In a light curve the reading of that file ends at such a row, with a warning naming it; the
// rows before it are used.
TEST(EveryProgram, ALightCurveRowThatIsNotFiniteEndsTheReadingWithAWarning) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"lcsub", "V-gorbeS.txt"}, {"bolcurve", "B-gorbeA.txt"}, {"bandconv", "g-gorbe.txt"}};
    for (const auto& [name, file] : cases) {
        for (const std::string& field : kNotFinite) {
            e2e::Scratch s;
            write_all(s, program(name).inputs);
            s.write(file, "56789.250000 15.000000 0.010000 0.020000\n56790.250000 " + field +
                              " 0.011000 0.021000\n56791.250000 15.2 0.012000 0.022000\n");
            const e2e::Result r = s.run(name);
            EXPECT_EQ(r.status, 0) << name << " field " << field;
            EXPECT_EQ(r.err, name + ": " + file +
                                 ":2: not a row of four numbers; the rest of the file is not "
                                 "read\n")
                << name << " field " << field;
        }
        // The last field of a file without a final line end, too; a row cut short by the end of
        // the file ends the reading silently.
        for (const std::string last : {"inf", "0.022x", "0.02\n56791.25 15.2"}) {
            e2e::Scratch s;
            write_all(s, program(name).inputs);
            s.write(file, "56789.250000 15.000000 0.010000 0.020000\n56790.25 15.1 0.011 " + last);
            const e2e::Result r = s.run(name);
            EXPECT_EQ(r.status, 0) << name << " last field " << last;
            EXPECT_EQ(r.err, last.find('\n') != std::string::npos
                                 ? ""
                                 : name + ": " + file +
                                       ":2: not a row of four numbers; the rest of the file is "
                                       "not read\n")
                << name << " last field " << last;
        }
    }
}

// CR LF line ends (a file written on Windows) read exactly as LF ones.
TEST(EveryProgram, CrLfInputsGiveTheSameRunAsLfInputs) {
    for (const Program& p : programs()) {
        if (p.inputs.empty()) continue;
        e2e::Scratch lf, crlf;
        write_all(lf, p.inputs);
        for (const auto& [name, text] : p.inputs) {
            std::string dos;
            for (char c : text) dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
            crlf.write(name, dos);
        }
        const e2e::Result a = lf.run(p.name), b = crlf.run(p.name);
        EXPECT_EQ(b.status, a.status) << p.name;
        EXPECT_EQ(steady(b.out), steady(a.out)) << p.name;
        EXPECT_EQ(b.err, a.err) << p.name;
        for (const std::string& out : p.outputs)
            EXPECT_EQ(steady(crlf.read(out)), steady(lf.read(out))) << p.name << " " << out;
    }
}

// ---- Bounded under any input; atomic outputs ----

// Runs a program with standard input at end of file under a time limit and, outside the sanitizer
// builds (whose shadow memory needs the address space), a memory limit: a run that does not end
// by itself is killed (status 137).
Outcome run_bounded(const e2e::Scratch& s, const std::string& program,
                    const std::string& args = "") {
#if defined(__SANITIZE_ADDRESS__)
    const std::string memory = "";
#else
    const std::string memory = "ulimit -v 4194304; ";
#endif
    return run_in(s,
                  "(" + memory + "exec timeout -s KILL 20 '" + e2e::program_path(program) + "' " +
                      args + ")",
                  [](const std::string& err) { return " </dev/null >/dev/null 2>'" + err + "'"; });
}

std::string first_line(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// What a failed run must leave: the earlier outputs as they were, and no other file.
void expect_untouched(const e2e::Scratch& s, const Files& earlier,
                      const std::vector<std::string>& listing, const std::string& what) {
    for (const auto& [file, text] : earlier) EXPECT_EQ(s.read(file), text) << what << " " << file;
    EXPECT_EQ(s.files(), listing) << what;
}

// Every reader of every program, on an endless input (a link to /dev/zero) and on a device that
// fails on read (a link to /proc/self/mem): each run ends at once. A NUL byte is not a number:
// a table stops the run, a light curve ends its reading with a warning. A read error stops the
// run, and a run that stops leaves every earlier output as it was and no temporary file behind,
// also where the outputs were opened before the inputs were read.
TEST(EveryProgram, EveryReaderEndsAtOnceOnAnEndlessInputOrAFailingDevice) {
    struct Reader {
        std::string program, input;
        int endless_status;       // on /dev/zero
        std::string endless_line; // the first line on standard error, after "program: "
    };
    const std::string not_four = ":1: not a row of four numbers; the rest of the file is not read";
    const std::string not_identifier = "Eredmeny.txt:1: not a number where the identifier is due";
    std::vector<Reader> readers = {
        {"lcbuild-bvri", "Eredmeny.txt", 1, not_identifier},
        {"lcbuild-griz", "Eredmeny.txt", 1, not_identifier},
        {"starcorr", "Eredmeny.txt", 1, not_identifier},
        {"starcal", "Eredmeny.txt", 1, not_identifier},
        {"starcal", "z-korr.txt", 1,
         "z-korr.txt:1: not a correction line of four numbers (JD, offset, 0, scatter)"},
        {"bandconv", "g-gorbe.txt", 0, "g-gorbe.txt" + not_four},
        {"bandconv", "z-gorbe.txt", 0, "z-gorbe.txt" + not_four},
        {"lcsub", "V-gorbeS.txt", 0, "V-gorbeS.txt" + not_four},
        {"lcsub-err", "B-gorbeS.txt", 0, "B-gorbeS.txt" + not_four},
        {"bolcurve", "B-gorbeA.txt", 0, "B-gorbeA.txt" + not_four},
        {"bolcurve", "I-gorbeA.txt", 0, "I-gorbeA.txt" + not_four},
        {"snmodel", "parameters.inp", 1, "parameters.inp:1: parameter 1 (R0) is not a number"},
        {"snfit", "parameters.inp", 1, "parameters.inp:1: parameter 1 (R0) is not a number"},
        {"snfit", "bol-gorbe.txt", 1,
         "bol-gorbe.txt:1: not a row of three numbers; the rest of the file is not read"},
        {"snpost", "parameters.inp", 1, "parameters.inp:1: parameter 1 (R0) is not a number"},
        {"snpost", "bol-gorbe.txt", 1,
         "bol-gorbe.txt:1: not a row of three numbers; the rest of the file is not read"},
        {"lcimport", "photometry.csv", 1, "photometry.csv:1: a line of more than 65536 characters"},
        {"specjoin", "PSNspectraCut2.txt", 1,
         "PSNspectraCut2.txt:1: not a spectrum point of two numbers"},
        {"specjoin", "fasz", 1, "fasz:1: not a lookup entry of three numbers"},
    };
    for (const Program& p : programs())
        readers.push_back({p.name, "snphot.toml", 1, "snphot.toml: not a regular file"});

    for (const Reader& reader : readers) {
        const Program& p = program(reader.program);
        for (const std::string device : {"/dev/zero", "/proc/self/mem"}) {
            const std::string what = reader.program + " reading " + reader.input + " as " + device;
            e2e::Scratch s;
            write_all(s, p.inputs);
            Files earlier = earlier_outputs(p);
            write_all(s, earlier);
            fs::remove(s.dir() / reader.input);
            fs::create_symlink(device, s.dir() / reader.input);
            const std::vector<std::string> listing = s.files();

            const Outcome r = run_bounded(s, reader.program);
            const bool endless = device == "/dev/zero";
            const bool refused_parameters = reader.input == "parameters.inp";
            const std::string line =
                endless ? reader.endless_line
                        : reader.input +
                              (refused_parameters ? ": cannot be read: " : ": cannot read: ") +
                              "Input/output error";
            EXPECT_EQ(r.status, endless ? reader.endless_status : 1) << what;
            EXPECT_EQ(first_line(after_announce(p, r.err)), reader.program + ": " + line) << what;
            if (r.status == 0) {
                for (const std::string& file : s.files())
                    EXPECT_NE(file[0], '.') << what << ": " << file << " left behind";
                continue;
            }
            if (reader.program == "snmodel" && refused_parameters)
                earlier["kimenet.out"] = ""; // as designed
            expect_untouched(s, earlier, listing, what);
        }
    }
}

// A settings file is a regular file of at most 1 MiB, nested at most 32 levels deep: a device or
// a pipe would never end, and deep nesting would exhaust the parser's stack. Every program, and
// its --print-settings, refuses such a file at once, before it touches any output.
TEST(EveryProgram, ASettingsFileThatIsADeviceOrTooLargeOrTooDeepIsRefusedAtOnce) {
    struct Case {
        std::string what, refusal;
        void (*make)(const fs::path& file);
    };
    const std::vector<Case> cases = {
        {"a link to /dev/zero", "snphot.toml: not a regular file",
         [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }},
        {"a pipe", "snphot.toml: not a regular file",
         [](const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); }},
        {"2 MiB of comments", "snphot.toml: larger than 1 MiB: not a settings file",
         [](const fs::path& f) {
             std::ofstream out(f);
             for (int k = 0; k < 32768; ++k) out << "# " << std::string(61, '-') << "\n";
         }},
        {"a table nested 400,000 levels deep",
         "snphot.toml:1: tables, keys and values nested more than 32 levels deep",
         [](const fs::path& f) {
             std::ofstream out(f);
             out << "[";
             for (int k = 0; k < 400000; ++k) out << "a.";
             out << "a]\n";
         }},
    };
    for (const Program& p : programs()) {
        for (const Case& c : cases) {
            for (const std::string args : {"", "--print-settings"}) {
                const std::string what = p.name + " " + args + " on " + c.what;
                e2e::Scratch s;
                write_all(s, p.inputs);
                const Files earlier = earlier_outputs(p);
                write_all(s, earlier);
                fs::remove(s.dir() / "snphot.toml");
                c.make(s.dir() / "snphot.toml");
                const std::vector<std::string> listing = s.files();
                const Outcome r = run_bounded(s, p.name, args);
                EXPECT_EQ(r.status, 1) << what;
                EXPECT_EQ(r.err, p.name + ": " + c.refusal + "\n") << what;
                expect_untouched(s, earlier, listing, what);
            }
        }
    }
}

// The outputs of a run replace the earlier ones at the end of the run, before its last pause: a
// run ended while it waits for its last key keeps its results; one ended at an earlier pause,
// with its outputs half written, leaves the earlier ones and no temporary file behind.
TEST(EveryProgram, ARunEndedAtAPauseKeepsItsResultsOnlyAtTheLast) {
    for (const auto& [name, pauses] : {std::pair<std::string, int>{"lcbuild-bvri", 3},
                                       std::pair<std::string, int>{"lcsub", 1}}) {
        const Program& p = program(name);
        for (int at = 1; at <= pauses; ++at) {
            e2e::Scratch s;
            write_all(s, p.inputs);
            const Files earlier = earlier_outputs(p);
            write_all(s, earlier);
            const std::vector<std::string> listing = s.files();
            // Standard input is a pipe that stays open: the keys of the pauses before `at`, then
            // nothing, so that the run waits at pause `at` until the signal ends it.
            const fs::path keys = s.dir() / ".keys";
            ASSERT_EQ(mkfifo(keys.c_str(), 0600), 0);
            const int writer = open(keys.c_str(), O_RDWR);
            ASSERT_GE(writer, 0);
            const std::string enters(at - 1, '\n');
            ASSERT_EQ(write(writer, enters.data(), enters.size()),
                      static_cast<ssize_t>(enters.size()));
            const std::string command = "cd '" + s.dir().string() + "' && timeout -s TERM 1 '" +
                                        e2e::program_path(name) + "' <.keys >/dev/null 2>&1";
            const int raw = std::system(command.c_str());
            close(writer);
            fs::remove(keys);
            EXPECT_EQ(WEXITSTATUS(raw), 124) << name << " at pause " << at;
            EXPECT_EQ(s.files(), listing) << name << " at pause " << at;
            for (const auto& [file, text] : earlier) {
                if (at == pauses)
                    EXPECT_NE(s.read(file), text) << name << " at pause " << at << " " << file;
                else
                    EXPECT_EQ(s.read(file), text) << name << " at pause " << at << " " << file;
            }
        }
    }
}

// An output replaced keeps its permissions; through a link, the file linked to is replaced and the
// link stays; a write-protected output is refused as before.
TEST(Outputs, KeepTheirPermissionsAndLinks) {
    const Program& p = program("bolcurve");
    e2e::Scratch s;
    write_all(s, p.inputs);
    s.write("bol-gorbe.txt", "from an earlier run\n");
    fs::permissions(s.dir() / "bol-gorbe.txt", fs::perms(0640));
    ASSERT_EQ(s.run("bolcurve").status, 0);
    EXPECT_EQ(fs::status(s.dir() / "bol-gorbe.txt").permissions(), fs::perms(0640));
    const std::string written = s.read("bol-gorbe.txt");
    EXPECT_NE(written, "from an earlier run\n");

    fs::create_directory(s.dir() / "results");
    fs::rename(s.dir() / "bol-gorbe.txt", s.dir() / "results" / "bol.txt");
    s.write("results/bol.txt", "from an earlier run\n");
    fs::create_symlink("results/bol.txt", s.dir() / "bol-gorbe.txt");
    ASSERT_EQ(s.run("bolcurve").status, 0);
    EXPECT_TRUE(fs::is_symlink(s.dir() / "bol-gorbe.txt"));
    EXPECT_EQ(s.read("results/bol.txt"), written);
    EXPECT_EQ(fs::status(s.dir() / "results" / "bol.txt").permissions(), fs::perms(0640));

    if (geteuid() == 0) return; // root writes through any permission
    fs::remove(s.dir() / "bol-gorbe.txt");
    s.write("bol-gorbe.txt", "from an earlier run\n");
    fs::permissions(s.dir() / "bol-gorbe.txt", fs::perms(0444));
    const e2e::Result r = s.run("bolcurve");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bolcurve: bol-gorbe.txt: cannot open: Permission denied\n");
    EXPECT_EQ(s.read("bol-gorbe.txt"), "from an earlier run\n");
}

// The example script clears its run directory only when it made it.
TEST(ExampleRun, NeverClearsADirectoryItDidNotMake) {
    e2e::Scratch s;
    s.write("thesis.tex", "years of work\n");
    const std::string command = "SNPHOT_BIN='" + std::string(SNPHOT_TEST_BIN_DIR) + "' '" +
                                SNPHOT_SOURCE_DIR + "/examples/run.sh' '" + SNPHOT_SOURCE_DIR +
                                "/examples/campaign' '" + s.dir().string() +
                                "' >/dev/null 2>&1 </dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_EQ(s.read("thesis.tex"), "years of work\n");
    EXPECT_EQ(s.files(), std::vector<std::string>{"thesis.tex"});
}

// At a terminal every pause prompts on standard error; from /dev/null none does (every test above
// checks that standard error stays empty then).
TEST(EveryProgram, APauseAtATerminalSaysWhatItWaitsFor) {
    const std::map<std::string, int> pauses = {
        {"lcbuild-bvri", 3}, {"lcbuild-griz", 3}, {"starcorr", 2},  {"starcal", 4},
        {"bandconv", 1},     {"bandtab", 1},      {"lcsub", 1},     {"lcsub-err", 1},
        {"bolcurve", 1},     {"snmodel", 0},      {"decayheat", 0}, {"specjoin", 0},
        {"cumquad", 1},      {"cumquad2", 1},     {"snfit", 0},     {"lcimport", 0},
        {"snpost", 0}};
    for (const Program& p : programs()) {
        e2e::Scratch s;
        write_all(s, p.inputs);
        // script(1) runs the program on a pseudo-terminal and copies everything it shows.
        // One Enter per pause: script waits for the keys nobody reads.
        std::string keys;
        for (int n = 0; n < pauses.at(p.name); ++n) keys += "\\n";
        const std::string command = "cd '" + s.dir().string() + "' && printf '" + keys +
                                    "' | script -qec '" + e2e::program_path(p.name) +
                                    "' /dev/null >.terminal 2>&1";
        const int raw = std::system(command.c_str());
        ASSERT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, p.status) << p.name;
        const std::string shown = s.read(".terminal");
        int prompts = 0;
        for (std::size_t at = 0;
             (at = shown.find("press Enter to continue", at)) != std::string::npos; ++at)
            ++prompts;
        EXPECT_EQ(prompts, pauses.at(p.name)) << p.name << ":\n" << shown;
    }
}
