// The two light-curve builders side by side: lcbuild-bvri and lcbuild-griz differ in their band
// letters and files and in the keys of the settings tables that give their catalogue and colour
// coefficients (photometric_settings.hpp).
#pragma once

#include "photometric_settings.hpp"

#include <array>

namespace lcbuild {

inline constexpr int kSlots = 4;        // band slots 1..4 (held at index 0..3)
inline constexpr int kComparisons = 5;  // rows 0..4 of a sorted block; row 5 is the target
inline constexpr int kColourFirst = 0;  // slot 1: first band of the colour index
inline constexpr int kColourSecond = 2; // slot 3: second band of the colour index

using snphot::ColourCoefficients;
using snphot::ComparisonCatalogue;
using snphot::StarMagnitudes;

struct Band {
    char letter;                                // first character of the band word
    const char* standard;                       // standard light curve
    const char* final;                          // final, colour-corrected light curve
    StarMagnitudes ComparisonCatalogue::*stars; // catalogue of the comparison stars
};

struct Variant {
    const char* program;
    std::array<Band, kSlots> bands;
    std::array<float, kSlots> ColourCoefficients::*colour; // colour coefficients of the slots
};

inline constexpr Variant kBvri = {
    .program = "lcbuild-bvri",
    // slot:    1 (colour)      2               3 (colour)      4
    .bands = {{{'V', "V-gorbeS.txt", "V-gorbe.txt", &ComparisonCatalogue::V},
               {'R', "R-gorbeS.txt", "R-gorbe.txt", &ComparisonCatalogue::R},
               {'I', "I-gorbeS.txt", "I-gorbe.txt", &ComparisonCatalogue::I},
               {'B', "B-gorbeS.txt", "B-gorbe.txt", &ComparisonCatalogue::B}}},
    .colour = &ColourCoefficients::bvri,
};

inline constexpr Variant kGriz = {
    .program = "lcbuild-griz",
    // slot:    1 (colour)      2               3 (colour)      4
    .bands = {{{'g', "g-gorbeS.txt", "g-gorbe.txt", &ComparisonCatalogue::g},
               {'r', "r-gorbeS.txt", "r-gorbe.txt", &ComparisonCatalogue::r},
               {'i', "i-gorbeS.txt", "i-gorbe.txt", &ComparisonCatalogue::i},
               {'z', "z-gorbeS.txt", "z-gorbe.txt", &ComparisonCatalogue::z}}},
    .colour = &ColourCoefficients::griz,
};

#if LCBUILD_GRIZ
inline constexpr const Variant& kVariant = kGriz;
#else
inline constexpr const Variant& kVariant = kBvri;
#endif

// What calibrates the images of a run: the catalogue and the colour coefficient of every slot.
struct Calibration {
    std::array<StarMagnitudes, kSlots> catalogue;
    std::array<float, kSlots> colour_coefficient;
};

inline Calibration calibration_of(const ComparisonCatalogue& catalogue,
                                  const ColourCoefficients& colour) {
    Calibration c;
    for (int s = 0; s < kSlots; ++s) c.catalogue[s] = catalogue.*kVariant.bands[s].stars;
    c.colour_coefficient = colour.*kVariant.colour;
    return c;
}

} // namespace lcbuild
