// snfit end to end: a bolometric light curve made by snmodel itself, fitted, and the best model
// run through snmodel again; and every way the inputs can be refused.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::lines;

const char* const kOutputs[] = {"fit.txt", "parameters-fit.inp", "fit-model.txt",
                                "fit-residuals.txt"};

// The thirteen numbers of parameters.inp: an explosion with a plateau of about 130 days.
std::string parameters(const std::string& M = "8", const std::string& Mni = "0.06",
                       const std::string& Tion = "5500", const std::string& Ag = "30000",
                       const std::string& tmax = "200") {
    return lines({"2.5e13", M, Tion, Mni, "1.2", "0.5", "0", "2", "0.3", "0", "0", Ag, tmax});
}

double magnitude(double Lsn) {
    return 4.74 - 2.5 * std::log10(Lsn / 3.828e33);
}

struct Row {
    double t, Lsn;
};

std::vector<Row> model_rows(const std::string& kimenet) {
    std::istringstream in(kimenet);
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Row r;
        std::istringstream(line) >> r.t >> r.Lsn;
        rows.push_back(r);
    }
    return rows;
}

constexpr double kExplosion = 57830.3;

// A bolometric light curve of the model of parameters(), as bolcurve writes it: every fifth row
// of snmodel (about every 6 days) from day 2.3, 0.03 mag off, up and down in turn.
std::string bolometric_curve() {
    e2e::Scratch model;
    model.write("parameters.inp", parameters());
    EXPECT_EQ(model.run("snmodel").status, 0);
    const std::vector<Row> rows = model_rows(model.read("kimenet.out"));
    std::string curve;
    for (std::size_t k = 2, n = 0; k < rows.size(); k += 5, ++n) {
        char line[80];
        std::snprintf(line, sizeof line, "%f %f %f\n", kExplosion + rows[k].t,
                      magnitude(rows[k].Lsn) + (n % 2 ? 0.03 : -0.03), 0.03);
        curve += line;
    }
    return curve;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// The value of a parameter in the table of fit.txt.
double reported(const std::string& report, const std::string& name) {
    for (const std::string& line : lines_of(report)) {
        std::istringstream in(line);
        std::string first;
        double value;
        if (in >> first >> value && first == name) return value;
    }
    return NAN;
}

} // namespace

TEST(Snfit, FitsTheModelAndSnmodelReproducesTheBestModelFromItsParameters) {
    const std::string curve = bolometric_curve();
    const std::vector<std::string> points = lines_of(curve);
    e2e::Scratch s;
    s.write("bol-gorbe.txt", curve);
    s.write("parameters.inp", parameters("12", "0.1")); // the start, away from the truth
    s.write("snphot.toml", "[fit]\n"
                           "free = [\"explosion_date\", \"M\", \"Mni\"]\n"
                           "bounds = { explosion_date = [57828.0, 57832.6] }\n"
                           "dates = [57833.0, 58100.0]\n");
    const auto r = s.run("snfit");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "snfit: settings from snphot.toml\n");
    const std::vector<std::string> console = lines_of(r.out);
    ASSERT_GE(console.size(), 4u);
    EXPECT_EQ(console[0], "snfit: " + std::to_string(points.size()) + " points in bol-gorbe.txt, " +
                              std::to_string(points.size() - 1) + " in the fit; 3 free parameters");
    EXPECT_EQ(console[1].rfind("global stage: 10 starts done on ", 0), 0u) << console[1];
    EXPECT_EQ(console[2].rfind("local stage: the best 3 starts refined, chi2 ", 0), 0u);
    EXPECT_NE(r.out.find("\nconverged: yes\n"), std::string::npos);

    // The fixed values pass through untouched; tmax reaches 20 days past the last point.
    const std::string report = s.read("fit.txt");
    EXPECT_NE(report.find("\nconverged: yes\n"), std::string::npos);
    const double explosion = reported(report, "explosion_date");
    EXPECT_NEAR(explosion, kExplosion, 2.0);
    const std::vector<std::string> best = lines_of(s.read("parameters-fit.inp"));
    ASSERT_EQ(best.size(), 13u);
    const std::vector<std::string> fixed = {"2.5e+13", "",  "5500", "",  "1.2", "0.5",
                                            "0",       "2", "0.3",  "0", "0",   "30000"};
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        if (fixed[i].empty()) continue;
        EXPECT_EQ(best[i], fixed[i]) << "line " << i + 1;
    }
    EXPECT_NEAR(std::stod(best[1]), 8.0, 0.8);
    EXPECT_NEAR(std::stod(best[3]), 0.06, 0.009);
    double last = 0;
    std::sscanf(points.back().c_str(), "%lf", &last);
    EXPECT_NEAR(std::stod(best[12]), last + 20.0 - explosion, 1e-5);

    // Every point in the residuals, the first one outside the dates of the fit.
    const std::vector<std::string> residuals = lines_of(s.read("fit-residuals.txt"));
    ASSERT_EQ(residuals.size(), points.size() + 1); // and a header
    for (std::size_t i = 0; i < points.size(); ++i) {
        double date, mag, error, sigma, model, normalised;
        int in_fit;
        std::sscanf(points[i].c_str(), "%lf %lf %lf", &date, &mag, &error);
        ASSERT_EQ(std::sscanf(residuals[i + 1].c_str(), "%*f %*f %lf %lf %lf %d", &sigma, &model,
                              &normalised, &in_fit),
                  4);
        EXPECT_NEAR(sigma, std::hypot(0.03, 0.05), 1e-6);
        EXPECT_NEAR(normalised, (mag - model) / sigma, 1e-3);
        EXPECT_EQ(in_fit, i == 0 ? 0 : 1) << residuals[i + 1];
    }

    // snmodel on parameters-fit.inp gives the model of fit-model.txt at each of its rows.
    e2e::Scratch again;
    again.write("parameters.inp", s.read("parameters-fit.inp"));
    ASSERT_EQ(again.run("snmodel").status, 0);
    std::vector<std::pair<double, double>> curve_rows; // date, magnitude
    for (const std::string& line : lines_of(s.read("fit-model.txt"))) {
        double date, mag;
        if (std::sscanf(line.c_str(), "%lf %lf", &date, &mag) == 2)
            curve_rows.push_back({date, mag});
    }
    const std::vector<Row> rows = model_rows(again.read("kimenet.out"));
    ASSERT_GT(rows.size(), 100u);
    // Every step, snmodel every fifth from the first.
    EXPECT_GE(curve_rows.size(), 5 * rows.size() - 4);
    EXPECT_LE(curve_rows.size(), 5 * rows.size());
    for (const Row& row : rows) {
        const double date = explosion + row.t;
        const auto at =
            std::min_element(curve_rows.begin(), curve_rows.end(), [&](auto& a, auto& b) {
                return std::fabs(a.first - date) < std::fabs(b.first - date);
            });
        ASSERT_LT(std::fabs(at->first - date), 2e-6) << "day " << row.t;
        EXPECT_NEAR(at->second, magnitude(row.Lsn), 1e-3) << "day " << row.t;
    }
}

