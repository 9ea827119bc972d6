// The settings of bolcurve: the light curves it reads and writes, and [bolometric] of the settings
// file, the extinction it removes and the distance of the supernova, with the built-in values as
// defaults.
#pragma once

#include "settings_file.hpp"

namespace bolcurve {

inline constexpr const char* kBCurve = "B-gorbeA.txt"; // B light curve, prepared by the user
inline constexpr const char* kICurve = "I-gorbeA.txt"; // I light curve, prepared by the user
inline constexpr const char* kBolometricCurve = "bol-gorbe.txt"; // written

// [bolometric]
struct Settings {
    float extinction_B = 0.146f;     // mag, subtracted from every paired B magnitude
    float extinction_I = 0.061f;     // mag, subtracted from every paired I magnitude
    float distance_pc = 13200000.0f; // pc
};

inline snphot::SettingsTable bolometric_table(Settings& settings) {
    return {"bolometric",
            "Colour and bolometric light curve (bolcurve): the extinction towards the supernova\n"
            "and its distance.",
            {snphot::number("extinction_B", settings.extinction_B,
                            "mag, subtracted from every paired B magnitude"),
             snphot::number("extinction_I", settings.extinction_I,
                            "mag, subtracted from every paired I magnitude"),
             snphot::number("distance_pc", settings.distance_pc, "pc", 0.0)}};
}

} // namespace bolcurve
