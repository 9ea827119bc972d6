// The fit judged as its users judge it: known parameters, seeded noise, starts away from the
// truth; what comes back must hold the truth within its errors.
#include "example_explosion.hpp"
#include "fit.hpp"
#include "synthetic.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace snfit;

namespace {

// An explosion with a plateau of about 130 days, seen from 2 days after it to day 190.
snmodel::ModelState truth_parameters() {
    snmodel::ModelState p = snmodel::example_explosion();
    p.R0 = 2.5e13;
    p.M = 8.0;
    p.Mni = 0.06;
    p.Ek = 1.2;
    return p;
}

constexpr double kExplosion = 57830.3;

// Start values away from the truth: the fit must not owe its result to a lucky start.
snmodel::ModelState start_parameters() {
    snmodel::ModelState p = truth_parameters();
    p.R0 = 5e13;
    p.M = 15.0;
    p.Ek = 2.0;
    p.Mni = 0.1;
    return p;
}

struct Case {
    std::vector<Point> points;
    Values truth;
    FitSettings settings;
};

// Data of the truth with 0.03 mag errors and, like real nights, 0.05 mag more scatter (the
// systematic of the fit); the explosion date bounded by a non-detection 3 days before it and the
// first detection.
Case make_case(std::uint64_t seed, bool velocity) {
    Case c;
    c.truth = values_of(truth_parameters(), kExplosion);
    const double first = kExplosion + 2.0;
    c.points = synthetic_points(c.truth, campaign_dates(kExplosion, first, 190.0, seed), 0.03, 0.05,
                                seed + 1);
    c.settings.bounds[kExplosionDate] = {kExplosion - 3.0, first};
    c.settings.bound_source[kExplosionDate] = "snphot.toml:3";
    if (velocity) {
        const double v = model_velocity(c.truth);
        c.settings.velocity = Velocity{v * 1.02, 0.05 * v}; // measured 1 sigma off, 5% error
    }
    return c;
}

FitResult run_fit(const Problem& problem, int starts = 0, int threads = 2) {
    FitOptions options;
    options.threads = threads;
    options.starts = starts;
    return fit(problem, options);
}

} // namespace

TEST(Recovery, EveryFreeParameterWithinThreeSigmaAndTheNickelWithinFifteenPercent) {
    for (std::uint64_t seed : {11u, 12u}) {
        const Case c = make_case(seed, true);
        const Problem problem =
            make_problem(start_parameters(), "parameters.inp", c.points, c.settings);
        const FitResult r = run_fit(problem, 6);
        SCOPED_TRACE("seed " + std::to_string(seed));
        EXPECT_TRUE(r.converged);
        ASSERT_TRUE(r.covariance);
        for (std::size_t j = 0; j < problem.free.size(); ++j) {
            const int i = problem.free[j].index;
            EXPECT_LE(std::fabs(r.best[i] - c.truth[i]), 3.0 * r.error[j])
                << parameter_info(i).name << " = " << r.best[i] << " +- " << r.error[j];
        }
        EXPECT_NEAR(r.best[kMni] / c.truth[kMni], 1.0, 0.15);
        const double reduced = r.chi2 / problem.degrees_of_freedom();
        EXPECT_GE(reduced, 0.5);
        EXPECT_LE(reduced, 2.0);
        // The fixed parameters are those of the start, untouched.
        for (int i : {kTion, kE, kA, kS, kKappa, kEp, kTp, kAg})
            EXPECT_EQ(r.best[i], problem.start[i]) << parameter_info(i).name;
    }
}

