// What a fit is asked: the data points it weighs, the parameters it frees within their bounds,
// the fixed values, and the optional velocity constraint; and the weighted residuals of a
// parameter set, the quantities whose sum of squares is chi^2.
#pragma once

#include "bolometric_curve.hpp"
#include "fit_parameters.hpp"
#include "fit_settings.hpp"

#include <optional>
#include <span>
#include <vector>

namespace snfit {

struct FreeParameter {
    int index = 0; // in Values
    Bound bound;
    bool log_scale = false; // explored in ln x: positive parameters with a positive low bound
};

// A Gaussian prior on a free parameter: one more term ((x - mean) / sigma)^2 of chi^2.
struct PriorTerm {
    int index = 0; // in Values
    Prior prior;
};

struct Problem {
    Values start{}; // the start values, and the values of the fixed parameters
    std::vector<FreeParameter> free;
    std::vector<Point> points; // every row of the bolometric light curve
    std::vector<bool> in_fit;  // per point: within the dates of the fit
    std::vector<double> sigma; // per point: its uncertainty with the systematic added
    double systematic = 0;     // mag
    std::optional<Velocity> velocity;
    std::vector<PriorTerm> priors; // in the order of the parameters
    double distance_modulus_sigma = 0; // mag; 0: the distance is exact
    double end_date = 0; // the model curve is drawn to here: the last point + 20 d
    int fitted = 0;      // points in the fit

    int degrees_of_freedom() const {
        return fitted + (velocity ? 1 : 0) + static_cast<int>(priors.size()) -
               static_cast<int>(free.size());
    }
};

// Checks the inputs against each other and builds the problem. `parameters` holds the values of
// "parameters.inp"; `parameter_file` names it in messages. Throws a RunFailure for a forbidden
// envelope index, bounds that are not physical or do not contain the start value, an explosion
// that could follow the first data point, a fitted point of no uncertainty, or fewer fitted
// points than free parameters + 1.
Problem make_problem(const snmodel::ModelState& parameters, const std::string& parameter_file,
                     std::vector<Point> points, const FitSettings& settings);

// Absolute bolometric magnitude of a luminosity in erg/s.
double magnitude_of(double Lsn);

// The model magnitudes of a parameter set at the given dates (JD - 2400000; those before the
// explosion take the magnitude at the explosion).
std::vector<double> model_magnitudes(const Values& values, std::span<const double> dates);

// The model's expansion velocity, km/s.
double model_velocity(const Values& values);

// The weighted residuals (observed - model) / sigma of the fitted points in their order, then
// (model - observed) / sigma of the velocity when constrained, then (x - mean) / sigma of every
// prior; false when the model gives no finite magnitude at some point. One model run.
class Residuals {
  public:
    explicit Residuals(const Problem& problem);
    int count() const {
        return static_cast<int>(observed_.size() + priors_.size()) + (velocity_ ? 1 : 0) +
               (distance_sigma_ > 0 ? 1 : 0);
    }
    bool evaluate(const Values& values, double* residuals) const;
    // The shift of the distance modulus that fits the weighted residuals r_i = (observed - model)
    // / sigma best under its prior (0 when the distance is exact); the residuals become r_i -
    // offset / sigma_i. A Gaussian offset on which the residuals depend linearly: minimising over
    // it equals integrating it out, so the errors of the other parameters include it.
    double distance_offset(const double* data_residuals) const;

  private:
    std::vector<double> dates_, observed_, sigma_;
    std::optional<Velocity> velocity_;
    std::vector<PriorTerm> priors_;
    double distance_sigma_ = 0;
};

// The distance-modulus offset of the best fit at `values` (mag; 0 when the distance is exact).
double distance_offset_at(const Problem& problem, const Values& values);

// The sum of the prior terms of chi^2 at `values`.
double prior_chi_square(const Problem& problem, const Values& values);

double chi_square(const Problem& problem, const Values& values);

} // namespace snfit
