#include "estimators.hpp"
#include "test_support.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace snphot;
using snphot::testing::Capture;

namespace {

const std::array<float, 6> kCatalogue = {16.298f, 16.2437f, 16.709751f, 16.0067f, 15.47935f, 0};

// Rows whose instrumental magnitudes are the catalogue plus the given differences.
std::vector<MeasurementRow> block_with(const std::array<float, 6>& differences) {
    std::vector<MeasurementRow> rows;
    for (int i = 0; i < 6; ++i)
        rows.push_back({2456789.25f, kCatalogue[i] + differences[i], 0.01f, float(i)});
    return rows;
}

} // namespace

TEST(Estimators, LcbuildFormZeroPointScatterAndPrintedTable) {
    const auto rows = block_with({99, -15.0f, -15.2f, -14.8f, -15.0f, 0});
    Capture out;
    const float z = kivonas(EstimatorForm::lcbuild, rows, kCatalogue, 5);
    const float s = hiba(EstimatorForm::lcbuild, rows, kCatalogue, 5, out.get());
    EXPECT_NEAR(z, -15.0f, 2e-6);
    EXPECT_NEAR(s, 0.141421f, 2e-6);
    EXPECT_EQ(out.text(), "\n"
                          "-15.000000  0.000000\n"
                          "-15.200000  0.200000\n"
                          "-14.800000  -0.200000\n"
                          "-15.000000  0.000000\n");
}

TEST(Estimators, LcbuildFormLeavesOutRowZeroAndUnmeasuredStars) {
    auto rows = block_with({-3, -15.0f, -15.2f, -14.8f, -15.3f, 0});
    rows[2][measurement::mag] = 0.0f; // star 2 not measured
    Capture out;
    EXPECT_NEAR(kivonas(EstimatorForm::lcbuild, rows, kCatalogue, 5), -15.0333333f, 2e-6);
    hiba(EstimatorForm::lcbuild, rows, kCatalogue, 5, out.get());
    const std::string printed = out.text();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 4); // the empty line and 3 stars

    for (int i = 1; i < 5; ++i) rows[i][measurement::mag] = 0.0f; // nothing left: 0/0
    EXPECT_TRUE(std::isnan(kivonas(EstimatorForm::lcbuild, rows, kCatalogue, 5)));
}

TEST(Estimators, StarcorrAndStarcalFormsChooseRowsAndDivisor) {
    // Differences 1, 100, 2, 3, 6: starcorr leaves out row 1 and divides by 4, starcal takes all.
    std::vector<MeasurementRow> rows;
    for (float m : {1.f, 100.f, 2.f, 3.f, 6.f}) rows.push_back({0, m, 0, 0});
    const std::array<float, 5> zero = {0, 0, 0, 0, 0};
    EXPECT_FLOAT_EQ(kivonas(EstimatorForm::starcorr, rows, zero, 5), 3.0f);
    EXPECT_FLOAT_EQ(kivonas(EstimatorForm::starcal, rows, zero, 5), 22.4f);
    rows[0][measurement::mag] = 0.0f; // a magnitude of 0 enters like any other in these forms
    EXPECT_FLOAT_EQ(kivonas(EstimatorForm::starcorr, rows, zero, 5), 2.75f);
    Capture out;
    EXPECT_NEAR(hiba(EstimatorForm::starcorr, rows, zero, 5, out.get()), 2.1650635f,
                1e-6); // sqrt(18.75 / 4)
}

TEST(Estimators, ColourTermUsesTheCatalogueColourOfEachStar) {
    // Star 1 of the g r i z catalogue: g - i = 16.61 - 15.81 = 0.8; with k = -0.125 its single
    // difference is m - c + 0.1.
    const std::array<float, 5> g = {16.54f, 16.61f, 16.98f, 16.26f, 15.84f};
    const std::array<float, 5> i = {16.0f, 15.81f, 16.39f, 15.67f, 15.03f};
    std::vector<MeasurementRow> rows(6, MeasurementRow{0, 0, 0, 0});
    rows[1][measurement::mag] = 16.61f - 2.0f;
    Capture out;
    const float z = kivonas2(EstimatorForm::lcbuild, rows, g, g, i, 5, -0.125f);
    EXPECT_NEAR(z, -2.0f + 0.1f, 2e-6);
    EXPECT_FLOAT_EQ(hiba2(EstimatorForm::lcbuild, rows, g, g, i, 5, -0.125f, out.get()), 0.0f);
    EXPECT_EQ(out.text(), "\n-1.900000  0.000000\n");
}
