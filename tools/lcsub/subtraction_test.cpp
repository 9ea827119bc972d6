#include "subtraction.hpp"

#include <cmath>
#include <gtest/gtest.h>

using namespace lcsub;
using snphot::LightCurveRow;

namespace {

// A point at 15.0 mag with a reference night at 17.0 +- 0.05 mag.
const LightCurveRow kPoint{57840.25f, 15.0f, 0.02f, 0.03f};
const Reference kReference{17.0f, 0.05f};
const Reference kNoReference{}; // the band had no row on the reference night

} // namespace

TEST(FluxSubtraction, CorrectionLeavesTheMagnitudeOfTheRemainingFlux) {
    EXPECT_NEAR(f(2.5L), 0.1, 1e-15);
    // m - d = -2.5 log10(10^(-0.4 m) - 10^(-0.4 ref))
    const double left = -2.5 * std::log10(std::pow(10.0, -6.0) - std::pow(10.0, -6.8));
    EXPECT_NEAR(15.0 - correction(2.0L), left, 1e-6);
    EXPECT_FLOAT_EQ(correction(2.0L), -0.18735091f);
}

TEST(AnalyticSubtraction, WorkedPointKeepsColumnThreeAndWidensColumnFour) {
    const CorrectedRow r = analytic::subtract(kPoint, kReference);
    EXPECT_DOUBLE_EQ(r.time, 57840.25);
    EXPECT_NEAR(r.mag, 15.187351, 5e-7);
    EXPECT_DOUBLE_EQ(r.error, 0.02f);
    // sqrt(0.03^2 + e^2), e = -0.05 f(2) / (1 - f(2)) = -0.0094170
    EXPECT_NEAR(r.calib, 0.031443, 5e-7);
}

TEST(AnalyticSubtraction, PointsNotBrighterThanTheReferenceAreMarked) {
    const LightCurveRow itself{57834.75f, 17.0f, 0.03f, -0.04f};
    const CorrectedRow same = analytic::subtract(itself, kReference);
    EXPECT_DOUBLE_EQ(same.mag, 117.0);
    EXPECT_DOUBLE_EQ(same.error, 0.03f);
    EXPECT_DOUBLE_EQ(same.calib, 0.04f); // |scatter|

    const LightCurveRow fainter{57900.0f, 18.25f, 0.1f, 0.05f};
    EXPECT_DOUBLE_EQ(analytic::subtract(fainter, kReference).mag, 118.25);
}

TEST(AnalyticSubtraction, WithoutAReferenceNightMagnitudesStay) {
    const LightCurveRow row{57840.25f, 15.5f, 0.02f, -0.03f};
    const CorrectedRow r = analytic::subtract(row, kNoReference);
    EXPECT_DOUBLE_EQ(r.mag, 15.5);
    EXPECT_DOUBLE_EQ(r.error, 0.02f);
    EXPECT_DOUBLE_EQ(r.calib, 0.03f);
}

TEST(FiniteSubtraction, WorkedPointReplacesColumnThree) {
    const CorrectedRow r = finite::subtract(kPoint, kReference);
    EXPECT_NEAR(r.mag, 15.187351, 5e-7);
    // d0 = -0.187351, d1 = -0.183625 (point 0.02 fainter), d2 = -0.178186 (reference 0.05
    // fainter): sqrt((d2 - d0)^2 + (d1 - d0)^2)
    EXPECT_NEAR(r.error, 0.009893, 5e-7);
    EXPECT_DOUBLE_EQ(r.calib, 0.03f);
}

TEST(FiniteSubtraction, MarkedPointsAndPointsWithoutAReferenceGetColumnThreeZero) {
    const LightCurveRow itself{57834.75f, 17.0f, 0.03f, 0.04f};
    const CorrectedRow same = finite::subtract(itself, kReference);
    EXPECT_DOUBLE_EQ(same.mag, 117.0);
    EXPECT_DOUBLE_EQ(same.error, 0.0);
    EXPECT_DOUBLE_EQ(same.calib, 0.04f);

    const CorrectedRow alone = finite::subtract(kPoint, kNoReference);
    EXPECT_DOUBLE_EQ(alone.mag, 15.0);
    EXPECT_DOUBLE_EQ(alone.error, 0.0);
    EXPECT_DOUBLE_EQ(alone.calib, 0.03f);
}

TEST(ReferenceError, AndH) {
    const LightCurveRow reference_row{57834.75f, 17.0f, 0.03f, 0.04f};
    EXPECT_FLOAT_EQ(analytic::reference_error(reference_row), 0.05f);
    EXPECT_FLOAT_EQ(finite::reference_error(reference_row), 0.03f);
    EXPECT_DOUBLE_EQ(analytic::h(3.0f, -4.0f), 25.0);
    EXPECT_FLOAT_EQ(finite::h(3.0f, -4.0f), 5.0f);
}
