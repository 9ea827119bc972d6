#include "posterior.hpp"

#include "coordinates.hpp"
#include "posterior_settings.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

namespace snpost {

namespace {

using snfit::FreeParameter;
using snfit::parameter_info;

constexpr double kRefused = -std::numeric_limits<double>::infinity();

// The index in Values the nuisance parameters stand for: none.
constexpr int kNuisance = -1;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

} // namespace

Posterior::Posterior(const snfit::Problem& problem, const snfit::FitSettings& settings)
    : problem_(problem), sampled_(problem.free), scatter_bound_(settings.scatter_bound) {
    for (const snfit::PriorTerm& p : problem.priors)
        for (std::size_t j = 0; j < problem.free.size(); ++j)
            if (problem.free[j].index == p.index)
                gaussians_.push_back({static_cast<int>(j), p.prior});
    if (settings.scatter) {
        scatter_ = dimensions();
        sampled_.push_back({kNuisance, scatter_bound_, true});
        if (settings.scatter_prior) gaussians_.push_back({scatter_, *settings.scatter_prior});
    }
    if (const double sigma = problem.distance_modulus_sigma; sigma > 0) {
        distance_ = dimensions();
        const double range = settings::kDistanceRange * sigma;
        sampled_.push_back({kNuisance, {-range, range}, false});
        gaussians_.push_back({distance_, {0.0, sigma}});
    }
    for (std::size_t i = 0; i < problem.points.size(); ++i) {
        if (!problem.in_fit[i]) continue;
        dates_.push_back(problem.points[i].date);
        observed_.push_back(problem.points[i].mag);
        variance_.push_back(problem.sigma[i] * problem.sigma[i]);
    }
}

std::string Posterior::name(int i) const {
    if (i == scatter_) return snfit::kScatterName;
    if (i == distance_) return settings::kDistanceName;
    return parameter_info(problem_.free[i].index).name;
}

std::string Posterior::unit(int i) const {
    if (i == scatter_ || i == distance_) return "mag";
    const char* unit = parameter_info(problem_.free[i].index).unit;
    return *unit ? unit : "-";
}

double Posterior::value(int i, std::span<const double> u) const {
    return snfit::value_of(sampled_[i], u[i]);
}

double Posterior::coordinate(int i, double value) const {
    return snfit::coordinate_of(sampled_[i], value);
}

snfit::Values Posterior::values_of(std::span<const double> u) const {
    snfit::Values values = problem_.start;
    for (std::size_t j = 0; j < problem_.free.size(); ++j)
        values[problem_.free[j].index] = snfit::value_of(problem_.free[j], u[j]);
    return values;
}

double Posterior::scatter_of(std::span<const double> u) const {
    return scatter_ >= 0 ? value(scatter_, u) : 0.0;
}

double Posterior::distance_offset_of(std::span<const double> u) const {
    return distance_ >= 0 ? value(distance_, u) : 0.0;
}

double Posterior::log_likelihood(const snfit::Values& values, double scatter,
                                 double distance_offset) const {
    const std::vector<double> model = snfit::model_magnitudes(values, dates_);
    const double s2 = scatter * scatter;
    double sum = 0.0;
    for (std::size_t i = 0; i < model.size(); ++i) {
        const double v = variance_[i] + s2, r = observed_[i] - (model[i] + distance_offset);
        sum += r * r / v + std::log(2.0 * std::numbers::pi * v);
    }
    if (problem_.velocity) {
        const double sigma = problem_.velocity->sigma;
        const double r = (snfit::model_velocity(values) - problem_.velocity->value) / sigma;
        sum += r * r + std::log(2.0 * std::numbers::pi * sigma * sigma);
    }
    return std::isfinite(sum) ? -0.5 * sum : kRefused;
}

sampler::Evaluation Posterior::operator()(std::span<const double> u) const {
    for (double x : u)
        if (!(x >= 0.0 && x <= 1.0)) return {};
    // Uniform in u; a Gaussian prior in the parameter's own units is a density in u of
    // N(x(u)) dx/du.
    double log_prior = 0.0;
    for (const Gaussian& g : gaussians_) {
        const double z = (value(g.dimension, u) - g.prior.mean) / g.prior.sigma;
        log_prior +=
            -0.5 * z * z + std::log(snfit::slope_of(sampled_[g.dimension], u[g.dimension]));
    }
    const double log_l = log_likelihood(values_of(u), scatter_of(u), distance_offset_of(u));
    if (!(log_l > kRefused)) return {};
    return {log_l + log_prior, log_l};
}

std::vector<std::string> Posterior::prior_lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < dimensions(); ++i) {
        const FreeParameter& p = sampled_[i];
        std::string line = (p.log_scale ? "log-uniform in [" : "uniform in [") +
                           number(p.bound.low) + ", " + number(p.bound.high) + "]";
        for (const Gaussian& g : gaussians_)
            if (g.dimension == i)
                line +=
                    ", times a Gaussian " + number(g.prior.mean) + " +- " + number(g.prior.sigma);
        lines.push_back(line);
    }
    return lines;
}