TEST(Snfit, RefusedInputsLeaveTheOutputsUntouched) {
    const std::string curve = lines(
        {"57832.6 -15.1 0.03", "57838.6 -15.2 0.03", "57844.6 -15.3 0.03", "57850.6 -15.35 0.03",
         "57856.6 -15.4 0.03", "57862.6 -15.4 0.03", "57868.6 -15.45 0.03"});
    const struct {
        std::string file, content; // written over the good inputs ("" removes the file)
        std::string message;
    } cases[] = {
        {"bol-gorbe.txt", "", "bol-gorbe.txt: cannot open: No such file or directory"},
        {"parameters.inp", "", "parameters.inp: cannot open: No such file or directory"},
        {"parameters.inp", lines({"2.5e13", "8", "5500"}),
         "parameters.inp: parameter 4 (Mni) is missing: the file holds 3 of the 13 numbers"},
        {"bol-gorbe.txt", lines({"57832.6 -15.1 0.03", "57838.6 -15.2 0.03", "57844.6 x 0.03"}),
         "bol-gorbe.txt:3: not a row of three numbers; the rest of the file is not read\n"
         "snfit: bol-gorbe.txt: 2 data points in the fit for 5 free parameters: at least 6 are "
         "needed"},
        {"snphot.toml", "[fit]\nfre = [\"M\"]\n", "snphot.toml:2: unknown key \"fre\" in [fit]"},
        {"snphot.toml", "[fit]\nfree = [\"M\", \"Rzero\"]\n",
         "snphot.toml:2: [fit] free: \"Rzero\" is not one of \"R0\", \"M\", \"Tion\", \"Mni\", "
         "\"Ek\", \"E\", \"a\", \"s\", \"kappa\", \"Ep\", \"tp\", \"Ag\", \"explosion_date\", "
         "\"scatter\""},
        {"snphot.toml", "[fit]\nfree = [\"M\", \"M\"]\n",
         "snphot.toml:2: [fit] free names \"M\" twice"},
        {"snphot.toml", "[fit]\nsystematic = \"0.05\"\n",
         "snphot.toml:2: [fit] systematic must be a number"},
        {"snphot.toml", "[fit]\n\nsystematic = inf\n",
         "snphot.toml:3: [fit] systematic must be a finite number"},
        {"snphot.toml", "[fit]\nvelocity = [4000.0]\n",
         "snphot.toml:2: [fit] velocity must be an array of 2 numbers"},
        {"snphot.toml", "[fit]\nvelocity = [4000.0, 0]\n",
         "snphot.toml:2: [fit] velocity: sigma must be positive"},
        {"snphot.toml", "[fit]\nbounds = { R0 = [1e13, 2e13] }\n",
         "snphot.toml:2: [fit] bounds.R0 = [1e+13, 2e+13] do not contain the start value 2.5e+13 "
         "(parameters.inp)"},
        {"snphot.toml", "[fit]\nbounds = { Mni = [0.1, 0.01] }\n",
         "snphot.toml:2: [fit] bounds.Mni: low must be below high"},
        {"snphot.toml", "[fit]\ndates = [57840.0, 57830.0]\n",
         "snphot.toml:2: [fit] dates: the first date is after the last"},
        {"snphot.toml", "[fit]\nfree = [\"M\"]\nbounds = { Mni = [0.01, 0.1] }\n",
         "snphot.toml:3: [fit] bounds.Mni: Mni is not free (bounds hold free parameters only)"},
        {"snphot.toml", "[fit]\nfree = []\n", "snphot.toml:2: [fit] free names no parameter"},
        {"snphot.toml", "fit = 3\n", "snphot.toml:1: [fit] must be a table"},
        // A full JD among the dates would make every model run integrate for millions of days.
        {"bol-gorbe.txt",
         lines({"57832.6 -15.1 0.03", "57838.6 -15.2 0.03", "57844.6 -15.3 0.03",
                "57850.6 -15.35 0.03", "57856.6 -15.4 0.03", "2457862.6 -15.4 0.03"}),
         "bol-gorbe.txt:6: JD-2400000 2457862.6 is more than 3000 days after the latest explosion "
         "date of the fit, 57832.6 (a full JD?)"},
    };
    for (const auto& c : cases) {
        e2e::Scratch s;
        s.write("bol-gorbe.txt", curve);
        s.write("parameters.inp", parameters());
        for (const char* output : kOutputs) s.write(output, "an earlier fit\n");
        if (c.content.empty())
            std::remove((s.dir() / c.file).c_str());
        else
            s.write(c.file, c.content);
        const auto r = s.run("snfit");
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(r.out, "");
        // A fault of the [fit] table itself stops the run before the file is announced as used.
        const std::string used = "snfit: settings from snphot.toml\n";
        const std::string err = r.err.rfind(used, 0) == 0 ? r.err.substr(used.size()) : r.err;
        EXPECT_EQ(err, "snfit: " + c.message + "\n");
        for (const char* output : kOutputs) EXPECT_EQ(s.read(output), "an earlier fit\n") << output;
    }
}

