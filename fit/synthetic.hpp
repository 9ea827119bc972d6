// Synthetic bolometric light curves from known parameters, for the recovery tests and the
// coverage benchmark: the model's magnitudes at a campaign's dates plus seeded Gaussian noise.
#pragma once

#include "bolometric_curve.hpp"
#include "fit_parameters.hpp"

#include <cstdint>
#include <random>
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

// A random type II-P explosion of the coverage benchmarks, drawn from the seed `set`: R0, M, Mni
// and Ek spread over a typical range, the explosion date, the first detection 1-4 days after it
// and the last non-detection up to 8 days before it.
struct RandomExplosion {
    snmodel::ModelState parameters;
    double explosion = 0, first = 0, non_detection = 0; // JD - 2400000
    Values truth{};
    std::mt19937_64 random; // the seed's stream after the draws, for any further draw
};
RandomExplosion random_explosion(int set);

// Where the benchmarks' fits start: the explosion `truth` with R0, M, Ek and Mni at a typical
// plateau supernova's (4e13 cm, 12 M_sun, 1.2e51 erg, 0.06 M_sun), the fixed ones at the truth.
snmodel::ModelState benchmark_start(const snmodel::ModelState& truth);

} // namespace snfit
