#include "bolometric.hpp"

#include <cmath>
#include <gtest/gtest.h>

using namespace bolcurve;
using snphot::LightCurveRow;

TEST(Bolom, QuadraticFromColour054LinearBelow) {
    EXPECT_FLOAT_EQ(bolom(0.54f), -0.19982842f);
    EXPECT_FLOAT_EQ(bolom(std::nextafter(0.54f, 0.0f)), -0.20460002f);
    EXPECT_FLOAT_EQ(bolom(0.0f), -0.48f);
}

TEST(Bolomh, CubicTimesColourUncertaintyKeepsItsSign) {
    // -0.398507 - 2.781 + 2.244729 - 0.574128 = -1.508906
    EXPECT_FLOAT_EQ(bolomh(1.0f, 0.1f), -0.15089059f);
    EXPECT_FLOAT_EQ(bolomh(1.2f, 0.05f), -0.074769519f);
    EXPECT_FLOAT_EQ(bolomh(0.0f, 0.2f), -0.0797014f);
}

TEST(AbsoluteMagnitude, DistanceModulusOf132Mpc) {
    // 5 log10(13 200 000) - 5 = 30.602870
    EXPECT_NEAR(absolute_magnitude(15.0f, -0.5f, 13200000.0f), -16.1028697, 1e-7);
}

namespace {

EpochTable with_b_rows(std::initializer_list<LightCurveRow> rows) {
    EpochTable table;
    for (const auto& r : rows) add_b_row(table, r);
    return table;
}

} // namespace

TEST(NightPairing, ByIntegerPartOfTheReducedDate) {
    EpochTable table =
        with_b_rows({{55000.3f, 15.0f, 0.0f, 0.03f}, {55002.9f, 15.2f, 0.0f, 0.03f}});
    EXPECT_TRUE(pair_i_row(table, {55000.9f, 14.2f, 0.0f, 0.04f}));  // same night as 55000.3
    EXPECT_FALSE(pair_i_row(table, {55003.1f, 14.3f, 0.0f, 0.04f})); // 55002.9 is the night before
    EXPECT_FALSE(pair_i_row(table, {55001.0f, 14.3f, 0.0f, 0.04f}));
    remove_unpaired(table);
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_FLOAT_EQ(table.rows[0].time, 55000.3f);
    EXPECT_FLOAT_EQ(table.rows[0].i, 14.2f);
    EXPECT_FLOAT_EQ(table.rows[0].colour_error, std::sqrt(0.03f * 0.03f + 0.04f * 0.04f));
}

TEST(NightPairing, SecondIRowOfANightOverwritesAndAddsItsError) {
    EpochTable table = with_b_rows({{55000.3f, 15.0f, 0.0f, 0.03f}});
    pair_i_row(table, {55000.4f, 14.2f, 0.0f, 0.02f});
    pair_i_row(table, {55000.5f, 14.4f, 0.0f, 0.04f});
    EXPECT_FLOAT_EQ(table.rows[0].i, 14.4f);
    EXPECT_FLOAT_EQ(table.rows[0].colour_error, 0.053851645f); // sqrt(u2^2 + u1^2 + b^2)
    EXPECT_FLOAT_EQ(table.rows[0].b_error, 0.03f);
}

TEST(NightPairing, OnlyTheFirstBRowOfANightIsPairedAndOrderIsKept) {
    EpochTable table = with_b_rows({{55004.2f, 15.9f, 0.0f, 0.05f},
                                    {55000.3f, 15.0f, 0.0f, 0.03f},
                                    {55000.4f, 15.1f, 0.0f, 0.03f},
                                    {55002.2f, 15.5f, 0.0f, 0.04f}});
    pair_i_row(table, {55000.45f, 14.2f, 0.0f, 0.02f});
    pair_i_row(table, {55002.25f, 14.5f, 0.0f, 0.02f});
    pair_i_row(table, {55004.25f, 14.8f, 0.0f, 0.02f});
    remove_unpaired(table);
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_FLOAT_EQ(table.rows[0].time, 55004.2f);
    EXPECT_FLOAT_EQ(table.rows[1].time, 55000.3f);
    EXPECT_FLOAT_EQ(table.rows[2].time, 55002.2f);
    EXPECT_FLOAT_EQ(table.rows[2].b_error, 0.04f);
}

TEST(Colour, ExtinctionCorrectedColourCorrectionAndTotalError) {
    EpochTable table = with_b_rows({{55000.3f, 15.2f, 0.0f, 0.03f}});
    pair_i_row(table, {55000.4f, 14.0f, 0.0f, 0.04f});
    correct_extinction(table, 0.146f, 0.061f);
    Epoch& e = table.rows[0];
    compute_colour(e);
    EXPECT_FLOAT_EQ(e.b, 15.054f);
    EXPECT_FLOAT_EQ(e.i, 13.939f);
    EXPECT_FLOAT_EQ(e.colour, 1.115f);
    EXPECT_FLOAT_EQ(e.bc, bolom(1.115f));
    const float bch = bolomh(1.115f, 0.05f);
    EXPECT_FLOAT_EQ(e.total_error, std::sqrt(0.03f * 0.03f + bch * bch));
}

TEST(Colour, EqualCorrectedMagnitudesGiveColourZeroAndTheLinearCorrection) {
    Epoch e;
    e.b = 14.5f;
    e.i = 14.5f;
    e.colour_error = 0.05f;
    e.b_error = 0.03f;
    compute_colour(e);
    EXPECT_EQ(e.colour, 0.0f);
    EXPECT_FLOAT_EQ(e.bc, -0.48f);
}
