// cumquad and cumquad2: the whole console output against values worked out independently, and
// the total against a fine-grid integral of the absolute value of the profile.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

struct Gaussians {
    double A1, s1, A2, s2;
};

// Midpoint rule on 0.001-angstrom cells over 5000-8000 angstrom.
double fine_grid_integral(const Gaussians& g) {
    const double absorption_centre = 6563 * (1 - 13.0 / 300);
    const int cells = 3000000;
    const double width = 3000.0 / cells;
    double sum = 0;
    for (int i = 0; i < cells; ++i) {
        const double x = 5000 + (i + 0.5) * width;
        const double e = (x - 6563) / g.s1, a = (x - absorption_centre) / g.s2;
        sum += std::fabs(g.A1 * std::exp(-e * e / 2) - g.A2 * std::exp(-a * a / 2));
    }
    return sum * width;
}

double printed_total(const std::string& out) {
    const auto at = out.rfind("\nInt: ");
    double total = 0;
    if (at == std::string::npos || std::sscanf(out.c_str() + at, "\nInt: %lf", &total) != 1)
        ADD_FAILURE() << "no total in " << out;
    return total;
}

TEST(Cumquad, PrintsTheFirstEmissionAndTheTotal) {
    e2e::Scratch s;
    const e2e::Result r = s.run("cumquad");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "\nInt @ 6417.600000: 15.398189\n\n\nInt: 39.973597\n done\n");
    EXPECT_TRUE(s.files().empty());
    const double fine = fine_grid_integral({0.133397, 79.6099, 0.0756086, 92.0272});
    EXPECT_NEAR(printed_total(r.out) / fine, 1, 1e-6);
}

TEST(Cumquad, SecondBuildUsesItsOwnGaussians) {
    e2e::Scratch s;
    const e2e::Result r = s.run("cumquad2");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "\nInt @ 6368.900000: 5.066991\n\n\nInt: 42.160779\n done\n");
    EXPECT_TRUE(s.files().empty());
    const double fine = fine_grid_integral({0.174358, 87.0105, 0.0382968, 62.4979});
    EXPECT_NEAR(printed_total(r.out) / fine, 1, 1e-6);
}

} // namespace
