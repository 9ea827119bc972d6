#include "quadrature.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace cumquad;

const double kSqrt2Pi = std::sqrt(2 * M_PI);

// Emission at 1000 (width 10), absorption at 900 (width 20): distinct widths and amplitudes, so
// that a swapped width, centre or amplitude shows.
const LineProfile kTwoGaussians = {
    .A1 = 2, .s1 = 10, .A2 = 1, .s2 = 20, .centre = 1000, .shift = 0.1};

TEST(CumquadProfile, EmissionMinusBlueshiftedAbsorption) {
    EXPECT_DOUBLE_EQ(h(-3), 9);
    EXPECT_DOUBLE_EQ(signed_profile(kTwoGaussians, 1000), 2 - std::exp(-12.5));
    EXPECT_DOUBLE_EQ(signed_profile(kTwoGaussians, 900), 2 * std::exp(-50.0) - 1);
    EXPECT_DOUBLE_EQ(signed_profile(kTwoGaussians, 1010), 2 * std::exp(-0.5) - std::exp(-15.125));
    EXPECT_DOUBLE_EQ(signed_profile(kTwoGaussians, 880), 2 * std::exp(-72.0) - std::exp(-0.5));
}

TEST(CumquadProfile, IntegrandIsTheAbsoluteValueAndKeepsTheSign) {
    Integrand f(kTwoGaussians);
    EXPECT_DOUBLE_EQ(f.af(123, 900), 1 - 2 * std::exp(-50.0));
    EXPECT_DOUBLE_EQ(f.save, 2 * std::exp(-50.0) - 1);
    EXPECT_DOUBLE_EQ(f.af(0, 1000), 2 - std::exp(-12.5));
    EXPECT_DOUBLE_EQ(f.save, 2 - std::exp(-12.5));
}

const Range kHalpha = {.start = 5000, .end = 8000, .step = 0.1, .threshold = 0.001};

TEST(CumquadIntegral, PureEmissionGaussianAndTheStepWhereItFirstExceedsTheThreshold) {
    const LineProfile emission = {.A1 = 1, .s1 = 50, .A2 = 0, .s2 = 1, .centre = 6563, .shift = 0};
    const Quadrature q = integrate(emission, kHalpha);
    EXPECT_NEAR(q.total / (50 * kSqrt2Pi), 1, 1e-10);
    // The profile reaches 0.001 at 6563 - 50 sqrt(2 ln 1000) = 6377.154: the first step whose end
    // lies beyond is 6377.1 - 6377.2.
    ASSERT_TRUE(q.emission);
    EXPECT_NEAR(q.emission_start, 6377.1, 1e-9);
    const double below = 50 * std::sqrt(M_PI / 2) * std::erfc((6563 - 6377.2) / (50 * M_SQRT2));
    EXPECT_NEAR(q.emission_integral / below, 1, 1e-8);
}

TEST(CumquadIntegral, AbsorptionCountsWithItsAbsoluteValueAndNeverReports) {
    const LineProfile absorption = {
        .A1 = 0, .s1 = 1, .A2 = 0.5, .s2 = 40, .centre = 6563, .shift = 0.05};
    const Quadrature q = integrate(absorption, kHalpha);
    EXPECT_NEAR(q.total / (0.5 * 40 * kSqrt2Pi), 1, 1e-10);
    EXPECT_FALSE(q.emission);
}

TEST(CumquadIntegral, EmissionThatStaysBelowTheThresholdIsNotReported) {
    const LineProfile faint = {
        .A1 = 0.0009, .s1 = 30, .A2 = 0, .s2 = 1, .centre = 6563, .shift = 0};
    const Quadrature q = integrate(faint, kHalpha);
    EXPECT_FALSE(q.emission);
    EXPECT_NEAR(q.total / (0.0009 * 30 * kSqrt2Pi), 1, 1e-10);
}

} // namespace