TEST(Degeneracy, RadiusAndThermalEnergyFreedTogetherShowTheirValley) {
    // After the first days the light curve depends on R0 and E almost only through their
    // product: freed together they must come out anticorrelated near -1, with an error of R0
    // far beyond the one it has when E is known.
    const Case c = make_case(21, false);
    FitSettings settings;
    settings.explosion_date = kExplosion;
    settings.explosion_date_source = "snphot.toml:2";
    settings.free = {kR0};
    const Problem alone = make_problem(truth_parameters(), "parameters.inp", c.points, settings);
    settings.free = {kR0, kE};
    const Problem both = make_problem(truth_parameters(), "parameters.inp", c.points, settings);

    const FitResult r_alone = run_fit(alone, 4);
    const FitResult r_both = run_fit(both, 4);
    ASSERT_TRUE(r_alone.covariance);
    ASSERT_TRUE(r_both.covariance);
    EXPECT_LT(r_both.correlation[0][1], -0.9);
    EXPECT_EQ(r_both.correlation[0][1], r_both.correlation[1][0]);
    EXPECT_GT(r_both.error[0], 3.0 * r_alone.error[0]);
    // The valley holds the truth: R0 E is what the data fix.
    EXPECT_NEAR(r_both.best[kR0] * r_both.best[kE] / (c.truth[kR0] * c.truth[kE]), 1.0, 0.2);
}

TEST(Bounds, ABoundThatExcludesTheTruthHoldsTheFitAndIsReported) {
    const Case c = make_case(31, false);
    FitSettings settings;
    settings.explosion_date = kExplosion;
    settings.explosion_date_source = "snphot.toml:2";
    settings.free = {kM, kMni};
    settings.bounds[kMni] = {0.02, 0.04}; // the truth is 0.06
    settings.bound_source[kMni] = "snphot.toml:4";
    snmodel::ModelState start = truth_parameters();
    start.Mni = 0.03;
    const Problem problem = make_problem(start, "parameters.inp", c.points, settings);
    const FitResult r = run_fit(problem, 4);
    EXPECT_EQ(r.best[kMni], 0.04);
    EXPECT_FALSE(r.at_bound[0]);
    EXPECT_TRUE(r.at_bound[1]);
    EXPECT_GE(r.best[kM], parameter_info(kM).default_bound.low);
    EXPECT_LE(r.best[kM], parameter_info(kM).default_bound.high);
}

TEST(Threads, TheResultDoesNotDependOnHowManyThreadsRanTheStarts) {
    const Case c = make_case(41, true);
    FitSettings settings = c.settings;
    settings.free = {kM, kMni};
    settings.explosion_date = kExplosion;
    settings.explosion_date_source = "snphot.toml:2";
    const Problem problem = make_problem(start_parameters(), "parameters.inp", c.points, settings);
    const FitResult one = run_fit(problem, 4, 1);
    const FitResult two = run_fit(problem, 4, 2);
    EXPECT_EQ(one.best, two.best);
    EXPECT_EQ(one.chi2, two.chi2);
    EXPECT_EQ(one.error, two.error);
    EXPECT_EQ(one.model_runs, two.model_runs);
}

TEST(GlobalStarts, TheStartValuesFirstThenAnEvenSpreadOverTheInnerBounds) {
    const Case c = make_case(51, false);
    FitSettings settings = c.settings;
    settings.free = {kExplosionDate, kR0, kM};
    const Problem problem = make_problem(start_parameters(), "parameters.inp", c.points, settings);
    const auto starts = global_starts(problem, 9);
    ASSERT_EQ(starts.size(), 9u);
    // Bounds of the date given without a start value: it starts in their middle (10 days before
    // the first point lies outside them). R0 = 5e13 within [1e12, 5e14] on the log scale.
    EXPECT_DOUBLE_EQ(starts[0][0], 0.5);
    EXPECT_DOUBLE_EQ(starts[0][1], std::log(50.0) / std::log(500.0));
    // Halton points in bases 2, 3, 5: the third is (3/4, 1/9, 3/5) of the inner 90%.
    EXPECT_DOUBLE_EQ(starts[3][0], 0.05 + 0.9 * 0.75);
    EXPECT_DOUBLE_EQ(starts[3][1], 0.05 + 0.9 / 9.0);
    EXPECT_DOUBLE_EQ(starts[3][2], 0.05 + 0.9 * 0.6);
    for (const auto& u : starts)
        for (double x : u) EXPECT_TRUE(x >= 0.0 && x <= 1.0);
}
