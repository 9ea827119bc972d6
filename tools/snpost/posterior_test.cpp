// The posterior's density against closed forms: the Gaussian likelihood with its normalisation,
// the scatter that maximises it, the priors in the coordinates of the bounds, the refusal outside
// them, and the start ball.
#include "example_explosion.hpp"
#include "inference.hpp"
#include "synthetic.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace snpost;

namespace {

constexpr double kExplosion = 57830.0;
constexpr double kError = 0.03; // of every point; with the systematic 0.05 in quadrature

// The model of the example explosion at every 4th day from day 3 to day 120, each point offset
// by +-offset in turn.
std::vector<snfit::Point> points(double offset) {
    const snfit::Values truth = snfit::values_of(snmodel::example_explosion(), kExplosion);
    std::vector<double> dates;
    for (double day = 3.0; day <= 120.0; day += 4.0) dates.push_back(kExplosion + day);
    const std::vector<double> mags = snfit::model_magnitudes(truth, dates);
    std::vector<snfit::Point> result;
    for (std::size_t i = 0; i < dates.size(); ++i)
        result.push_back(
            {dates[i], mags[i] + (i % 2 ? offset : -offset), kError, static_cast<long>(i + 1)});
    return result;
}

snfit::FitSettings settings_with(std::vector<int> free, bool scatter) {
    snfit::FitSettings s;
    s.free = std::move(free);
    s.explosion_date = kExplosion;
    s.bounds[snfit::kExplosionDate] = {kExplosion - 2.0, kExplosion + 1.0};
    s.bound_source[snfit::kExplosionDate] = "snphot.toml:2";
    s.scatter = scatter;
    return s;
}

snfit::Problem problem_of(const snfit::FitSettings& s, double offset) {
    return snfit::make_problem(snmodel::example_explosion(), "parameters.inp", points(offset), s);
}

} // namespace

TEST(Posterior, TheLikelihoodIsGaussianWithItsNormalisation) {
    const snfit::FitSettings s = settings_with({snfit::kMni}, true);
    const snfit::Problem problem = problem_of(s, 0.04);
    const Posterior posterior(problem, s);
    const snfit::Values truth = snfit::values_of(snmodel::example_explosion(), kExplosion);
    const double n = problem.fitted;
    for (double scatter : {0.0, 0.02, 0.3}) {
        // Every residual is 0.04: -0.5 n (0.04^2 / v + ln(2 pi v)), v = 0.03^2 + 0.05^2 + s^2.
        const double v = kError * kError + 0.05 * 0.05 + scatter * scatter;
        EXPECT_NEAR(posterior.log_likelihood(truth, scatter),
                    -0.5 * n * (0.04 * 0.04 / v + std::log(2.0 * std::numbers::pi * v)), 1e-6)
            << scatter;
    }
}

TEST(Posterior, TheResidualScatterMaximisesTheLikelihood) {
    const snfit::FitSettings s = settings_with({snfit::kMni}, true);
    const snfit::Problem problem = problem_of(s, 0.1);
    const Posterior posterior(problem, s);
    const snfit::Values truth = snfit::values_of(snmodel::example_explosion(), kExplosion);
    // Equal uncertainties: d lnL / ds = 0 at s^2 = mean r^2 - sigma^2 = 0.01 - 0.0034.
    const double best = residual_scatter(problem, truth, s.scatter_bound);
    EXPECT_NEAR(best, std::sqrt(0.01 - 0.0034), 1e-6);
    const double at = posterior.log_likelihood(truth, best);
    EXPECT_GT(at, posterior.log_likelihood(truth, best * 1.05));
    EXPECT_GT(at, posterior.log_likelihood(truth, best / 1.05));
    // Residuals within their uncertainties leave no scatter: the lowest inside the bounds.
    EXPECT_LT(residual_scatter(problem_of(s, 0.0), truth, s.scatter_bound), 0.002);
}

