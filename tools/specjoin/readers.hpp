// The two inputs of specjoin: the spectrum (wavelength, flux per point) and the lookup table
// (upper wavelength edge, value, and a third number that plays no part, per entry).
#pragma once

#include "merge.hpp"

#include <cstdio>
#include <vector>

namespace specjoin {

struct Spectrum {
    std::vector<float> W; // rest wavelength
    std::vector<float> F; // flux as read
};

// Reads the spectrum, every wavelength divided by `redshift_divisor` (1 + z) as it is read.
// A field that is not a number, a point cut short by the end of the file, or a spectrum of no
// point throws a RunFailure naming `name` (and the line).
Spectrum read_spectrum(std::FILE* file, const char* name, double redshift_divisor);

// Reads the lookup table; an empty table has no entry. A field that is not a number, or an entry
// cut short by the end of the file, throws a RunFailure naming `name` and the line.
std::vector<LookupEntry> read_lookup(std::FILE* file, const char* name);

} // namespace specjoin
