#include "alignment.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace lcimport {
namespace {

TEST(WeightedMedian, SplitsTheTotalWeightInHalves) {
    struct Case {
        std::vector<std::pair<double, double>> values;
        double median;
    };
    const std::vector<Case> cases = {
        {{{3.0, 1.0}}, 3.0},
        {{{1.0, 1.0}, {5.0, 1.0}, {2.0, 1.0}}, 2.0},
        {{{1.0, 1.0}, {2.0, 1.0}, {3.0, 1.0}, {4.0, 1.0}}, 2.5}, // exactly half at 2: mean of 2, 3
        {{{1.0, 1.0}, {2.0, 1.0}, {10.0, 5.0}}, 10.0},           // one heavy value outweighs
        {{{0.3, 2.0}, {0.1, 1.0}, {0.2, 1.0}, {0.9, 0.5}}, 0.3}, // 1 + 1 < 2.25 <= 1 + 1 + 2
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(weighted_median(c.values), c.median);
    EXPECT_TRUE(std::isnan(weighted_median({})));
}

// A plateau that fades slowly, observed by a reference source every other night and by three
// more sources with known zero-point offsets: one on the reference's nights, one in between (its
// reference is interpolated), one with a single night in common; a fourth has its offset by hand.
struct Synthetic {
    std::vector<Point> points;
    static double truth(double t) { return 14.0 + 0.01 * (t - 100.0) + 0.3 * std::sin(t / 20.0); }
};

Synthetic synthetic(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    Synthetic s;
    auto observe = [&](double t, int source, double offset, double error) {
        s.points.push_back({t, Synthetic::truth(t) + offset + error * noise(random), error, error,
                            source});
    };
    for (int night = 100; night < 220; night += 2) observe(night + 0.30, 0, 0.0, 0.01);
    for (int night = 100; night < 220; night += 2) observe(night + 0.60, 1, 0.35, 0.015);
    for (int night = 121; night < 221; night += 2) observe(night + 0.40, 2, -0.12, 0.012);
    observe(150.7, 3, 1.40, 0.01);
    observe(260.3, 3, 1.40, 0.01);
    observe(262.3, 3, 1.40, 0.01);
    observe(152.2, 4, 0.80, 0.01);
    observe(154.2, 4, 0.80, 0.01);
    return s;
}

TEST(SourceAlignment, RecoversKnownOffsetsWithinTenMillimag) {
    const double truth[] = {0.0, 0.35, -0.12};
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        Synthetic s = synthetic(seed);
        AlignmentRules rules;
        rules.estimate = true;
        rules.reference = 0;
        rules.by_hand = {{4, 0.80}};
        const std::vector<Point> before = s.points;
        const auto offsets = align_sources(s.points, rules);
        ASSERT_EQ(offsets.size(), 5u);
        EXPECT_EQ(offsets[0].kind, OffsetKind::reference);
        for (int source : {1, 2}) {
            const SourceOffset& o = offsets[static_cast<std::size_t>(source)];
            EXPECT_EQ(o.kind, OffsetKind::estimated) << "seed " << seed;
            EXPECT_NEAR(o.offset, truth[source], 0.01) << "seed " << seed << " source " << source;
            EXPECT_LT(std::fabs(o.offset - truth[source]) / o.error, 4.0) << "seed " << seed;
            EXPECT_GT(o.error, 0.001);
            EXPECT_LT(o.error, 0.02);
        }
        EXPECT_EQ(offsets[1].pairs, 60); // on the reference's nights
        // Between them, interpolated: all but 219.4, after the reference's last point.
        EXPECT_EQ(offsets[2].pairs, 49);
        // One night near the reference: too little overlap, left as it is.
        EXPECT_EQ(offsets[3].kind, OffsetKind::too_little_overlap);
        EXPECT_EQ(offsets[3].pairs, 1);
        EXPECT_EQ(offsets[4].kind, OffsetKind::by_hand);
        for (std::size_t k = 0; k < s.points.size(); ++k) {
            const Point& p = s.points[k];
            const double removed = offsets[static_cast<std::size_t>(p.source)].offset;
            EXPECT_DOUBLE_EQ(p.mag, before[k].mag - removed);
            EXPECT_NEAR(p.total, std::hypot(p.error, offsets[static_cast<std::size_t>(p.source)].error),
                        1e-15);
        }
    }
}

TEST(SourceAlignment, PairsOnlyOnTheSameNightOrWithinTheReachOfTheInterpolation) {
    // The reference on nights 10 and 20; the source on night 10 (same night: difference 0.5), at
    // 15.3 (neighbours 5.1 and 4.9 days away; reference 15.51 there: 0.39) and on night 20 (0.45).
    const std::vector<Point> points = {{10.2, 15.0, 0.02, 0.02, 0}, {20.2, 16.0, 0.02, 0.02, 0},
                                       {10.8, 15.5, 0.02, 0.02, 1}, {15.3, 15.9, 0.02, 0.02, 1},
                                       {20.9, 16.45, 0.02, 0.02, 1}};
    AlignmentRules rules;
    rules.estimate = true;
    rules.reference = 0;
    rules.min_pairs = 2;
    rules.match_days = 5.0;
    std::vector<Point> near = points;
    const auto two = align_sources(near, rules);
    EXPECT_EQ(two[1].pairs, 2);
    EXPECT_NEAR(two[1].offset, 0.475, 1e-12); // equal weights, exactly half at 0.45
    rules.match_days = 5.5;
    std::vector<Point> far = points;
    const auto three = align_sources(far, rules);
    EXPECT_EQ(three[1].pairs, 3);
    EXPECT_NEAR(three[1].offset, 0.45, 1e-12);
    EXPECT_NEAR(far[3].mag, 15.9 - 0.45, 1e-12);
    rules.min_pairs = 4;
    std::vector<Point> few = points;
    const auto left = align_sources(few, rules);
    EXPECT_EQ(left[1].kind, OffsetKind::too_little_overlap);
    EXPECT_EQ(few[3].mag, 15.9);
    rules.estimate = false;
    std::vector<Point> as_read = points;
    EXPECT_EQ(align_sources(as_read, rules)[1].kind, OffsetKind::as_read);
    EXPECT_EQ(as_read[2].mag, 15.5);
}

} // namespace
} // namespace lcimport