TEST(Posterior, PriorsAreUniformInTheBoundsCoordinatesTimesTheGaussians) {
    snfit::FitSettings s = settings_with({snfit::kExplosionDate, snfit::kMni}, true);
    s.priors[snfit::kMni] = {0.05, 0.01};
    s.prior_source[snfit::kMni] = "snphot.toml:3";
    s.scatter_prior = snfit::Prior{0.1, 0.05};
    const snfit::Problem problem = problem_of(s, 0.04);
    const Posterior posterior(problem, s);
    ASSERT_EQ(posterior.dimensions(), 3);
    EXPECT_EQ(posterior.name(2), "scatter");
    const std::vector<double> u = {0.4, 0.7, 0.3};
    const double mni = posterior.value(1, u), scatter = posterior.value(2, u);
    // Log-uniform coordinates: x = low (high / low)^u.
    EXPECT_NEAR(mni, 1e-4 * std::pow(1e4, 0.7), 1e-12);
    EXPECT_NEAR(scatter, 0.001 * std::pow(1000.0, 0.3), 1e-12);
    EXPECT_NEAR(posterior.value(0, u), kExplosion - 2.0 + 0.4 * 3.0, 1e-9);
    // A Gaussian in x is a density N(x) dx/du in u; dx/du = x ln(high / low).
    const sampler::Evaluation e = posterior(u);
    const double zm = (mni - 0.05) / 0.01, zs = (scatter - 0.1) / 0.05;
    EXPECT_NEAR(e.log_posterior - e.log_likelihood,
                -0.5 * zm * zm + std::log(mni * std::log(1e4)) - 0.5 * zs * zs +
                    std::log(scatter * std::log(1000.0)),
                1e-9);
    EXPECT_EQ(e.log_likelihood, posterior.log_likelihood(posterior.values_of(u), scatter));
    // Outside the bounds nothing is allowed.
    EXPECT_TRUE(posterior(std::vector<double>{-0.01, 0.5, 0.5}).refused());
    EXPECT_TRUE(posterior(std::vector<double>{0.5, 0.5, 1.01}).refused());
    EXPECT_EQ(posterior.prior_lines()[1],
              "log-uniform in [0.0001, 1], times a Gaussian 0.05 +- 0.01");
    EXPECT_EQ(posterior.prior_lines()[0], "uniform in [57828, 57831]");
}

TEST(Posterior, TheStartBallFollowsTheFitsCovarianceAndStaysNearItsOptimum) {
    const snfit::FitSettings s = settings_with({snfit::kM, snfit::kMni}, false);
    const snfit::Problem problem = problem_of(s, 0.0);
    const Posterior posterior(problem, s);
    snfit::FitResult fit;
    fit.best = problem.start;
    fit.covariance = true;
    fit.error = {1.0, 0.005}; // M_sol: 10% of M; 10% of Mni
    fit.correlation = {{1.0, 0.9}, {0.9, 1.0}};
    const sampler::StartDraw draw = start_ball(posterior, fit);
    sampler::Stream stream = sampler::walker_stream(3, 0);
    const int n = 4000;
    double m[2] = {0, 0}, c[3] = {0, 0, 0};
    std::vector<double> u(2);
    for (int k = 0; k < n; ++k) {
        draw(stream, u);
        const double a = std::log(posterior.value(0, u) / 10.0);
        const double b = std::log(posterior.value(1, u) / 0.05);
        m[0] += a / n, m[1] += b / n;
        c[0] += a * a / n, c[1] += b * b / n, c[2] += a * b / n;
    }
    // A tenth of the errors (relative 1%) and their correlation.
    EXPECT_NEAR(m[0], 0.0, 0.001);
    EXPECT_NEAR(std::sqrt(c[0]), 0.01, 0.0005);
    EXPECT_NEAR(std::sqrt(c[1]), 0.01, 0.0005);
    EXPECT_NEAR(c[2] / std::sqrt(c[0] * c[1]), 0.9, 0.01);
}

namespace {

// The example explosion's exact magnitudes on its radioactive tail, days 250 to 400, where Lsn is
// proportional to Mni: ln Mni and the distance-modulus shift move every magnitude alike.
snfit::Problem tail_problem(snfit::FitSettings& s, double distance_relative_sigma,
                            double shift = 0.0) {
    s = settings_with({snfit::kMni}, false);
    s.distance_modulus_sigma = 5.0 / std::log(10.0) * distance_relative_sigma;
    const snfit::Values truth = snfit::values_of(snmodel::example_explosion(), kExplosion);
    std::vector<double> dates;
    for (double day = 250.0; day <= 400.0; day += 5.0) dates.push_back(kExplosion + day);
    const std::vector<double> mags = snfit::model_magnitudes(truth, dates);
    std::vector<snfit::Point> tail;
    for (std::size_t i = 0; i < dates.size(); ++i)
        tail.push_back({dates[i], mags[i] + shift, kError, static_cast<long>(i + 1)});
    snmodel::ModelState start = snmodel::example_explosion();
    start.Mni *= 1.3;
    return snfit::make_problem(start, "parameters.inp", tail, s);
}

} // namespace

