#include "model.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace snmodel;

namespace {

constexpr double kPi = 3.141592653589793;

double sinc(double x) {
    return std::sin(kPi * x) / (kPi * x);
}

} // namespace

TEST(Profiles, PsiIsSincWithAnExactZeroAtTheSurfaceAndOneAtAndBelowTheCentre) {
    EXPECT_EQ(psi(1.0), 0.0);
    EXPECT_EQ(psi(0.0), 1.0);
    EXPECT_EQ(psi(-0.3), 1.0);
    EXPECT_DOUBLE_EQ(psi(0.5), 2.0 / kPi);
    EXPECT_LT(psi(1.0001), 0.0); // beyond the surface the profile turns negative
}

TEST(Profiles, DensityShapesAreFlatInsideTheCoreAndFallOutside) {
    EXPECT_EQ(eta(0.39, 5.0), 1.0);
    EXPECT_EQ(eta(0.4, 5.0), 1.0);
    EXPECT_DOUBLE_EQ(eta(0.9, 2.0), std::exp(-1.0));
    EXPECT_EQ(theta(0.39, 2.0), 1.0);
    EXPECT_DOUBLE_EQ(theta(0.4, 2.0), 1.0);
    EXPECT_DOUBLE_EQ(theta(0.8, 2.0), 0.25);
    EXPECT_DOUBLE_EQ(theta(1.0, 3.5), std::pow(2.5, -3.5));
}

TEST(Profiles, SeriesFollowsSincWithinItsFirstOmittedTerm) {
    EXPECT_EQ(series(0.0), 1.0);
    // The Taylor polynomial to u^8 of sin(u)/u errs by less than u^10/11! (alternating series).
    for (double x = 0.4; x <= 1.0; x += 0.05) {
        const double u = kPi * x;
        const double bound = std::pow(u, 10) / 39916800.0;
        EXPECT_NEAR(series(x), sinc(x), bound * 1.0001 + 1e-15) << "x = " << x;
        EXPECT_GT(series(x), sinc(x)) << "x = " << x; // the omitted u^10 term is negative
    }
    EXPECT_NEAR(series(0.4), sinc(0.4), 3e-7);
}

TEST(ShapeIntegrals, RunOneWholePanelPastTheUpperLimit) {
    // Simpson is exact for x^2, and the 10001st panel ends at 1.0001: the uniform envelope gives
    // 1.0001^3/3 and (to rounding of the rule) 1.0001^5/5, about 1/3 and 1/5.
    EXPECT_NEAR(IM_int(1.0, 0.0, 2.0), 0.33343334333366664, 1e-12);
    EXPECT_NEAR(IM_int(1.0, 0.0, 4.0), 0.20010002000200008, 1e-12);
    // Exponential envelope a = 3, against a fine midpoint integration to 1.0001.
    EXPECT_NEAR(IM_int(1.0, 3.0, 2.0), 0.1335690809227752, 1e-11);
    EXPECT_NEAR(IM_int(1.0, 3.0, 4.0), 0.060102131245750465, 1e-11);
    // Any upper limit: the panel that starts just below it is taken whole.
    EXPECT_NEAR(IM_int(0.5, 0.0, 2.0), 0.5001 * 0.5001 * 0.5001 / 3.0, 1e-12);
}

TEST(ShapeIntegrals, ThermalIntegralApproximatesOneOverPiSquared) {
    const double ith = Ith_int(1.0);
    EXPECT_NEAR(ith, 1.0 / (kPi * kPi), 1e-8);
    // The panel past the surface, where psi < 0, takes a little off.
    EXPECT_LT(ith, 1.0 / (kPi * kPi));
}

TEST(ShapeIntegrals, PowerLawEnvelopeUsesTheClosedFormsAndIgnoresA) {
    EXPECT_NEAR(mass_integral(7.0, 2.0), 0.1173333333333333, 1e-15);
    EXPECT_NEAR(kinetic_integral(7.0, 2.0), 0.051968, 1e-15);
    // s = 2.5 against a fine numerical integration of the profile over [0, 1].
    EXPECT_NEAR(mass_integral(0.0, 2.5), 0.0957191035841065, 1e-11);
    EXPECT_NEAR(kinetic_integral(0.0, 2.5), 0.038429154050153125, 1e-11);
    // Near the forbidden index the closed form stays finite.
    EXPECT_TRUE(std::isfinite(mass_integral(0.0, 3.0001)));
    // s = 0 selects the exponential envelope.
    EXPECT_EQ(mass_integral(3.0, 0.0), IM_int(1.0, 3.0, 2.0));
    EXPECT_EQ(kinetic_integral(3.0, 0.0), IM_int(1.0, 3.0, 4.0));
}

