// The two-Gaussian H-alpha profiles of cumquad and cumquad2 and the range they are integrated
// over: edit and rebuild to integrate another profile. The emission Gaussian is centred on the
// line, the absorption Gaussian on the line shifted to the blue by the fraction 13/300 of its
// wavelength (the P-Cygni absorption of gas moving at about 13000 km/s).
#pragma once

#include "quadrature.hpp"

namespace cumquad {

inline constexpr double kLineCentre = 6563;                    // H-alpha, angstrom
inline constexpr double kShiftFraction = 0.043333333333333335; // 13/300

inline constexpr LineProfile kCumquad = {
    .A1 = 0.133397,  // emission amplitude
    .s1 = 79.6099,   // emission width, angstrom
    .A2 = 0.0756086, // absorption amplitude
    .s2 = 92.0272,   // absorption width, angstrom
    .centre = kLineCentre,
    .shift = kShiftFraction,
};

inline constexpr LineProfile kCumquad2 = {
    .A1 = 0.174358,
    .s1 = 87.0105,
    .A2 = 0.0382968,
    .s2 = 62.4979,
    .centre = kLineCentre,
    .shift = kShiftFraction,
};

inline constexpr Range kRange = {
    .start = 5000,      // angstrom
    .end = 8000,        // angstrom
    .step = 0.1,        // angstrom
    .threshold = 0.001, // net emission at which the running integral is reported
};

} // namespace cumquad
