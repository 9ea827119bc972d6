// The posterior of the explosion parameters given the bolometric light curve: the free
// parameters of the fit, the white-noise `scatter` when freed, and the shift of the distance
// modulus when the distance is uncertain, in the coordinates u in [0, 1] of their bounds.
//
// Prior: uniform in u within the bounds (log-uniform for a positive bound, uniform for the
// date; the scatter log-uniform over [0.001, 1] mag or its bounds), times a Gaussian in the
// parameter's own units for each prior of [fit] priors. The distance-modulus shift has the
// Gaussian prior N(0, sigma_mu) of [bolometric] distance_pc_sigma, within +-kDistanceRange
// sigma_mu. Likelihood: Gaussian in every fitted point, the model shifted by the distance
// offset, with the variance sigma_i^2 + scatter^2 (sigma_i with the systematic), carrying its
// normalisation, and in the velocity when constrained.
#pragma once

#include "fit.hpp"
#include "problem.hpp"
#include "sampler.hpp"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace snpost {

class Posterior {
  public:
    Posterior(const snfit::Problem& problem, const snfit::FitSettings& settings);

    // Sampled parameters: the fit's free parameters in their order, then the scatter if free,
    // then the distance-modulus shift if the distance is uncertain.
    int dimensions() const { return static_cast<int>(sampled_.size()); }
    bool scatter_free() const { return scatter_ >= 0; }
    snfit::Bound scatter_bound() const { return scatter_bound_; }
    bool distance_free() const { return distance_ >= 0; }
    const snfit::Problem& problem() const { return problem_; }

    std::string name(int i) const;
    std::string unit(int i) const;
    // The value of parameter i, in its own units, at the coordinates u.
    double value(int i, std::span<const double> u) const;
    double coordinate(int i, double value) const;
    // The full set of the model's values (the fixed ones from the problem) at u.
    snfit::Values values_of(std::span<const double> u) const;
    double scatter_of(std::span<const double> u) const;
    // The shift of the distance modulus, which every model magnitude takes (mag; 0 when exact).
    double distance_offset_of(std::span<const double> u) const;

    // One model run; thread-safe.
    sampler::Evaluation operator()(std::span<const double> u) const;
    double log_likelihood(const snfit::Values& values, double scatter,
                          double distance_offset = 0.0) const;

    // One line per parameter saying what its prior is, for the report.
    std::vector<std::string> prior_lines() const;

  private:
    struct Gaussian {
        int dimension;
        snfit::Prior prior;
    };

    const snfit::Problem& problem_;
    std::vector<snfit::FreeParameter> sampled_; // per dimension
    int scatter_ = -1, distance_ = -1;          // their dimensions; -1 when not sampled
    snfit::Bound scatter_bound_;
    std::vector<Gaussian> gaussians_;
    std::vector<double> dates_, observed_, variance_; // the fitted points; variance sigma_i^2
};

// The start of every walker: a ball around the fit's optimum along its covariance (the axes
// kStartBall of the errors), the scatter around the white noise the residuals leave over, the
// distance offset around the one the fit profiled.
sampler::StartDraw start_ball(const Posterior& posterior, const snfit::FitResult& fit);

// The white noise that the residuals of the best fit (its distance offset included) leave over
// their uncertainties: sqrt(max(0, mean(r_i^2 - sigma_i^2))), kept within the bounds.
double residual_scatter(const snfit::Problem& problem, const snfit::Values& best,
                        snfit::Bound bound);

} // namespace snpost