TEST(Front, BisectionBracketsTheRecombinationTemperature) {
    ModelState m;
    m.Tion = 5000.0;
    for (double Tc : {6000.0, 10000.0, 1e5, 1e7}) {
        const double x = temp(m, Tc, 1.0);
        EXPECT_GE(x, 0.4);
        EXPECT_LE(x, 1.0 + 5e-7);
        // The profile crosses Tion within the tolerance of the returned radius (past the
        // surface the temperature is not a number, which is not hotter either).
        EXPECT_GT(std::pow(psi(x - 1.5e-6), 0.25) * Tc, m.Tion) << "Tc = " << Tc;
        EXPECT_FALSE(std::pow(psi(x + 1.5e-6), 0.25) * Tc > m.Tion) << "Tc = " << Tc;
    }
    // Tc = 2 Tion: psi(x) = 1/16, solved separately at x = 0.9408567.
    EXPECT_NEAR(temp(m, 10000.0, 1.0), 0.9408567, 1e-6);
}

TEST(Front, StaysBetweenTheCoreEdgeAndTheBoundPlusHalfTheTolerance) {
    ModelState m;
    m.Tion = 5000.0;
    // Colder than Tion everywhere: the front falls to the core edge.
    EXPECT_NEAR(temp(m, 4000.0, 1.0), 0.4, 1e-6);
    // A bound at the core edge leaves nothing to search.
    EXPECT_EQ(temp(m, 1e5, 0.4), 0.4);
    // Hot everywhere below a receded bound: the front stays at the bound.
    const double x = temp(m, 1e6, 0.7);
    EXPECT_GE(x, 0.7 - 1e-6);
    EXPECT_LE(x, 0.7 + 5e-7);
    // A bound a little past the surface (psi < 0 there, T not a number) is searched downwards.
    const double y = temp(m, 1e6, 1.0 + 4e-7);
    EXPECT_GE(y, 0.4);
    EXPECT_LE(y, 1.0 + 4e-7 + 5e-7);
    EXPECT_GT(y, 0.99);
}

TEST(Frk, AddsHeatingDiffusionFrontMotionAndExtraPower) {
    ModelState m;
    m.R0 = 1e13;
    m.v = 1e8;
    m.T0 = 1e5;
    m.Tion = 1e6; // colder than Tion: the front sits at the core edge
    m.xi = 1.0;
    m.xh = 0.4;
    m.p1 = 1.0;
    m.p2 = 2.0;
    m.p3 = 3.0;
    m.p5 = settings::kCobaltWeight;
    m.tp = 86400.0;
    m.Ep = 43200.0;
    // At t = 0 with a standing front: (1/0.4^3) (1 - 2 * 0.5 * 0.4 + 3 * Ep/tp).
    EXPECT_DOUBLE_EQ(Frk(m, 0.0, 0.5, 1.0), 32.8125);
    EXPECT_EQ(m.segedvalt1, 0.4);
    EXPECT_EQ(m.segedvalt2, 0.0);
    EXPECT_EQ(m.Xni, 1.0);
    EXPECT_EQ(m.Xco, 0.0);

    // One day later, the front receding from 0.5 to 0.4.
    m.xh = 0.5;
    EXPECT_NEAR(Frk(m, 86400.0, 0.5, 1.5), 28.859208342812963, 1e-12);
    EXPECT_NEAR(m.segedvalt2, -0.032054651873785645, 1e-15);
    EXPECT_NEAR(m.Xni, 0.8925824723203238, 1e-15);
    EXPECT_NEAR(m.Xco, 0.10692731482615117, 1e-15);

    // tp = 0 switches the extra power off whatever Ep is.
    m.xh = 0.4;
    m.tp = 0.0;
    EXPECT_DOUBLE_EQ(Frk(m, 0.0, 0.5, 1.0), (1.0 - 0.4) / 0.064);
}