double residual_scatter(const snfit::Problem& problem, const snfit::Values& best,
                        snfit::Bound bound) {
    std::vector<double> dates;
    for (const snfit::Point& p : problem.points) dates.push_back(p.date);
    const std::vector<double> model = snfit::model_magnitudes(best, dates);
    // The model as the best fit has it: shifted by its distance offset when the distance is
    // uncertain, or a shift of the whole curve would count as white noise.
    const double offset = snfit::distance_offset_at(problem, best);
    double excess = 0.0;
    for (std::size_t i = 0; i < model.size(); ++i) {
        if (!problem.in_fit[i]) continue;
        const double r = problem.points[i].mag - (model[i] + offset);
        excess += r * r - problem.sigma[i] * problem.sigma[i];
    }
    const double s = std::sqrt(std::max(0.0, excess / std::max(1, problem.fitted)));
    // Inside the bounds by a little, so that the ball around it is not cut in half.
    const double margin = std::pow(bound.high / bound.low, 0.05);
    return std::clamp(std::isfinite(s) ? s : 0.0, bound.low * margin, bound.high / margin);
}

sampler::StartDraw start_ball(const Posterior& posterior, const snfit::FitResult& fit) {
    const snfit::Problem& problem = posterior.problem();
    const int k = static_cast<int>(problem.free.size());
    const int d = posterior.dimensions();
    std::vector<double> centre(d);
    for (int j = 0; j < k; ++j)
        centre[j] = std::clamp(
            snfit::coordinate_of(problem.free[j], fit.best[problem.free[j].index]), 0.0, 1.0);
    // The covariance of the coordinates from the fit's errors and correlations, as its
    // Cholesky factor L (C = L L^T); a diagonal ball where the fit gives none.
    std::vector<double> L(static_cast<std::size_t>(k) * k, 0.0);
    bool ok = fit.covariance;
    std::vector<double> sigma(k, settings::kStartBallWithoutErrors);
    if (ok)
        for (int j = 0; j < k; ++j) {
            sigma[j] = fit.error[j] / snfit::slope_of(problem.free[j], centre[j]);
            ok = ok && std::isfinite(sigma[j]) && sigma[j] > 0.0;
        }
    for (int i = 0; ok && i < k; ++i)
        for (int j = 0; j <= i; ++j) {
            double c = sigma[i] * sigma[j] * fit.correlation[i][j];
            for (int m = 0; m < j; ++m) c -= L[i * k + m] * L[j * k + m];
            if (i == j) {
                ok = c > 0.0;
                L[i * k + i] = ok ? std::sqrt(c) : 0.0;
            } else {
                L[i * k + j] = c / L[j * k + j];
            }
        }
    if (!ok) {
        std::fill(L.begin(), L.end(), 0.0);
        for (int j = 0; j < k; ++j) L[j * k + j] = settings::kStartBallWithoutErrors;
    }
    // The nuisance parameters independently, each in its own small spread.
    std::vector<double> spread(d, 0.0);
    int next = k;
    if (posterior.scatter_free()) {
        centre[next] = posterior.coordinate(
            next, residual_scatter(problem, fit.best, posterior.scatter_bound()));
        spread[next++] = settings::kScatterStartSpread;
    }
    if (posterior.distance_free()) {
        centre[next] = posterior.coordinate(next, snfit::distance_offset_at(problem, fit.best));
        // A tenth of the prior's width: the coordinate spans 2 kDistanceRange sigma_mu.
        spread[next++] = settings::kStartBall / (2.0 * settings::kDistanceRange);
    }
    return [centre, L, spread, k, d](sampler::Stream& stream, std::span<double> u) {
        std::vector<double> z(k);
        for (double& x : z) x = sampler::standard_normal(stream);
        for (int i = 0; i < k; ++i) {
            u[i] = centre[i];
            for (int j = 0; j <= i; ++j) u[i] += settings::kStartBall * L[i * k + j] * z[j];
        }
        for (int i = k; i < d; ++i) u[i] = centre[i] + spread[i] * sampler::standard_normal(stream);
    };
}

} // namespace snpost
