#include "merge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

using namespace specjoin;

std::string f6(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", v);
    return text;
}

TEST(SpecjoinMerge, RestWavelengthAndScaledFlux) {
    EXPECT_EQ(rest_wavelength(5022.0f, 1.0044), 5000.0f);
    EXPECT_EQ(f6(rest_wavelength(6600.25f, 1.0044)), "6571.335938");
    EXPECT_EQ(f6(scaled_flux(1e-15f, 4.32e15)), "4.320000");
    EXPECT_EQ(f6(scaled_flux(-2.5e-16f, 4.32e15)), "-1.080000");
}

TEST(SpecjoinMerge, AnEdgeReachesThePointsWithinTheOpenWindowBelowIt) {
    const std::vector<float> W = {5000};
    EXPECT_EQ(look_up(W, {{5000, 1}}, 5)[0], 0.0f); // lower end excluded
    EXPECT_EQ(look_up(W, {{5005, 1}}, 5)[0], 0.0f); // upper end excluded
    EXPECT_EQ(look_up(W, {{5003, 7}}, 5)[0], 7.0f);
    EXPECT_EQ(look_up(W, {{5004.99f, 7}}, 5)[0], 7.0f);
    EXPECT_EQ(look_up(W, {{4999, 7}}, 5)[0], 0.0f);
}

TEST(SpecjoinMerge, TheLastEntryThatReachesAPointWins) {
    const std::vector<float> W = {5000, 5010, 4998};
    const std::vector<float> X = look_up(W, {{5002, 1}, {5004, 2}, {5011, 3}, {5020, 4}}, 5);
    EXPECT_EQ(X, (std::vector<float>{2, 3, 1}));
    // An entry that reaches no point changes nothing.
    EXPECT_EQ(look_up(W, {{6000, 9}}, 5), (std::vector<float>{0, 0, 0}));
    EXPECT_TRUE(look_up({}, {{5002, 1}}, 5).empty());
}

TEST(SpecjoinMerge, TheUpperEndIsSummedInSinglePrecision) {
    // 2^24 + 5 is rounded to 2^24 + 4 in single precision, so an edge at 2^24 + 4 is not inside.
    const std::vector<float> W = {16777216.0f};
    EXPECT_EQ(look_up(W, {{16777220.0f, 1}}, 5)[0], 0.0f);
    EXPECT_EQ(look_up(W, {{16777218.0f, 1}}, 5)[0], 1.0f);
}

// Every point, every entry: the plain definition, against which the sorted lookup must agree.
std::vector<float> every_pair(const std::vector<float>& W, const std::vector<LookupEntry>& entries,
                              float width) {
    std::vector<float> X(W.size(), 0.0f);
    for (const LookupEntry& e : entries)
        for (std::size_t j = 0; j < W.size(); ++j) {
            const float upper = W[j] + width;
            if (W[j] < e.a && e.a < upper) X[j] = e.b;
        }
    return X;
}

TEST(SpecjoinMerge, AgreesWithEveryPairOnCrowdedTables) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> quarter(0, 400); // wavelengths on a 0.25 grid: many ties
    for (int round = 0; round < 50; ++round) {
        std::vector<float> W(1 + random() % 60);
        for (float& w : W) w = 5000 + 0.25f * quarter(random);
        if (round % 5 == 0) W[0] = NAN;
        std::vector<LookupEntry> entries(random() % 40);
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i] = {5000 + 0.25f * quarter(random), static_cast<float>(i + 1)};
        ASSERT_EQ(look_up(W, entries, 5), every_pair(W, entries, 5)) << "round " << round;
    }
}

} // namespace