TEST(Frk, SearchesTheFrontOnlyWhileTheCentreIsHotterThanTion) {
    ModelState m;
    m.R0 = 1e13;
    m.v = 1e8;
    m.T0 = 1e5;
    m.Tion = 5000.0;
    m.xi = 1.0;
    m.xh = 1.0;
    Frk(m, 0.0, 1.0, 1.0);
    EXPECT_GT(m.segedvalt1, 0.99);
    // Once the front has reached the core edge it stays there.
    m.xi = 0.3;
    Frk(m, 0.0, 1.0, 1.0);
    EXPECT_EQ(m.segedvalt1, 0.4);
}

TEST(TimeStep, DoublesAfterMoreThanAHundredFaintStepsAndComesBackAtOnce) {
    ModelState m;
    start_integration(m);
    int faint = 0;
    m.Lion = 0.5;
    for (int i = 0; i < 100; ++i) advance_time(m, faint);
    EXPECT_EQ(m.dt, 20000.0);
    EXPECT_EQ(m.t, 100 * 20000.0);
    advance_time(m, faint);
    EXPECT_EQ(m.dt, 40000.0);
    advance_time(m, faint);
    EXPECT_EQ(m.t, 101 * 20000.0 + 40000.0);
    m.Lion = 1.0;
    advance_time(m, faint);
    EXPECT_EQ(m.dt, 20000.0);
    EXPECT_EQ(faint, 0);
}

namespace {

struct Sample {
    double t, Lsn, L, heating;
};

// A full model in memory: the rows of every step with the radioactive heating (erg/s) at t.
std::vector<Sample> light_curve(ModelState m) {
    initial_temperature(m);
    start_integration(m);
    derive_quantities(m);
    heating_coefficients(m);
    std::vector<Sample> rows;
    int faint = 0;
    while (m.tmax >= m.t) {
        runge_kutta_step(m);
        rows.push_back({m.t, m.Lsn, m.L, m.Mni * settings::kNickelHeatingRate * m.g});
        advance_time(m, faint);
    }
    return rows;
}

// A compact, nickel-rich explosion without recombination or extra power, gamma rays trapped.
ModelState compact_explosion() {
    ModelState m;
    m.R0 = 1e10;
    m.M = 1.4 * settings::kSolarMass;
    m.Tion = 1.0;
    m.Mni = 0.6 * settings::kSolarMass;
    m.Ek = 1.3e51;
    m.E = 1e49;
    m.kappa = 0.1;
    m.Ag = 1e8 * settings::kDaySquared;
    m.tmax = 250.0 * settings::kDay;
    return m;
}

} // namespace

TEST(Physics, PeakLuminosityMatchesTheRadioactiveHeatingAtPeak) {
    const auto rows = light_curve(compact_explosion());
    const auto peak = std::max_element(
        rows.begin(), rows.end(), [](const Sample& a, const Sample& b) { return a.Lsn < b.Lsn; });
    ASSERT_NE(peak, rows.begin());
    ASSERT_NE(peak, rows.end() - 1);
    EXPECT_GT(peak->t, 5.0 * settings::kDay);
    EXPECT_LT(peak->t, 40.0 * settings::kDay);
    EXPECT_NEAR(peak->Lsn / peak->heating, 1.0, 0.15);
}

TEST(Physics, LateLightCurveTracksTheHeatingOnceDiffusionIsFast) {
    const auto rows = light_curve(compact_explosion());
    for (const Sample& r : rows) {
        if (r.t < 100.0 * settings::kDay) continue;
        EXPECT_NEAR(r.L / r.heating, 1.0, 0.02) << "t = " << r.t / settings::kDay << " d";
    }
}

TEST(TimeStep, TheCountOfFaintStepsSaturatesInsteadOfOverflowing) {
    ModelState m;
    m.Lion = 0.0;
    int faint_steps = std::numeric_limits<int>::max() - 1;
    for (int i = 0; i < 3; ++i) advance_time(m, faint_steps);
    EXPECT_EQ(faint_steps, std::numeric_limits<int>::max());
    EXPECT_EQ(m.dt, settings::kLongStep);
    m.Lion = 1e40;
    advance_time(m, faint_steps);
    EXPECT_EQ(faint_steps, 0);
    EXPECT_EQ(m.dt, settings::kStep);
}

