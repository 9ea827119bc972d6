// The two-Gaussian H-alpha profiles of cumquad and cumquad2 and the range they are integrated
// over. The emission Gaussian is centred on the line, the absorption Gaussian on the line shifted
// to the blue by the fraction 13/300 of its wavelength (the P-Cygni absorption of gas moving at
// about 13000 km/s). The amplitudes and widths below are the built-in ones: [line_profile]
// (cumquad) and [line_profile2] (cumquad2) of the settings file set them.
#pragma once

#include "quadrature.hpp"
#include "settings_file.hpp"

#include <string>

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

// The table of the settings file that gives the Gaussian constants of a profile.
inline snphot::SettingsTable line_profile_table(const std::string& name, LineProfile& profile) {
    const std::string program = name == "line_profile" ? "cumquad" : "cumquad2";
    return {name,
            "Gaussian constants of the H-alpha profile of " + program +
                ": emission A1 exp(-(x - 6563)^2 / (2 s1^2))\n"
                "minus absorption A2 exp(-(x - 6278.6)^2 / (2 s2^2)), x in angstrom.",
            {snphot::number("A1", profile.A1, "emission amplitude"),
             snphot::number("s1", profile.s1, "emission width, angstrom", 0.0),
             snphot::number("A2", profile.A2, "absorption amplitude"),
             snphot::number("s2", profile.s2, "absorption width, angstrom", 0.0)}};
}

inline constexpr Range kRange = {
    .start = 5000,      // angstrom
    .end = 8000,        // angstrom
    .step = 0.1,        // angstrom
    .threshold = 0.001, // net emission at which the running integral is reported
};

} // namespace cumquad
