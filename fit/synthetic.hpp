// Synthetic bolometric light curves from known parameters, for the recovery tests and the
// coverage benchmark: the model's magnitudes at a campaign's dates plus seeded Gaussian noise.
#pragma once

#include "bolometric_curve.hpp"
#include "fit_parameters.hpp"

#include <cstdint>
#include <vector>

namespace snfit {

// Dates of a follow-up campaign from `first` (JD - 2400000) to `days` after the explosion: every
// one to two and a half days in the first month, every two to six days to day 150, every four to
// ten days on the tail.
std::vector<double> campaign_dates(double explosion, double first, double days, std::uint64_t seed);

// The model of `truth` at `dates`, each point with the uncertainty `error` and Gaussian noise of
// standard deviation sqrt(error^2 + scatter^2).
std::vector<Point> synthetic_points(const Values& truth, const std::vector<double>& dates,
                                    double error, double scatter, std::uint64_t seed);

} // namespace snfit
