// The files of bolcurve: the light curves it reads and writes. Its settings are [bolometric] of
// the settings file (bolometric_settings.hpp): the extinction it removes and the distance of the
// supernova.
#pragma once

#include "bolometric_settings.hpp"

namespace bolcurve {

inline constexpr const char* kBCurve = "B-gorbeA.txt"; // B light curve, prepared by the user
inline constexpr const char* kICurve = "I-gorbeA.txt"; // I light curve, prepared by the user
inline constexpr const char* kBolometricCurve = "bol-gorbe.txt"; // written

} // namespace bolcurve
