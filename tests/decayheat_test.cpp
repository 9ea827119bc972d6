// decayheat: the decay table "numNi.txt" against values worked out independently (an emulation of
// the Euler loop in double precision, and the analytic two-step decay solution).
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string row; std::getline(in, row);) rows.push_back(row);
    return rows;
}

struct Line {
    double t, m, S, Ni, Co, Fe, dNi, dCo;
};

Line parse(const std::string& row) {
    Line l{};
    EXPECT_EQ(std::sscanf(row.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf", &l.t, &l.m, &l.S, &l.Ni,
                          &l.Co, &l.Fe, &l.dNi, &l.dCo),
              8)
        << row;
    return l;
}

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

std::string run_table() {
    e2e::Scratch s;
    const e2e::Result r = s.run("decayheat");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    return s.read("numNi.txt");
}

const double kN0 = 1.2e30;
const double kLambdaNi = std::log(2.0) / 6.075;
const double kLambdaCo = std::log(2.0) / 77;

TEST(Decayheat, WritesThreeThousandLinesEveryTenthOfADay) {
    const std::string table = run_table();
    const auto rows = split_lines(table);
    ASSERT_EQ(rows.size(), 3000u);
    EXPECT_EQ(table.back(), '\n');
    for (std::size_t k = 0; k < rows.size(); ++k) {
        char t[32];
        std::snprintf(t, sizeof t, "%.6f ", k / 10.0);
        ASSERT_EQ(rows[k].rfind(t, 0), 0u) << "line " << k + 1 << ": " << rows[k];
    }
    // First line: t = 0, the masses after the first step, the rates at its start.
    EXPECT_EQ(rows[0], "0.000000 -12.962725 4.667560e+33 1.199863e+30 1.369180e+26 0.000000e+00 "
                       "-1.369180e+29 1.369180e+29");
    EXPECT_EQ(rows[1], "0.100000 -12.952511 4.623858e+33 1.186250e+30 1.374392e+28 6.199029e+24 "
                       "-1.353645e+29 1.352420e+29");
    EXPECT_EQ(rows[100], "10.000000 -12.052199 2.017807e+33 3.833370e+29 7.744502e+29 "
                         "4.221275e+28 -4.374310e+28 3.677190e+28");
    EXPECT_EQ(rows[1000], "100.000000 -10.181196 3.601458e+32 1.329299e+25 5.295501e+29 "
                          "6.704366e+29 -1.516881e+24 -4.765489e+27");
    EXPECT_EQ(rows[2999], "299.900000 -8.227298 5.955513e+31 1.650290e+15 8.758107e+28 "
                          "1.112419e+30 -1.883168e+14 -7.884041e+26");
    // The whole file, against the same independent emulation: its length and FNV-1a hash.
    EXPECT_EQ(table.size(), 302844u);
    EXPECT_EQ(fnv1a(table), 0x7b09c1ca0be80f8bULL);
}

// The Euler steps of 0.001 day follow the analytic solution of the two-step decay: cobalt, iron
// and the heating to about 1e-4; nickel, which decays fastest, to within the first-order error of
// the method, lambda^2 h t / 2 (7e-5 at 10 days, 2e-3 at 300 days).
TEST(Decayheat, FollowsTheAnalyticTwoStepDecay) {
    const auto rows = split_lines(run_table());
    ASSERT_EQ(rows.size(), 3000u);
    for (int tenth : {100, 1000, 2999}) {
        const Line l = parse(rows[tenth]);
        const double T = tenth / 10.0 + 0.001; // the masses are those at the end of the step
        const double Ni = kN0 * std::exp(-kLambdaNi * T);
        const double Co = kN0 * kLambdaNi / (kLambdaCo - kLambdaNi) *
                          (std::exp(-kLambdaNi * T) - std::exp(-kLambdaCo * T));
        const double Fe = kN0 - Ni - Co;
        const double S = 3890 * Ni + 680 * Co;
        SCOPED_TRACE(rows[tenth]);
        EXPECT_NEAR(l.Co / Co, 1, 1e-4);
        EXPECT_NEAR(l.Fe / Fe, 1, 1e-4);
        EXPECT_NEAR(l.S / S, 1, 1e-4);
        EXPECT_NEAR(l.m, -2.5 * std::log10(S) + 71.21, 1e-4);
        const double euler_error = kLambdaNi * kLambdaNi * 0.001 * T / 2;
        EXPECT_NEAR(l.Ni / Ni, 1, std::max(1e-4, 1.1 * euler_error));
        EXPECT_LT(l.Ni, Ni); // explicit Euler overshoots the decay
    }
}

TEST(Decayheat, ATableThatCannotBeCreatedIsReported) {
    e2e::Scratch s;
    std::filesystem::create_directory(s.dir() / "numNi.txt");
    const e2e::Result r = s.run("decayheat");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "decayheat: numNi.txt: cannot open: Is a directory\n");
}

TEST(Decayheat, AFailedWriteIsNotReportedAsSuccess) {
    e2e::Scratch s;
    std::filesystem::create_symlink("/dev/full", s.dir() / "numNi.txt");
    const e2e::Result r = s.run("decayheat");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "decayheat: numNi.txt: cannot write: No space left on device\n");
}

} // namespace