TEST(Snfit, SettingsThatAreNotTomlAreRefusedWithTheirLine) {
    e2e::Scratch s;
    s.write("bol-gorbe.txt", "57832.6 -15.1 0.03\n");
    s.write("parameters.inp", parameters());
    s.write("snphot.toml", "[fit]\nfree = [\"M\"\n");
    const auto r = s.run("snfit");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("snfit: snphot.toml:2: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_FALSE(s.exists("fit.txt"));
}

TEST(Snfit, AModelWithoutLightIsRefusedAndLeavesTheEarlierOutputs) {
    // With the recombination temperature above any temperature and no gamma rays kept (Ag = 0),
    // the model has no light after the first step: its magnitude is inf, which no output holds.
    e2e::Scratch s;
    s.write("bol-gorbe.txt",
            lines({"57832.6 -15.1 0.03", "57838.6 -15.2 0.03", "57844.6 -15.3 0.03"}));
    s.write("parameters.inp", parameters("8", "0.06", "1e30", "0"));
    s.write("snphot.toml", "[fit]\nfree = [\"M\"]\nexplosion_date = 57830.0\n");
    for (const char* output : kOutputs) s.write(output, "an earlier fit\n");
    const auto r = s.run("snfit");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "snfit: settings from snphot.toml\nsnfit: fit-model.txt: the best model's "
                     "magnitude at JD-2400000 57830.000000 is not a finite number: the model gives "
                     "no light there; nothing is written\n");
    for (const char* output : kOutputs) EXPECT_EQ(s.read(output), "an earlier fit\n") << output;
}

TEST(Snfit, BoundsNarrowerThanADerivativeStepStillGiveAFitAndAtLeastNoIteration) {
    // The step of a derivative, 1% of the nickel mass, is wider than these bounds: it is capped by
    // them, so that the fit still finds its way, and never reports -1 iterations.
    e2e::Scratch s;
    s.write("bol-gorbe.txt", bolometric_curve());
    s.write("parameters.inp", parameters("8", "0.05"));
    s.write("snphot.toml", "[fit]\nfree = [\"Mni\"]\nexplosion_date = 57830.3\n"
                           "bounds = { Mni = [0.0499, 0.0501] }\n");
    const auto r = s.run("snfit");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> console = lines_of(r.out);
    ASSERT_GE(console.size(), 3u);
    EXPECT_EQ(console[2].find("inf"), std::string::npos) << console[2];
    EXPECT_EQ(console[2].find("-1 iterations"), std::string::npos) << console[2];
    // The truth, 0.06, lies above the bounds: the fit ends on the upper one, reported as such.
    const std::string report = s.read("fit.txt");
    EXPECT_NE(report.find("\nMni              0.0501           at a bound   M_sol\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\nat a bound, held there for the errors of the others: Mni (one-sided "
                          "interval: snpost)\n"),
              std::string::npos);
}

TEST(Snfit, AnUnknownArgumentGetsTheUsageLine) {
    e2e::Scratch s;
    const auto r = s.run("snfit", "--threads 2");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "usage: snfit [--settings FILE] [--print-settings] | --help | --version\n");
    EXPECT_TRUE(s.files().empty());
}
