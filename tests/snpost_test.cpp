// snpost end to end: the posterior of a light curve made by snmodel itself holds the truth and
// the best fit of snfit, its three files agree with each other; a chain cut short by its budget
// is written with "converged: no" and status 3; and every refusal leaves earlier outputs as they
// were.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using e2e::lines;

const char* const kOutputs[] = {"posterior.txt", "posterior-samples.txt", "posterior-band.txt"};

std::string parameters(const std::string& Tion = "5500", const std::string& Ag = "30000") {
    return lines({"2.5e13", "8", Tion, "0.06", "1.2", "0.5", "0", "2", "0.3", "0", "0", Ag, "200"});
}

constexpr double kExplosion = 57830.3;

std::vector<std::vector<double>> rows_of(const std::string& text) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::vector<double> row;
        for (double x; fields >> x;) row.push_back(x);
        rows.push_back(row);
    }
    return rows;
}

// The first 40 days of the model of parameters() as bolcurve writes them: every third row of
// snmodel (about every 3.5 days) from day 2.3, 0.03 mag off, up and down in turn.
std::string bolometric_curve() {
    e2e::Scratch model;
    model.write("parameters.inp", parameters());
    EXPECT_EQ(model.run("snmodel").status, 0);
    std::string curve;
    const auto rows = rows_of(model.read("kimenet.out"));
    for (std::size_t k = 2, n = 0; k < rows.size() && rows[k][0] < 40.0; k += 3, ++n) {
        char line[80];
        std::snprintf(line, sizeof line, "%f %f %f\n", kExplosion + rows[k][0],
                      4.74 - 2.5 * std::log10(rows[k][1] / 3.828e33) + (n % 2 ? 0.03 : -0.03),
                      0.03);
        curve += line;
    }
    return curve;
}

// The numbers after a parameter's name in the table of posterior.txt: median, the two ends of
// the 68% and of the 95% interval, highest posterior, tau, ESS.
std::vector<double> row_of(const std::string& report, const std::string& name) {
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + " ", 0) != 0) continue;
        for (char& c : line)
            if (c == '[' || c == ']' || c == ',') c = ' ';
        std::istringstream fields(line.substr(name.size()));
        std::vector<double> numbers;
        for (double x; fields >> x;) numbers.push_back(x);
        return numbers;
    }
    return {};
}

double after(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

const std::string kSettings = "[fit]\nfree = [\"R0\"]\nexplosion_date = 57830.3\n"
                              "[posterior]\nwalkers = 8\neffective_samples = 200.0\n";

} // namespace

