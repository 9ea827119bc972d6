#include "weighted.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using snphot::hibav;
using snphot::kivonasv;
using snphot::WeightedRow;

WeightedRow weighted(float value, float weight) {
    return {value, value * weight, 0.0f, 0.0f};
}

TEST(WeightedEstimators, TwoRowsGiveWeightedMeanAndScatterAboutIt) {
    // weights 10 and 2.5: mean (150 + 38.25) / 12.5, scatter sqrt((10 * 0.06^2 + 2.5 * 0.24^2)
    // / 12.5)
    const std::vector<WeightedRow> rows = {weighted(15.0f, 10.0f), weighted(15.3f, 2.5f)};
    const std::vector<float> zero(2, 0.0f);
    EXPECT_FLOAT_EQ(kivonasv(rows, zero, 2, 12.5f), 15.06f);
    EXPECT_NEAR(hibav(rows, zero, 2, 12.5f), 0.12f, 2e-5f);
}

TEST(WeightedEstimators, SingleRowIsItsOwnMeanWithNoScatter) {
    for (float weight : {0.04f, 1.0f, 250.0f}) {
        const std::vector<WeightedRow> rows = {weighted(16.731f, weight)};
        const std::vector<float> zero(1, 0.0f);
        EXPECT_FLOAT_EQ(kivonasv(rows, zero, 1, weight), 16.731f);
        EXPECT_NEAR(hibav(rows, zero, 1, weight), 0.0f, 1e-5f);
    }
}

TEST(WeightedEstimators, ScalingAllWeightsChangesNothing) {
    const std::vector<float> values = {14.21f, 14.35f, 14.18f, 14.29f};
    const std::vector<float> weights = {3.0f, 1.5f, 6.25f, 0.8f};
    const std::vector<float> zero(values.size(), 0.0f);
    auto estimate = [&](float factor) {
        std::vector<WeightedRow> rows;
        float total = 0.0f;
        for (std::size_t j = 0; j < values.size(); ++j) {
            rows.push_back(weighted(values[j], weights[j] * factor));
            total += weights[j] * factor;
        }
        return std::pair{kivonasv(rows, zero, 4, total), hibav(rows, zero, 4, total)};
    };
    const auto [mean, scatter] = estimate(1.0f);
    EXPECT_NEAR(mean, (14.21 * 3 + 14.35 * 1.5 + 14.18 * 6.25 + 14.29 * 0.8) / 11.55, 1e-5);
    for (float factor : {0.001f, 7.0f, 1000.0f}) {
        const auto [m, s] = estimate(factor);
        EXPECT_NEAR(m, mean, 1e-5f) << factor;
        EXPECT_NEAR(s, scatter, 1e-5f) << factor;
    }
}

TEST(WeightedEstimators, OnlyTheFirstNRowsCountAndNoRowGivesZero) {
    const std::vector<WeightedRow> rows = {weighted(15.0f, 10.0f), weighted(99.0f, 1.0f)};
    const std::vector<float> zero(2, 0.0f);
    EXPECT_FLOAT_EQ(kivonasv(rows, zero, 1, 10.0f), 15.0f);
    EXPECT_FLOAT_EQ(kivonasv(rows, zero, 0, 5.0f), 0.0f);
    EXPECT_FLOAT_EQ(hibav(rows, zero, 0, 5.0f), 0.0f);
}

TEST(WeightedEstimators, OffsetsAreTakenFromTheWeightedValuesAndAddedToTheDeviations) {
    // An offset of 5 on the weighted value 50 (value 10, weight 5) moves the mean from 10 to 9;
    // the deviation m - v + offset is then 9 - 10 + 5 = 4, so the scatter is sqrt(5 * 16 / 5) = 4.
    const std::vector<WeightedRow> rows = {weighted(10.0f, 5.0f)};
    const std::vector<float> offsets = {5.0f};
    EXPECT_FLOAT_EQ(kivonasv(rows, offsets, 1, 5.0f), 9.0f);
    EXPECT_FLOAT_EQ(hibav(rows, offsets, 1, 5.0f), 4.0f);
}

} // namespace
