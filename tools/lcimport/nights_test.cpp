#include "nights.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace lcimport {
namespace {

Point point(double time, double mag, double error, double total = 0, int source = 0) {
    return {time, mag, error, total > 0 ? total : error, source};
}

TEST(Nights, TheMeanOfANightAndItsErrorFollowTheLargerOfFormalErrorAndScatter) {
    struct Case {
        const char* what;
        std::vector<Point> night;
        double time, mag, error, total;
    };
    const std::vector<Case> cases = {
        {"one point", {point(100.3, 15.0, 0.02, 0.05)}, 100.3, 15.0, 0.02, 0.05},
        // weights 100 and 25: mean (100 * 15.0 + 25 * 15.3) / 125; formal 1/sqrt(125) = 0.0894;
        // scatter sqrt(0.06^2 + 0.24^2) = 0.2474, / sqrt(2) = 0.1749
        {"scatter wins", {point(100.2, 15.0, 0.1), point(100.7, 15.3, 0.2)}, 100.3, 15.06,
         std::sqrt(0.06 * 0.06 + 0.24 * 0.24) / std::sqrt(2.0),
         std::sqrt(0.06 * 0.06 + 0.24 * 0.24) / std::sqrt(2.0)},
        // equal errors 0.1, magnitudes 0.01 apart: formal 0.1/sqrt(2) = 0.0707 beats 0.005;
        // total errors 0.2 and 0.2: 0.1414
        {"formal error wins", {point(100.2, 15.0, 0.1, 0.2), point(100.4, 15.01, 0.1, 0.2)},
         100.3, 15.005, 0.1 / std::sqrt(2.0), 0.2 / std::sqrt(2.0)},
        // three points, weights 1/0.01^2, 1/0.02^2, 1/0.02^2 = 10000, 2500, 2500
        {"three points", {point(100.1, 15.0, 0.01), point(100.2, 15.03, 0.02), point(100.3, 15.03, 0.02)},
         100.15, 15.01,
         std::max(1 / std::sqrt(15000.0),
                  std::sqrt((0.01 * 0.01 + 2 * 0.02 * 0.02) / 2) / std::sqrt(3.0)),
         std::max(1 / std::sqrt(15000.0),
                  std::sqrt((0.01 * 0.01 + 2 * 0.02 * 0.02) / 2) / std::sqrt(3.0))},
    };
    for (const Case& c : cases) {
        const Point mean = night_mean(c.night);
        EXPECT_NEAR(mean.time, c.time, 1e-9) << c.what;
        EXPECT_NEAR(mean.mag, c.mag, 1e-9) << c.what;
        EXPECT_NEAR(mean.error, c.error, 1e-9) << c.what;
        EXPECT_NEAR(mean.total, c.total, 1e-9) << c.what;
    }
}

TEST(Nights, ModesGroupByTheIntegerPartOfTheReducedJd) {
    // Night 100 twice (100.9 after 100.1 in reading order), 101 once, 102 twice.
    const std::vector<Point> points = {point(102.2, 14.0, 0.1), point(100.9, 15.2, 0.1),
                                       point(100.1, 15.0, 0.1), point(101.0, 16.0, 0.1),
                                       point(102.8, 14.2, 0.1)};
    const auto mean = by_night(points, PerNight::mean);
    ASSERT_EQ(mean.size(), 3u);
    EXPECT_NEAR(mean[0].mag, 15.1, 1e-12);
    EXPECT_NEAR(mean[0].time, 100.5, 1e-12);
    EXPECT_NEAR(mean[1].mag, 16.0, 1e-12);
    EXPECT_NEAR(mean[2].mag, 14.1, 1e-12);
    const auto first = by_night(points, PerNight::first);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].time, 100.1);
    EXPECT_EQ(first[2].time, 102.2);
    const auto all = by_night(points, PerNight::all);
    ASSERT_EQ(all.size(), 5u);
    for (std::size_t k = 1; k < all.size(); ++k) EXPECT_LT(all[k - 1].time, all[k].time);
}

} // namespace
} // namespace lcimport