TEST(Snpost, ThePosteriorHoldsTheTruthAndTheBestFitAndItsFilesAgree) {
    e2e::Scratch s;
    s.write("bol-gorbe.txt", bolometric_curve());
    s.write("parameters.inp", parameters());
    s.write("snphot.toml", kSettings);
    const auto fit = s.run("snfit");
    ASSERT_EQ(fit.status, 0) << fit.err;
    double best_r0 = NAN;
    for (const auto& row : rows_of(s.read("parameters-fit.inp"))) {
        best_r0 = row[0];
        break;
    }
    const auto r = s.run("snpost");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "snpost: settings from snphot.toml\n");
    const std::string report = s.read("posterior.txt");
    EXPECT_NE(report.find("\nconverged: yes\n"), std::string::npos) << report;
    EXPECT_NE(r.out.find("\nconverged: yes\n"), std::string::npos);

    const std::vector<double> r0 = row_of(report, "R0");
    ASSERT_EQ(r0.size(), 8u) << report;
    const double median = r0[0], low68 = r0[1], high68 = r0[2], low95 = r0[3], high95 = r0[4];
    EXPECT_TRUE(low95 < low68 && low68 < median && median < high68 && high68 < high95);
    EXPECT_LE(low95, 2.5e13);
    EXPECT_GE(high95, 2.5e13);
    EXPECT_LE(low68, best_r0);
    EXPECT_GE(high68, best_r0);
    EXPECT_GE(r0[7], 200.0);                           // effective samples
    EXPECT_GE(after(report, "chain: "), 50.0 * r0[6]); // at least 50 tau, after the burn-in too

    // The samples: a header naming the columns, as many rows as the report says, each of finite
    // likelihood and a posterior no higher than the highest the report gives... and the median.
    const std::string samples = s.read("posterior-samples.txt");
    EXPECT_EQ(samples.substr(0, samples.find('\n')), "# R0 log_likelihood log_posterior");
    const auto rows = rows_of(samples);
    const std::size_t stated = report.find(" samples in posterior-samples.txt");
    ASSERT_NE(stated, std::string::npos);
    const std::size_t from = report.rfind(' ', stated - 1) + 1;
    EXPECT_EQ(rows.size(), std::stoul(report.substr(from, stated - from)));
    std::vector<double> values;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_TRUE(std::isfinite(row[1]) && std::isfinite(row[2]));
        values.push_back(row[0]);
    }
    std::sort(values.begin(), values.end());
    EXPECT_NEAR(values[values.size() / 2] / median, 1.0, 1e-3);

    // The band: ordered at every date, the best fit near the median, and the dates a day apart
    // past the last point + 20 days.
    const auto band = rows_of(s.read("posterior-band.txt"));
    ASSERT_GT(band.size(), 30u);
    for (const auto& b : band) {
        ASSERT_EQ(b.size(), 7u);
        EXPECT_TRUE(b[4] <= b[2] && b[2] <= b[1] && b[1] <= b[3] && b[3] <= b[5]) << b[0];
        EXPECT_NEAR(b[6], b[1], 0.1) << b[0];
    }
    EXPECT_DOUBLE_EQ(band[1][0] - band[0][0], 1.0);
}

TEST(Snpost, AChainCutShortByItsBudgetIsWrittenAsNotConvergedWithStatusThree) {
    e2e::Scratch s;
    s.write("bol-gorbe.txt", bolometric_curve());
    s.write("parameters.inp", parameters());
    s.write("snphot.toml", kSettings + "max_model_runs = 408\n");
    for (const char* output : kOutputs) s.write(output, "an earlier run\n");
    const auto r = s.run("snpost");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "snpost: settings from snphot.toml\n"
                     "snpost: posterior.txt: max_model_runs reached before the chain held enough "
                     "independent samples; the outputs hold the chain so far\n");
    const std::string report = s.read("posterior.txt");
    EXPECT_NE(report.find("\nconverged: no\n"), std::string::npos);
    // 8 starts and 50 steps of 8 walkers.
    EXPECT_NE(report.find("chain: 50 steps"), std::string::npos) << report;
    EXPECT_NE(report.find("the sampler 408,"), std::string::npos) << report;
    for (const char* output : kOutputs) EXPECT_NE(s.read(output), "an earlier run\n") << output;
}

