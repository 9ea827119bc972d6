// The shape of the built-in settings of the two light-curve builders.
#pragma once

#include <array>

namespace lcbuild {

inline constexpr int kSlots = 4;        // band slots 1..4 (held at index 0..3)
inline constexpr int kComparisons = 5;  // rows 0..4 of a sorted block; row 5 is the target
inline constexpr int kColourFirst = 0;  // slot 1: first band of the colour index
inline constexpr int kColourSecond = 2; // slot 3: second band of the colour index

struct Band {
    char letter;          // first character of the band word
    const char* standard; // standard light curve
    const char* final;    // final, colour-corrected light curve
};

struct Settings {
    const char* program;
    std::array<Band, kSlots> bands;
    std::array<std::array<float, kComparisons>, kSlots> catalogue;
    std::array<float, kSlots> colour_coefficient;
};

} // namespace lcbuild
