#include "decay.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace decayheat;

TEST(DecayheatChain, RatesMoveMassDownTheChainAndConserveIt) {
    const DecayRates lambda = {0.5, 0.25};
    const Masses m = {8, 4, 2};
    const Rates r = rates(m, lambda);
    EXPECT_DOUBLE_EQ(r.dNi, -4);
    EXPECT_DOUBLE_EQ(r.dCo, 4 - 1);
    EXPECT_DOUBLE_EQ(r.dFe, 1);

    const Masses next = euler_step(m, r, 0.5);
    EXPECT_DOUBLE_EQ(next.Ni, 6);
    EXPECT_DOUBLE_EQ(next.Co, 5.5);
    EXPECT_DOUBLE_EQ(next.Fe, 2.5);
    EXPECT_DOUBLE_EQ(next.Ni + next.Co + next.Fe, 14);
}

TEST(DecayheatChain, GammaFactorIsOneAtTheStartAndWithTheBuiltInConstant) {
    EXPECT_EQ(gamma_factor(99910600, 0), 1.0);
    EXPECT_EQ(gamma_factor(99910600, 0.001), 1.0);
    EXPECT_EQ(gamma_factor(99910600, 299.999), 1.0);
}

TEST(DecayheatChain, GammaFactorIsAPowerOfTheTruncatedBaseFallingWithTimeSquared) {
    // k chosen so that the exponent is -1 at t = 1 day and -1/4 at t = 2 days
    const double k = 1 / (0.033 * 11.575);
    EXPECT_NEAR(gamma_factor(k, 1), 1 - 1 / 2.718281, 1e-15);
    EXPECT_NEAR(gamma_factor(k, 2), 1 - std::pow(2.718281, -0.25), 1e-15);
    // e^-1 differs from 2.718281^-1 in the seventh digit
    EXPECT_GT(std::fabs(gamma_factor(k, 1) - (1 - std::exp(-1.0))), 1e-8);
}

TEST(DecayheatChain, CobaltHeatingHasAnUnscaledPositronPart) {
    const Heating heating = {3890, 680, 0};
    EXPECT_DOUBLE_EQ(heating_power(heating, 0.5, {1, 0, 0}), 1945);
    EXPECT_DOUBLE_EQ(heating_power(heating, 0.5, {0, 1, 0}), (0.483975 + 0.03205) * 680);
    EXPECT_DOUBLE_EQ(heating_power(heating, 0, {1, 1, 7}), 0.03205 * 680);
    EXPECT_DOUBLE_EQ(heating_power(heating, 1, {2, 3, 7}), 3890 * 2 + 680 * 3);
}

TEST(DecayheatChain, MagnitudeOfAHeatingPower) {
    EXPECT_DOUBLE_EQ(magnitude(1), 71.21);
    EXPECT_DOUBLE_EQ(magnitude(1e4), 61.21);
}

} // namespace
