// Built-in settings of lcbuild-bvri: the Johnson-Cousins bands B V R I. Edit this table to reduce
// another supernova field and rebuild.
#pragma once

#include "settings.hpp"

namespace lcbuild {

inline constexpr Settings settings = {
    .program = "lcbuild-bvri",
    // slot:    1 (colour)      2               3 (colour)      4
    .bands = {{{'V', "V-gorbeS.txt", "V-gorbe.txt"},
               {'R', "R-gorbeS.txt", "R-gorbe.txt"},
               {'I', "I-gorbeS.txt", "I-gorbe.txt"},
               {'B', "B-gorbeS.txt", "B-gorbe.txt"}}},
    // Catalogue magnitudes of the comparison stars, by row of the sorted image block
    // (row 0 serves only the date check; the B V R I values are the g r i catalogue of
    // lcbuild-griz carried over by the forward band transformation).
    .catalogue = {{
        {16.298f, 16.2437f, 16.709751f, 16.0067f, 15.47935f},      // V
        {16.00158f, 15.84546f, 16.39158f, 15.69699f, 15.082399f},  // R
        {15.61238f, 15.419061f, 16.002378f, 15.27989f, 14.6374f},  // I
        {16.884201f, 17.023062f, 17.33985f, 16.61046f, 16.24993f}, // B
    }},
    // Colour coefficients of the V - I colour term: none in this band system.
    .colour_coefficient = {0.0f, 0.0f, 0.0f, 0.0f},
};

} // namespace lcbuild