namespace {

// The series as written, every power by pow.
double series_by_pow(double x) {
    const double u = kPi * x;
    return ((1.0 - std::pow(u, 2.0) / 6.0) + std::pow(u, 4.0) / 120.0) - std::pow(u, 6.0) / 5040.0 +
           std::pow(u, 8.0) / 362880.0;
}

} // namespace

TEST(Profiles, SeriesGivesTheNumbersOfItsPowersByPowToTheBit) {
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> x(0.0, 1.1);
    int differ = 0;
    for (int i = 0; i < 200000; ++i) {
        const double at = x(random);
        differ += series(at) != series_by_pow(at);
    }
    EXPECT_EQ(differ, 0);
    for (double at : {0.0, 1e-40, 0.4, 1.0, 1.0000005, -0.7, 1e35})
        EXPECT_EQ(series(at), series_by_pow(at)) << at;
}

TEST(Front, ProfileRootSolvesPsiEqualsTheLevelFromAnyStart) {
    for (double start : {0.01, 0.45, 0.5, 0.97, 1.0, -3.0}) {
        ProfilePoint from = profile_point(start);
        EXPECT_NEAR(profile_root(2.0 / kPi, from), 0.5, 1e-9) << start; // psi(1/2) = 2/pi
        EXPECT_NEAR(profile_root(1.0 / 16.0, from), 0.9408567, 1e-6) << start;
        // The point it ended at serves the next search and lies in (0, 1).
        EXPECT_GT(from.x, 0.0);
        EXPECT_LT(from.x, 1.0);
    }
    ProfilePoint none;
    const double level = psi(0.987654321);
    EXPECT_NEAR(profile_root(level, none), 0.987654321, 1e-9);
}

namespace {

// A state whose centre at t = 0 (r = 1, T0 = 1) has Tc = y^(1/4), the front searched below 1.
ModelState front_search(double Tion) {
    ModelState m;
    m.R0 = 1e13;
    m.v = 1e8;
    m.T0 = 1.0;
    m.Tion = Tion;
    m.xi = 1.0;
    m.xh = 1.0;
    m.tni = settings::kNickelLifetime;
    m.tco = settings::kCobaltLifetime;
    m.p5 = settings::kCobaltWeight;
    return m;
}

} // namespace

// The front of the integration is the bisection of temp to the bit, in both integrations: also
// where a midpoint falls on the root itself (T = Tion ends the bisection there) or within
// rounding of it, and for stages that share the bound of their search.
TEST(Front, TheStagesFindTheFrontOfTheBisectionToTheBit) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (Integration integration : {Integration::exact, Integration::fast}) {
        ModelState m = front_search(5500.0);
        m.integration = integration;
        int differ = 0;
        for (int i = 0; i < 20000; ++i) {
            // Centres from just above Tion to 700 times it; bounds from 0.45 to 1.
            const double Tc = 5500.0 * std::exp(unit(random) * std::log(700.0)) * 1.0000001;
            const double y = std::pow(Tc, 4.0);
            if (i % 4 == 0) m.xh = 0.45 + 0.55 * unit(random); // four stages per bound
            Frk(m, 0.0, y, 1.0);
            differ += m.segedvalt1 != temp(m, std::pow(y, 0.25), m.xh);
        }
        EXPECT_EQ(differ, 0);

        // Midpoints 0.7 (the first of [0.4, 1]) and 0.85 at the recombination temperature.
        for (double at : {0.7, 0.85}) {
            const double y = 2e9;
            ModelState e = front_search(std::pow(psi(at), 0.25) * std::pow(y, 0.25));
            e.integration = integration;
            Frk(e, 0.0, y, 1.0);
            EXPECT_EQ(e.segedvalt1, temp(e, std::pow(y, 0.25), 1.0)) << at;
            EXPECT_EQ(e.segedvalt1, at + 5e-7) << at;
        }
    }
}
