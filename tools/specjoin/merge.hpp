// The spectrum merge: rest-frame wavelengths, scaled fluxes, and the value that a lookup table
// attaches to every spectrum point by wavelength.
#pragma once

#include <vector>

namespace specjoin {

// One entry of the lookup table: an upper wavelength edge a and its value b.
struct LookupEntry {
    float a = 0;
    float b = 0;
};

// The observed wavelength divided by 1 + z: the quotient in double precision, stored in single.
float rest_wavelength(float observed, double divisor);

// The flux times the factor, in double precision.
double scaled_flux(float flux, double factor);

// For every point of the wavelengths W, the value b of the last entry whose edge a lies strictly
// inside (W, W + width), the upper end summed in single precision; 0 where no entry reaches.
// Points are sorted once and each point is given its value once, by the last entry that reaches
// it, so that large tables take n log n time.
std::vector<float> look_up(const std::vector<float>& W, const std::vector<LookupEntry>& entries,
                           float width);

} // namespace specjoin
