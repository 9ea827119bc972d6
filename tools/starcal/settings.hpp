// The bands of starcal with their files. The colour coefficients of the g - i colour term are
// [colour] griz of the settings file (photometric_settings.hpp), the same as starcorr's.
#pragma once

#include <array>

namespace starcal {

inline constexpr int kObjects = 6; // lines per image block; objects numbered 1 to 6

struct Band {
    char letter;                 // first character of the band word
    const char* correction_file; // written by starcorr
    const char* work_file;       // calibrated rows of every image of the band
    const char* reference_table; // weighted and colour-corrected magnitudes of the objects
};

// In the order of the colour coefficients [colour] griz.
inline constexpr std::array<Band, 4> bands = {{
    {'g', "g-korr.txt", "g-gorbe.txt", "g-ref.txt"},
    {'r', "r-korr.txt", "r-gorbe.txt", "r-ref.txt"},
    {'i', "i-korr.txt", "i-gorbe.txt", "i-ref.txt"},
    {'z', "z-korr.txt", "z-gorbe.txt", "z-ref.txt"},
}};

inline constexpr int kColourFirst = 0;  // g
inline constexpr int kColourSecond = 2; // i

inline constexpr int kCorrectionLines = 4; // only the first lines of a correction file count

} // namespace starcal
