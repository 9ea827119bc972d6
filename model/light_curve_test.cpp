#include "light_curve.hpp"

#include "example_explosion.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

    using namespace snmodel;

namespace {

// A typical hydrogen-rich explosion in the units of "parameters.inp".
ModelState typical(double tmax_days) {
    return example_explosion(tmax_days);
}

} // namespace

TEST(LightCurve, PreparedModelIsInCgsWithItsDerivedQuantitiesAndStartsAtTheExplosion) {
    const ModelState m = prepare_model(typical(2.0));
    EXPECT_EQ(m.M, 10.0 * 1.989e33);
    EXPECT_EQ(m.Mni, 0.05 * 1.989e33);
    EXPECT_EQ(m.Ek, 1e51);
    EXPECT_EQ(m.E, 0.5e51);
    EXPECT_EQ(m.Ag, 30000.0 * 7464960000.0);
    EXPECT_EQ(m.tmax, 2.0 * 86400.0);
    EXPECT_EQ(m.t, 0.0);
    EXPECT_EQ(m.F, 1.0);
    EXPECT_GT(m.p1, 0.0);
    // v = sqrt(2 Ek Im / (Ik M)) with the closed-form integrals of s = 2 (snmodel prints 4764.75).
    EXPECT_NEAR(m.v / 1e5, 4764.75, 0.01);
    EXPECT_EQ(expansion_velocity(typical(2.0)), m.v);
}

TEST(LightCurve, RowsAreEveryFifthStepOfTheStepsAsSnmodelWritesThem) {
    const auto written = model_rows(typical(30.0));
    const auto steps = model_rows(typical(30.0), true);
    ASSERT_EQ(written.size(), 26u); // t = 0 ... 25 x 100000 s <= 30 d
    ASSERT_EQ(steps.size(), 130u);
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i].t, i * 100000.0);
        EXPECT_EQ(written[i].Lsn, steps[5 * i].Lsn);
        EXPECT_EQ(written[i].logL, std::log10(written[i].Lsn));
        EXPECT_EQ(written[i].Lsn, written[i].L + written[i].Lion);
    }
}

TEST(LightCurve, LuminosityAtStepTimesIsTheStepAndLinearBetweenSteps) {
    const auto steps = model_rows(typical(40.0), true);
    const std::vector<double> times = {steps[100].t, steps[3].t, 0.0,
                                       steps[40].t + 0.25 * (steps[41].t - steps[40].t)};
    // tmax does not matter; the exact integration gives the rows' own numbers.
    const auto L = luminosity_at(typical(0.0), times, Integration::exact);
    EXPECT_EQ(L[0], steps[100].Lsn);
    EXPECT_EQ(L[1], steps[3].Lsn);
    EXPECT_EQ(L[2], steps[0].Lsn);
    EXPECT_DOUBLE_EQ(L[3], 0.75 * steps[40].Lsn + 0.25 * steps[41].Lsn);
    // The fit's default, the fast integration, stays within its bound of them.
    const auto fast = luminosity_at(typical(0.0), times);
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(fast[i] / L[i], 1.0, 1e-6);
}

TEST(LightCurve, RunsSideBySideGiveWhatRunsOneAfterTheOtherGive) {
    std::vector<double> times;
    for (double d = 1.0; d < 200.0; d += 7.3) times.push_back(d * 86400.0);
    ModelState other = typical(0.0);
    other.M = 15.0;
    other.Mni = 0.08;
    const auto alone_a = luminosity_at(typical(0.0), times);
    const auto alone_b = luminosity_at(other, times);
    std::vector<double> side_a, side_b;
    {
        std::jthread a([&] { side_a = luminosity_at(typical(0.0), times); });
        std::jthread b([&] { side_b = luminosity_at(other, times); });
    }
    EXPECT_EQ(side_a, alone_a);
    EXPECT_EQ(side_b, alone_b);
    EXPECT_NE(alone_a, alone_b);
}
