// Conventions that the photometric programs share: the name of the result table, the reduced
// Julian Date, the root sum of squares of two uncertainties, and the band of an image block.
#pragma once

#include <cmath>
#include <string>

namespace snphot {

// The photometry result table of a field, read by the light-curve builders, starcorr and starcal.
inline constexpr const char* kResultTableName = "Eredmeny.txt";

// Dates in the light curves and correction files are reduced: JD - kJdOffset.
inline constexpr double kJdOffset = 2400000.0;

// sqrt(a^2 + b^2) as the programs combine two uncertainties: the squares summed in extended
// precision, the root taken in double precision and stored in single precision.
inline float root_sum_of_squares(float a, float b) {
    const long double sum = static_cast<long double>(a) * a + static_cast<long double>(b) * b;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

// The slot of an image block's band among `bands` (each with a `letter`): the one whose letter is
// the first character of the band word; -1 for a band of none of them.
template <typename Bands> int band_slot(const std::string& band_word, const Bands& bands) {
    for (int s = 0; s < static_cast<int>(std::size(bands)); ++s)
        if (band_word[0] == bands[s].letter) return s;
    return -1;
}

} // namespace snphot
