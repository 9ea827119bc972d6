// Built-in settings of starcorr: the standard stars of the calibration field and the colour
// coefficients of the g - i colour term. Edit this table to calibrate against another field and
// rebuild.
#pragma once

#include <array>

namespace starcorr {

inline constexpr int kStars = 5; // lines per image block, in file order: positions 1 to 5

struct Band {
    char letter;                         // first character of the band word
    const char* correction_file;         // one line per image of the band
    std::array<float, kStars> catalogue; // catalogue magnitudes of positions 1 to 5
    float colour_coefficient;            // multiplies the catalogue colour g - i
};

inline constexpr std::array<Band, 4> bands = {{
    // Position 2 stands in the table but never enters a zero point.
    //          position:  1       2       3       4       5
    {'g', "g-korr.txt", {15.32f, 14.98f, 15.47f, 15.12f, 15.31f}, -0.125f},
    {'r', "r-korr.txt", {14.68f, 14.44f, 14.99f, 14.70f, 14.88f}, -0.009f},
    {'i', "i-korr.txt", {14.44f, 14.85f, 14.84f, 14.55f, 14.72f}, -0.095f},
    {'z', "z-korr.txt", {14.31f, 14.23f, 14.79f, 14.49f, 14.68f}, 0.0f},
}};

// The colour index of every star is its catalogue g minus its catalogue i, whatever the band.
inline constexpr int kColourFirst = 0;  // g
inline constexpr int kColourSecond = 2; // i

} // namespace starcorr
