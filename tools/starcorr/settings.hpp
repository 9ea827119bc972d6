// The settings of starcorr: the standard stars of the calibration field ([standard_field] of the
// settings file, with the built-in catalogue as its default) and the bands with their correction
// files. The colour coefficients of the g - i colour term are [colour] griz
// (photometric_settings.hpp).
#pragma once

#include "photometric_settings.hpp"
#include "settings_file.hpp"

#include <array>

namespace starcorr {

inline constexpr int kStars = 5; // lines per image block, in file order: positions 1 to 5

using Stars = std::array<float, kStars>;

// [standard_field]: catalogue magnitudes of the standard stars, positions 1 to 5 of a block.
// Position 2 stands in the table but never enters a zero point.
struct StandardField {
    //          position:  1       2       3       4       5
    Stars g = {15.32f, 14.98f, 15.47f, 15.12f, 15.31f};
    Stars r = {14.68f, 14.44f, 14.99f, 14.70f, 14.88f};
    Stars i = {14.44f, 14.85f, 14.84f, 14.55f, 14.72f};
    Stars z = {14.31f, 14.23f, 14.79f, 14.49f, 14.68f};
};

inline snphot::SettingsTable standard_field_table(StandardField& field) {
    return {"standard_field",
            "Catalogue magnitudes of the standard stars of the calibration field (starcorr), one\n"
            "for each position 1-5 of an image block in file order; position 2 never enters a "
            "zero point.",
            {snphot::numbers("g", field.g, "mag"), snphot::numbers("r", field.r, "mag"),
             snphot::numbers("i", field.i, "mag"), snphot::numbers("z", field.z, "mag")}};
}

struct Band {
    char letter;                 // first character of the band word
    const char* correction_file; // one line per image of the band
    Stars StandardField::*stars; // catalogue magnitudes of positions 1 to 5
};

inline constexpr std::array<Band, 4> bands = {{
    {'g', "g-korr.txt", &StandardField::g},
    {'r', "r-korr.txt", &StandardField::r},
    {'i', "i-korr.txt", &StandardField::i},
    {'z', "z-korr.txt", &StandardField::z},
}};

// The colour index of every star is its catalogue g minus its catalogue i, whatever the band.
inline constexpr int kColourFirst = 0;  // g
inline constexpr int kColourSecond = 2; // i

// What a run takes from the settings file.
struct Settings {
    StandardField field;
    snphot::ColourCoefficients colour; // griz, of the bands g r i z
};

} // namespace starcorr