TEST(Snpost, RefusalsLeaveTheOutputsOfAnEarlierRunUntouched) {
    const std::string curve = lines(
        {"57832.6 -15.1 0.03", "57838.6 -15.2 0.03", "57844.6 -15.3 0.03", "57850.6 -15.35 0.03",
         "57856.6 -15.4 0.03", "57862.6 -15.4 0.03", "57868.6 -15.45 0.03"});
    const std::string fit = "[fit]\nfree = [\"Mni\"]\nexplosion_date = 57830.0\n";
    const struct {
        std::string file, content; // written over the good inputs ("" removes the file)
        std::string message;
    } cases[] = {
        {"bol-gorbe.txt", "", "bol-gorbe.txt: cannot open: No such file or directory"},
        {"parameters.inp", "", "parameters.inp: cannot open: No such file or directory"},
        // With the recombination temperature above any temperature and no gamma rays kept, the
        // model has no light after its first step: no walker finds a finite posterior.
        {"parameters.inp", parameters("1e30", "0"),
         "bol-gorbe.txt: the sampler cannot leave its start: 8 of the 8 walkers found no "
         "position of finite posterior around the best fit in 100 draws"},
        {"snphot.toml", fit + "[posterior]\nwalkers = 8\nmax_model_runs = 15\n",
         "snphot.toml: [posterior] max_model_runs = 15 leaves the sampler no step to take"},
        {"snphot.toml", fit + "[posterior]\nwalkers = 7\n",
         "snphot.toml: [posterior] walkers = 7: the sampler needs an even number, at least 2 per "
         "sampled parameter + 2 = 4"},
        {"snphot.toml", fit + "priors = 3.0\n",
         "snphot.toml:4: [fit] priors must be a table of number pairs by name"},
        {"snphot.toml", fit + "[posterior]\nwalkers = 8.0\n",
         "snphot.toml:5: [posterior] walkers must be a whole number"},
        {"snphot.toml", fit + "[posterior]\nwalker = 8\n",
         "snphot.toml:5: unknown key \"walker\" in [posterior]"},
        {"snphot.toml", "[fit]\nfree = [\"Mni\"]\npriors = { Tion = [5000.0, 100.0] }\n",
         "snphot.toml:3: [fit] priors.Tion: Tion is not free"},
        {"snphot.toml", "[fit]\nfree = [\"Mni\", \"scatter\"]\npriors = { Mni = [0.05, 0.0] }\n",
         "snphot.toml:3: [fit] priors.Mni: sigma must be positive"},
        {"snphot.toml", "[fit]\nfree = [\"Mni\", \"scatter\"]\nbounds = { scatter = [0.0, 1.0] }\n",
         "snphot.toml:3: [fit] bounds.scatter: must be positive"},
    };
    for (const auto& c : cases) {
        e2e::Scratch s;
        s.write("bol-gorbe.txt", curve);
        s.write("parameters.inp", parameters());
        s.write("snphot.toml", fit + "[posterior]\nwalkers = 8\n");
        for (const char* output : kOutputs) s.write(output, "an earlier run\n");
        if (c.content.empty())
            std::remove((s.dir() / c.file).c_str());
        else
            s.write(c.file, c.content);
        const auto r = s.run("snpost");
        EXPECT_EQ(r.status, 1) << c.message;
        const std::string used = "snpost: settings from snphot.toml\n";
        const std::string err = r.err.rfind(used, 0) == 0 ? r.err.substr(used.size()) : r.err;
        EXPECT_EQ(err, "snpost: " + c.message + "\n");
        for (const char* output : kOutputs)
            EXPECT_EQ(s.read(output), "an earlier run\n") << output << ": " << c.message;
    }
}

// An uncertain distance in [bolometric] is sampled as one more parameter, the shift of the
// distance modulus (5 / ln 10 x 10% = 0.2171 mag), named in every output.
TEST(Snpost, AnUncertainDistanceIsSampledAsTheShiftOfTheDistanceModulus) {
    e2e::Scratch s;
    s.write("bol-gorbe.txt", bolometric_curve());
    s.write("parameters.inp", parameters());
    s.write("snphot.toml",
            kSettings + "[bolometric]\ndistance_pc = 1.0e7\ndistance_pc_sigma = 1.0e6\n");
    const auto r = s.run("snpost");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string report = s.read("posterior.txt");
    EXPECT_NE(report.find("distance: uncertain by 0.2171 mag in distance modulus"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\ndistance_modulus uniform in [-1.73718, 1.73718], times a Gaussian 0 "
                          "+- 0.217147 mag\n"),
              std::string::npos)
        << report;
    const std::vector<double> shift = row_of(report, "distance_modulus");
    ASSERT_EQ(shift.size(), 8u) << report;
    EXPECT_TRUE(shift[3] < 0.0 && 0.0 < shift[4]) << report; // the truth within the 95% interval
    const std::string samples = s.read("posterior-samples.txt");
    EXPECT_EQ(samples.substr(0, samples.find('\n')),
              "# R0 distance_modulus log_likelihood log_posterior");
}
