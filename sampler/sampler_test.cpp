// The sampler on targets whose moments or quantiles are known: a strongly correlated Gaussian, a
// curved (banana) density integrated numerically, and a density cut by a bound. Seeded, so that a
// failure repeats; the tolerances are the Monte-Carlo errors of the effective sample size.
#include "sampler.hpp"
#include "summary.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

using namespace sampler;

double normal_density(double x) {
    return std::exp(-0.5 * x * x) / std::sqrt(2.0 * std::numbers::pi);
}

double normal_cdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

// A ball of radius `spread` around `centre`, per coordinate.
StartDraw ball(std::vector<double> centre, std::vector<double> spread) {
    return [centre, spread](Stream& stream, std::span<double> x) {
        for (std::size_t i = 0; i < x.size(); ++i)
            x[i] = centre[i] + spread[i] * standard_normal(stream);
    };
}

std::vector<double> column(const std::vector<Sample>& samples, int i) {
    std::vector<double> values;
    for (const Sample& s : samples) values.push_back(s.position[i]);
    return values;
}

// The Monte-Carlo error of the q-quantile from n independent samples of a density f there.
double quantile_error(double q, double density, double n) {
    return std::sqrt(q * (1.0 - q) / n) / density;
}

// A 6-dimensional Gaussian with all correlations 0.99 and widths over three decades:
// Sigma = D R D, R = (1 - r) I + r 1 1^T, whose inverse is (I - r / (1 - r + 6 r) 1 1^T) / (1 - r).
struct CorrelatedGaussian {
    static constexpr int kDimensions = 6;
    static constexpr double kCorrelation = 0.99;
    std::array<double, kDimensions> mean = {1.0, -2.0, 3.0, 0.0, 5.0, -1.0};
    std::array<double, kDimensions> sigma = {1.0, 2.0, 0.5, 10.0, 3.0, 0.1};

    Evaluation operator()(std::span<const double> x) const {
        const double r = kCorrelation;
        double sum = 0.0, squares = 0.0;
        for (int i = 0; i < kDimensions; ++i) {
            const double z = (x[i] - mean[i]) / sigma[i];
            sum += z;
            squares += z * z;
        }
        const double q = (squares - r / (1.0 - r + kDimensions * r) * sum * sum) / (1.0 - r);
        return {-0.5 * q, -0.5 * q};
    }
};

// Every target is sampled by the stretch move alone and by the mixture snpost uses.
struct NamedMove {
    const char* name;
    const Move& move;
};
const StretchMove kStretch;
const StandardMove kStandard;
const NamedMove kMoves[] = {{"stretch", kStretch}, {"differential and stretch", kStandard}};

Options seeded(std::uint64_t seed, int walkers, int threads = 1) {
    Options options;
    options.walkers = walkers;
    options.seed = seed;
    options.threads = threads;
    options.max_evaluations = 3'000'000;
    return options;
}

TEST(Sampler, CorrelatedGaussianMeanAndCovarianceComeBackWithinTheirMonteCarloErrors) {
    const CorrelatedGaussian target;
    const int d = CorrelatedGaussian::kDimensions;
    std::vector<double> spread;
    for (double s : target.sigma) spread.push_back(0.01 * s);
    for (const NamedMove& m : kMoves) {
        SCOPED_TRACE(m.name);
        const Sampling run = sample(target, ball({target.mean.begin(), target.mean.end()}, spread),
                                    d, m.move, seeded(11, 48));
        ASSERT_TRUE(run.converged);
        EXPECT_GT(run.acceptance, 0.1);
        EXPECT_LT(run.acceptance, 0.6);
        const std::vector<Sample> samples = run.samples();
        std::vector<std::vector<double>> x;
        std::vector<double> m(d, 0.0);
        for (int i = 0; i < d; ++i) {
            x.push_back(column(samples, i));
            for (double v : x[i]) m[i] += v / x[i].size();
        }
        for (int i = 0; i < d; ++i) {
            const double n = run.effective_samples(i);
            EXPECT_GE(n, 2000.0);
            EXPECT_NEAR(m[i], target.mean[i], 4.0 * target.sigma[i] / std::sqrt(n)) << i;
            for (int j = 0; j <= i; ++j) {
                double c = 0.0;
                for (std::size_t s = 0; s < x[i].size(); ++s)
                    c += (x[i][s] - m[i]) * (x[j][s] - m[j]) / x[i].size();
                const double rho = i == j ? 1.0 : CorrelatedGaussian::kCorrelation;
                const double truth = rho * target.sigma[i] * target.sigma[j];
                // The Monte-Carlo error of a covariance: sqrt((1 + rho^2) / n) sigma_i sigma_j.
                EXPECT_NEAR(c / truth, 1.0, 4.0 * std::sqrt((1.0 + rho * rho) / n) / rho)
                    << i << ", " << j;
            }
        }
    }
}

