// Built-in settings of lcbuild-griz: the Sloan bands g r i z. Edit this table to reduce another
// supernova field and rebuild.
#pragma once

#include "settings.hpp"

namespace lcbuild {

inline constexpr Settings settings = {
    .program = "lcbuild-griz",
    // slot:    1 (colour)      2               3 (colour)      4
    .bands = {{{'g', "g-gorbeS.txt", "g-gorbe.txt"},
               {'r', "r-gorbeS.txt", "r-gorbe.txt"},
               {'i', "i-gorbeS.txt", "i-gorbe.txt"},
               {'z', "z-gorbeS.txt", "z-gorbe.txt"}}},
    // Catalogue magnitudes of the comparison stars, by row of the sorted image block (row 0
    // serves only the date check). No z catalogue: a z zero point is the plain mean instrumental
    // magnitude of the comparison stars.
    .catalogue = {{
        {16.54f, 16.61f, 16.98f, 16.26f, 15.84f}, // g
        {16.14f, 15.99f, 16.53f, 15.84f, 15.23f}, // r
        {16.0f, 15.81f, 16.39f, 15.67f, 15.03f},  // i
        {0.0f, 0.0f, 0.0f, 0.0f, 0.0f},           // z
    }},
    // Colour coefficients of the g - i colour term, g r i z.
    .colour_coefficient = {-0.125f, -0.009f, -0.095f, 0.0f},
};

} // namespace lcbuild
