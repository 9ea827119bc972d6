// The integrated autocorrelation time of a chain, tau = 1 + 2 sum_{t>=1} rho(t): the number of
// steps that hold as much information as one independent sample.
//
// Estimated per parameter as Goodman & Weare (2010) and the ensemble samplers after them do:
// the normalised autocorrelation function of each walker's own series (by FFT), averaged over the
// walkers (averaging the series first would hide the fluctuations being measured), summed up to
// an automatic window, the first lag M with M >= c tau(M). An estimate from a chain shorter than
// about 50 tau cannot be trusted.
#pragma once

#include "chain.hpp"

#include <span>
#include <vector>

namespace sampler {

inline constexpr double kWindowFactor = 5.0; // c of the automatic window

// The normalised autocorrelation function rho(t), t = 0 .. n-1, of one series (rho(0) = 1; all 0
// for a constant series).
std::vector<double> autocorrelation_function(std::span<const double> series);

// tau from an autocorrelation function with the automatic window.
double integrated_time(std::span<const double> rho, double window_factor = kWindowFactor);

// tau of one parameter from several series of the same length (one per walker).
double integrated_time(const std::vector<std::vector<double>>& series,
                       double window_factor = kWindowFactor);

// tau of every parameter of a chain from step `first` on.
std::vector<double> integrated_times(const Chain& chain, int first,
                                     double window_factor = kWindowFactor);

} // namespace sampler
