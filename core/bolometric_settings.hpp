// [bolometric] of the settings file: the extinction towards the supernova and its distance, with
// the suite's built-in values as defaults.
//
// The extinction in B and I is given either directly (extinction_B, extinction_I) or as the
// reddening E(B-V) with R_V (ebv, rv), from which the Cardelli, Clayton & Mathis (1989) law gives
// A_B and A_I at the effective wavelengths of Johnson B and Cousins I.
#pragma once

#include "settings_file.hpp"

#include <cmath>

namespace snphot {

// Effective wavelengths, in micrometres, of Johnson B and Cousins I for a normal stellar spectrum
// (Bessell, Castelli & Plez 1998).
inline constexpr double kJohnsonBMicron = 0.438;
inline constexpr double kCousinsIMicron = 0.798;

// A_lambda / E(B-V) of the Cardelli, Clayton & Mathis (1989) law, R_V (a(x) + b(x) / R_V), at the
// wavelength in micrometres (0.303 - 3.33 um, the law's infrared and optical ranges).
double extinction_per_reddening(double micron, double rv);

// [bolometric]
struct BolometricSettings {
    float extinction_B = 0.146f;     // mag, subtracted from every paired B magnitude
    float extinction_I = 0.061f;     // mag, subtracted from every paired I magnitude
    float ebv = NAN;                 // mag, E(B-V) towards the supernova; not set by default
    float rv = 3.1f;                 // R_V = A_V / E(B-V)
    float distance_pc = 13200000.0f; // pc
    // pc, the 1-sigma uncertainty of distance_pc; not set by default (the distance is exact).
    // snfit then carries the distance modulus as a nuisance parameter of that Gaussian prior.
    float distance_pc_sigma = NAN;

    // The uncertainty of the distance modulus, mag (0 when the distance is exact).
    double distance_modulus_sigma() const {
        return std::isnan(distance_pc_sigma) ? 0.0
                                             : 5.0 / std::log(10.0) * distance_pc_sigma / distance_pc;
    }

    // True when the extinction follows from ebv and rv.
    bool from_reddening() const { return !std::isnan(ebv); }
};

// The table bound to the members. When the file gives ebv, extinction_B and extinction_I follow
// from it and rv; giving both forms, or rv without ebv, is refused.
SettingsTable bolometric_table(BolometricSettings& settings);

} // namespace snphot