TEST(Posterior, AnUncertainDistanceIsAShiftOfEveryModelMagnitudeUnderItsGaussianPrior) {
    snfit::FitSettings s;
    const snfit::Problem problem = tail_problem(s, 0.1);
    const Posterior posterior(problem, s);
    ASSERT_EQ(posterior.dimensions(), 2);
    EXPECT_EQ(posterior.name(1), "distance_modulus");
    EXPECT_EQ(posterior.unit(1), "mag");
    const double sigma = 5.0 / std::log(10.0) * 0.1; // 0.217147 mag
    EXPECT_EQ(posterior.prior_lines()[1],
              "uniform in [-1.73718, 1.73718], times a Gaussian 0 +- 0.217147");
    const snfit::Values truth = snfit::values_of(snmodel::example_explosion(), kExplosion);
    const std::vector<double> u = {posterior.coordinate(0, truth[snfit::kMni]), 0.55};
    const double offset = posterior.value(1, u);
    EXPECT_NEAR(offset, (0.55 * 16.0 - 8.0) * sigma, 1e-12);
    // At the true Mni every residual is -offset: -0.5 n (offset^2 / v + ln(2 pi v)).
    const double v = kError * kError + 0.05 * 0.05, n = problem.fitted;
    const sampler::Evaluation e = posterior(u);
    EXPECT_NEAR(e.log_likelihood,
                -0.5 * n * (offset * offset / v + std::log(2.0 * std::numbers::pi * v)), 1e-6);
    // The prior: N(offset; 0, sigma) dx/du, dx/du the width of the range 16 sigma.
    const double z = offset / sigma;
    EXPECT_NEAR(e.log_posterior - e.log_likelihood, -0.5 * z * z + std::log(16.0 * sigma), 1e-9);

    // Every point 0.3 mag fainter: the best fit's distance offset takes up most of it (all but
    // 0.3 (v / n) / (v / n + sigma^2) = 0.0007 mag), and what is left is no white noise.
    snfit::FitSettings shifted;
    const snfit::Problem fainter = tail_problem(shifted, 0.1, 0.3);
    EXPECT_NEAR(snfit::distance_offset_at(fainter, truth), 0.3, 0.001);
    EXPECT_LT(residual_scatter(fainter, truth, shifted.scatter_bound), 0.002);
}

// Sampled, ln Mni and the shift are one line of equal likelihood: the posterior of ln Mni is
// Gaussian with the variance (0.4 ln 10)^2 (1 / sum(1 / v_i) + sigma_mu^2), centred on the truth
// for exact data. A distance known to 10% adds 0.2 to the error of ln Mni in quadrature.
TEST(Inference, AnUncertainDistanceWidensTheNickelMassByTwiceItsRelativeError) {
    snfit::FitSettings s;
    const snfit::Problem problem = tail_problem(s, 0.1);
    const Posterior posterior(problem, s);
    PosteriorSettings settings;
    settings.seed = 7;
    const Inference r = infer(posterior, settings, 2);
    ASSERT_TRUE(r.sampling.converged);
    const double v = kError * kError + 0.05 * 0.05, sigma_mu = 5.0 / std::log(10.0) * 0.1;
    const double expected =
        0.4 * std::log(10.0) * std::sqrt(v / problem.fitted + sigma_mu * sigma_mu);
    EXPECT_NEAR(expected, 0.2, 0.002); // the distance dominates
    double mean = 0.0, squares = 0.0;
    for (const sampler::Sample& x : r.samples) mean += std::log(posterior.value(0, x.position));
    mean /= r.samples.size();
    for (const sampler::Sample& x : r.samples) {
        const double d = std::log(posterior.value(0, x.position)) - mean;
        squares += d * d;
    }
    const double sd = std::sqrt(squares / r.samples.size());
    // Monte-Carlo errors: sd / sqrt(ESS) of the mean, sd / sqrt(2 ESS) of the width.
    const double ess = r.parameters[0].effective;
    const double truth = std::log(snmodel::example_explosion().Mni);
    EXPECT_NEAR((mean - truth) / expected, 0.0, 4.0 / std::sqrt(ess));
    EXPECT_NEAR(sd / expected, 1.0, 4.0 / std::sqrt(2.0 * ess));
    // Mni itself (not its logarithm) is correlated with the shift by a little less than 1.
    EXPECT_GT(r.correlation[0][1], 0.98);
}
