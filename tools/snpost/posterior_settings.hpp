// snpost's settings: its files, the [posterior] table of the settings file (the sampler's walkers,
// seed, budget of model runs and the effective samples it asks for), and the choices that are not
// for the user to tune.
#pragma once

#include "settings_file.hpp"

namespace snpost {

inline constexpr const char* kReport = "posterior.txt";
inline constexpr const char* kSamples = "posterior-samples.txt";
inline constexpr const char* kBand = "posterior-band.txt";

// [posterior]
struct PosteriorSettings {
    long walkers = 32;
    long seed = 1;
    long max_model_runs = 400000;
    double effective_samples = 2000;
};

inline snphot::SettingsTable posterior_table(PosteriorSettings& settings) {
    return {"posterior",
            "snpost: the ensemble sampler of the posterior around the fit of [fit].",
            {snphot::whole("walkers", settings.walkers,
                           "an even number, at least 2 per sampled parameter + 2", 3.0),
             snphot::whole("seed", settings.seed, "of the walkers' random streams", -1.0),
             snphot::whole("max_model_runs", settings.max_model_runs,
                           "the sampler stops here, converged or not", 0.0),
             snphot::number("effective_samples", settings.effective_samples,
                            "independent samples after the burn-in that end the run", 0.0)}};
}

namespace settings {

// The chain must hold this many autocorrelation times of every parameter after the burn-in.
inline constexpr double kAutocorrelationLengths = 50.0;
// The walkers start in a ball around the optimum, its axes this fraction of the fit's errors.
inline constexpr double kStartBall = 0.1;
// Where the fit gives no errors, the ball's radius in the coordinates of the bounds.
inline constexpr double kStartBallWithoutErrors = 1e-3;
inline constexpr double kScatterStartSpread = 0.02; // in the coordinate of the scatter
// The shift of the distance modulus, sampled when [bolometric] distance_pc_sigma is given: its
// Gaussian prior is cut at this many sigma (a share of 6e-16 of it left out).
inline constexpr const char* kDistanceName = "distance_modulus";
inline constexpr double kDistanceRange = 8.0;
inline constexpr int kStartAttempts = 100; // draws per walker before it counts as refused
// The posterior band: the model of this many samples, on a grid of dates a day apart up to
// kBandPastData days past the last point.
inline constexpr int kBandSamples = 200;
inline constexpr double kBandStep = 1.0;
inline constexpr double kBandPastData = 20.0;
// A progress line on a terminal at most every this many seconds.
inline constexpr double kProgressEvery = 3.0;

} // namespace settings

} // namespace snpost
