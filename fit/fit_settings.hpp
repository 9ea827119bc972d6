// The [fit] table of "snphot.toml": which parameters the fit frees, where it starts and what it
// may explore, which data points it takes, and what it adds to their uncertainties. Every key is
// optional.
//
//   [fit]
//   free = ["explosion_date", "R0", "M", "Ek", "Mni"]   # names of parameters.inp, explosion_date
//   explosion_date = 57825.0          # start value, JD - 2400000; default 10 d before the data
//   bounds = { explosion_date = [57820.0, 57836.6], R0 = [1e13, 1e14] }   # units of the file
//   dates = [57830.0, 58100.0]        # only points within these dates enter the fit
//   systematic = 0.05                 # mag, added in quadrature to every uncertainty
//   velocity = [4000.0, 300.0]        # km/s: value and sigma of the expansion velocity v
//   priors = { Mni = [0.05, 0.01] }   # a Gaussian prior [mean, sigma] per free parameter
//
// `scatter`, a white noise added in quadrature to every uncertainty, may stand in `free`,
// `bounds` and `priors` too: the posterior sampler fits it (log-uniform over its bounds), the
// least-squares fit leaves it out.
#pragma once

#include "fit_parameters.hpp"
#include "settings_file.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace snfit {

struct Velocity {
    double value = 0; // km/s
    double sigma = 0; // km/s
};

// A Gaussian prior on a parameter, in the units of "parameters.inp".
struct Prior {
    double mean = 0;
    double sigma = 0;
};

inline constexpr const char* kScatterName = "scatter";
inline constexpr Bound kScatterBound = {0.001, 1.0}; // mag

struct FitSettings {
    // Indices of the free parameters (see fit_parameters.hpp), in the order given.
    std::vector<int> free = {kExplosionDate, kR0, kM, kEk, kMni};
    std::optional<double> explosion_date; // start; default 10 days before the first data point
    std::map<int, Bound> bounds;          // given bounds by parameter; the others take defaults
    std::optional<Bound> dates;           // window of the fitted points; default all
    double systematic = 0.05;             // mag
    std::optional<Velocity> velocity;
    std::map<int, Prior> priors; // by parameter index
    // The 1-sigma uncertainty of the distance modulus (mag), from [bolometric] distance_pc_sigma:
    // every absolute magnitude may be shifted by one common offset of that Gaussian prior. 0: the
    // distance is taken as exact.
    double distance_modulus_sigma = 0.0;

    // The white-noise term: free when `free` names it, with its bounds and prior.
    bool scatter = false;
    Bound scatter_bound = kScatterBound;
    std::optional<Prior> scatter_prior;

    // Where each given value stands, for the messages of the checks against the data and the
    // parameter file: "snphot.toml:LINE".
    std::map<int, std::string> bound_source;
    std::string explosion_date_source;
    std::map<int, std::string> prior_source;
};

// The [fit] table of the settings file bound to `settings`. The core settings reader checks each
// key for its kind (an unknown key or parameter name, a wrong type, an array of the wrong length,
// a number that is not finite); the table then refuses, naming the line, a list of no free
// parameter, bounds of a parameter that is not free, a low bound not below the high one, dates
// in the wrong order, a negative systematic, a velocity or sigma that is not positive, a prior of a
// parameter that is not free or of a sigma that is not positive, and a scatter bound that is not
// positive.
// Printed, it shows the bounds a fit would use: those given, the built-in ones of the other free
// parameters (the explosion date's follow from the data).
snphot::SettingsTable fit_table(FitSettings& settings);

} // namespace snfit