// p(x, y) ~ exp(-x^2 / 2 - (y - x^2)^2 / (2 s^2)): a parabola-shaped valley. The marginal of x is
// the unit normal; that of y has the distribution function F(y) = int phi(x) Phi((y - x^2) / s) dx.
struct Banana {
    static constexpr double kWidth = 0.5;
    Evaluation operator()(std::span<const double> p) const {
        const double v = (p[1] - p[0] * p[0]) / kWidth;
        const double l = -0.5 * (p[0] * p[0] + v * v);
        return {l, l};
    }
    // F and its density by the trapezoidal rule over x in [-9, 9].
    static std::pair<double, double> marginal_y(double y) {
        const int n = 6000;
        const double h = 18.0 / n;
        double F = 0.0, f = 0.0;
        for (int i = 0; i <= n; ++i) {
            const double x = -9.0 + i * h, w = (i == 0 || i == n ? 0.5 : 1.0) * h;
            const double z = (y - x * x) / kWidth;
            F += w * normal_density(x) * normal_cdf(z);
            f += w * normal_density(x) * normal_density(z) / kWidth;
        }
        return {F, f};
    }
    static double quantile_y(double q) {
        double lo = -5.0, hi = 30.0;
        while (hi - lo > 1e-9) {
            const double mid = 0.5 * (lo + hi);
            (marginal_y(mid).first < q ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
};

TEST(Sampler, BananaMarginalQuantilesMatchTheNumericalIntegration) {
    for (const NamedMove& m : kMoves) {
        SCOPED_TRACE(m.name);
        const Sampling run =
            sample(Banana(), ball({0.0, 0.0}, {0.1, 0.1}), 2, m.move, seeded(5, 32));
        ASSERT_TRUE(run.converged);
        const std::vector<Sample> samples = run.samples();
        std::vector<double> x = column(samples, 0), y = column(samples, 1);
        std::sort(x.begin(), x.end());
        std::sort(y.begin(), y.end());
        for (double q : {0.025, 0.16, 0.5, 0.84, 0.975}) {
            // x: the unit normal. Its quantiles by bisection of Phi.
            double lo = -6.0, hi = 6.0;
            while (hi - lo > 1e-10) ((normal_cdf(0.5 * (lo + hi)) < q) ? lo : hi) = 0.5 * (lo + hi);
            const double xq = 0.5 * (lo + hi);
            EXPECT_NEAR(quantile(x, q), xq,
                        4.0 * quantile_error(q, normal_density(xq), run.effective_samples(0)))
                << "x, q = " << q;
            const double yq = Banana::quantile_y(q);
            EXPECT_NEAR(
                quantile(y, q), yq,
                4.0 * quantile_error(q, Banana::marginal_y(yq).second, run.effective_samples(1)))
                << "y, q = " << q;
        }
    }
}

TEST(Sampler, ADensityCutByABoundGivesAOneSidedInterval) {
    // x >= 0 only: a half-normal, as an explosion date held by its bound; y an independent normal.
    const auto target = [](std::span<const double> p) -> Evaluation {
        if (p[0] < 0.0) return {};
        const double l = -0.5 * (p[0] * p[0] + p[1] * p[1]);
        return {l, l};
    };
    for (const NamedMove& m : kMoves) {
        SCOPED_TRACE(m.name);
        const Sampling run =
            sample(target, ball({0.05, 0.0}, {0.02, 0.1}), 2, m.move, seeded(3, 32));
        ASSERT_TRUE(run.converged);
        const Summary s = summarize(column(run.samples(), 0));
        // Quantile q of the half-normal: Phi^-1((1 + q) / 2).
        const struct {
            double value, q, truth;
        } quantiles[] = {{s.low95, 0.025, 0.031337},
                         {s.low68, 0.16, 0.201893},
                         {s.median, 0.5, 0.674490},
                         {s.high68, 0.84, 1.405072},
                         {s.high95, 0.975, 2.241403}};
        const double n = run.effective_samples(0);
        for (const auto& c : quantiles)
            EXPECT_NEAR(c.value, c.truth,
                        4.0 * quantile_error(c.q, 2.0 * normal_density(c.truth), n) + 1e-3)
                << "q = " << c.q;
        // One-sided: the upper half of the 68% interval is half again as long as the lower one, and
        // the 95% interval reaches down to the bound.
        EXPECT_GT((s.high68 - s.median) / (s.median - s.low68), 1.35);
        EXPECT_LT(s.low95, 0.06);
    }
}

TEST(Sampler, TheChainDoesNotDependOnTheNumberOfThreads) {
    const CorrelatedGaussian target;
    std::vector<double> spread(6, 0.01);
    auto run_on = [&](int threads) {
        Options options = seeded(99, 16, threads);
        options.max_evaluations = 16 * 200;
        return sample(target, ball({target.mean.begin(), target.mean.end()}, spread), 6, kStandard,
                      options);
    };
    const Sampling one = run_on(1), three = run_on(3);
    ASSERT_EQ(one.chain.steps(), three.chain.steps());
    ASSERT_GT(one.chain.steps(), 100);
    for (int t = 0; t < one.chain.steps(); ++t)
        for (int k = 0; k < 16; ++k) {
            for (int i = 0; i < 6; ++i)
                ASSERT_EQ(one.chain.value(t, k, i), three.chain.value(t, k, i));
            ASSERT_EQ(one.chain.evaluation(t, k).log_posterior,
                      three.chain.evaluation(t, k).log_posterior);
        }
}

TEST(Sampler, ABudgetSpentBeforeConvergenceAndStartsThatAreAllRefusedAreReported) {
    const CorrelatedGaussian target;
    Options options = seeded(1, 16);
    options.max_evaluations = 2000;
    const Sampling short_run =
        sample(target, ball({target.mean.begin(), target.mean.end()}, std::vector<double>(6, 0.01)),
               6, StretchMove(), options);
    EXPECT_FALSE(short_run.converged);
    EXPECT_LE(short_run.evaluations, 2000);
    EXPECT_EQ(short_run.chain.steps(), (2000 - 16) / 16);

    options.start_attempts = 5;
    const Target nowhere = [](std::span<const double>) { return Evaluation(); };
    const Sampling refused =
        sample(nowhere, ball(std::vector<double>(6, 0.0), std::vector<double>(6, 1.0)), 6,
               StretchMove(), options);
    EXPECT_EQ(refused.refused_starts, 16);
    EXPECT_EQ(refused.evaluations, 16 * 5);
    EXPECT_EQ(refused.chain.steps(), 0);
    EXPECT_FALSE(refused.converged);
}

} // namespace
