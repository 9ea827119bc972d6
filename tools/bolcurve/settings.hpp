// Built-in settings of bolcurve: the light curves it reads, the extinction it removes and the
// distance of the supernova. To reduce another supernova, edit this table and rebuild.
#pragma once

namespace bolcurve {

inline constexpr const char* kBCurve = "B-gorbeA.txt"; // B light curve, prepared by the user
inline constexpr const char* kICurve = "I-gorbeA.txt"; // I light curve, prepared by the user
inline constexpr const char* kBolometricCurve = "bol-gorbe.txt"; // written

inline constexpr float kExtinctionB = 0.146f;   // mag, subtracted from every paired B magnitude
inline constexpr float kExtinctionI = 0.061f;   // mag, subtracted from every paired I magnitude
inline constexpr float kDistance = 13200000.0f; // pc

} // namespace bolcurve
