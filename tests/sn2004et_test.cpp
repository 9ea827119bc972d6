// SN 2004et, the real supernova of examples/sn2004et, reduced end to end with the example's own
// settings: lcimport writes its B V R I light curves with the sources aligned, bolcurve its
// bolometric light curve, snfit fits the model. Once more without align_sources, to show what the
// alignment is for. One process, so that the two reductions run once for all their checks.
#include "e2e.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(SNPHOT_SOURCE_DIR) / "examples" / "sn2004et";

// The explosion lies between the last image without the supernova, MJD 53267.655, and the first
// detection, MJD 53270.983 (IAU Circular 8413); JD - 2400000 = MJD + 0.5.
constexpr double kLastNonDetection = 53268.155;
constexpr double kFirstDetection = 53271.483;
// The published nickel mass, 0.06 +- 0.02 M_sun (Sahu et al. 2006; Maguire et al. 2010 find
// about 0.06 too).
constexpr double kPublishedNickel = 0.06;
constexpr double kPublishedNickelError = 0.02;

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Row {
    double time, mag, error;
};

std::vector<Row> bolometric_rows(const std::string& text) {
    std::vector<Row> rows;
    std::istringstream in(text);
    for (Row r; in >> r.time >> r.mag >> r.error;) rows.push_back(r);
    return rows;
}

// The best value and 1 sigma of a parameter in the table of fit.txt (no sigma, NaN, for a
// parameter held at a bound).
struct Estimate {
    double value = NAN, sigma = NAN;
};

Estimate parameter(const std::string& report, const std::string& name) {
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string first;
        Estimate e;
        if (!(in >> first) || first != name || !(in >> e.value)) continue;
        if (!(in >> e.sigma)) e.sigma = NAN;
        return e;
    }
    ADD_FAILURE() << "no row " << name << " in fit.txt";
    return {};
}

double reduced_chi2(const std::string& report) {
    const std::string key = "\nreduced chi2: ";
    const auto at = report.find(key);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no reduced chi2 in fit.txt";
        return NAN;
    }
    return std::stod(report.substr(at + key.size()));
}

// One reduction of the example in a scratch directory: lcimport, bolcurve, snfit.
struct Reduction {
    e2e::Scratch s;
    std::string bolometric, report;
    explicit Reduction(bool align) {
        std::string settings = slurp(kExample / "snphot.toml");
        const std::string on = "align_sources = true";
        const auto at = settings.find(on);
        if (at == std::string::npos) {
            ADD_FAILURE() << "the example's snphot.toml does not align the sources";
            return;
        }
        if (!align) settings.replace(at, on.size(), "align_sources = false");
        s.write("snphot.toml", settings);
        s.write("photometry.csv", slurp(kExample / "photometry.csv"));
        s.write("parameters.inp", slurp(kExample / "parameters.inp"));
        for (const char* program : {"lcimport", "bolcurve", "snfit"}) {
            const e2e::Result r = s.run(program);
            EXPECT_EQ(r.status, 0) << program << ": " << r.err;
            if (r.status != 0) return;
        }
        bolometric = s.read("bol-gorbe.txt");
        report = s.read("fit.txt");
    }
};

const Reduction& aligned() {
    static const Reduction r(true);
    return r;
}

const Reduction& unaligned() {
    static const Reduction r(false);
    return r;
}

// Neighbouring nights (at most 3 days apart) where the light curve itself is flat: the straight
// line through the points within 10 days of the pair changes by less than 0.01 mag a day (the
// plateau; the drop from it and the radioactive tail, 0.01 mag a day and more, are not flat).
// Returns the pairs whose difference, beyond that line's change, exceeds 0.1 mag and three times
// their combined uncertainty; counts the flat pairs.
std::vector<std::string> jumps_where_flat(const std::vector<Row>& rows, int& flat_pairs) {
    std::vector<std::string> jumps;
    flat_pairs = 0;
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const Row& a = rows[k - 1];
        const Row& b = rows[k];
        if (b.time - a.time > 3) continue;
        const double middle = (a.time + b.time) / 2;
        double n = 0, st = 0, sm = 0, stt = 0, stm = 0;
        for (const Row& r : rows)
            if (std::fabs(r.time - middle) <= 10)
                n += 1, st += r.time, sm += r.mag, stt += r.time * r.time, stm += r.time * r.mag;
        if (n < 4) continue;
        const double slope = (stm - st * sm / n) / (stt - st * st / n);
        if (std::fabs(slope) >= 0.01) continue;
        ++flat_pairs;
        const double jump = (b.mag - a.mag) - slope * (b.time - a.time);
        const double sigma = std::hypot(a.error, b.error);
        if (std::fabs(jump) > std::max(0.1, 3 * sigma))
            jumps.push_back(std::to_string(a.time) + " -> " + std::to_string(b.time) + ": " +
                            std::to_string(jump) + " mag");
    }
    return jumps;
}

TEST(SN2004et, AlignedSourcesGiveABolometricCurveWithoutJumpsWhereItIsFlat) {
    const std::vector<Row> rows = bolometric_rows(aligned().bolometric);
    ASSERT_GT(rows.size(), 100u);
    int flat = 0;
    EXPECT_EQ(jumps_where_flat(rows, flat), std::vector<std::string>{});
    EXPECT_GE(flat, 20) << "too few flat neighbouring nights to judge";
    // Without the alignment, the source 0.5-1.4 mag brighter makes the plateau jump.
    int unaligned_flat = 0;
    EXPECT_FALSE(jumps_where_flat(bolometric_rows(unaligned().bolometric), unaligned_flat).empty());
}

TEST(SN2004et, TheFitFindsThePublishedNickelMassInsideTheExplosionBounds) {
    const std::string& report = aligned().report;
    ASSERT_FALSE(report.empty());
    const Estimate nickel = parameter(report, "Mni");
    ASSERT_TRUE(std::isfinite(nickel.sigma)) << "Mni has no error in fit.txt";
    EXPECT_LE(std::fabs(nickel.value - kPublishedNickel),
              std::hypot(nickel.sigma, kPublishedNickelError))
        << "Mni = " << nickel.value << " +- " << nickel.sigma;
    const Estimate date = parameter(report, "explosion_date");
    EXPECT_GE(date.value, kLastNonDetection);
    EXPECT_LE(date.value, kFirstDetection);
    // The alignment lowers the reduced chi2: the offsets between the sources are not the model's.
    const double with = reduced_chi2(report);
    const double without = reduced_chi2(unaligned().report);
    RecordProperty("reduced_chi2_aligned", std::to_string(with));
    RecordProperty("reduced_chi2_unaligned", std::to_string(without));
    EXPECT_LT(with, without);
}

} // namespace
