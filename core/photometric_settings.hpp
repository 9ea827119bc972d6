// The two tables of the settings file that several photometric programs share, with the suite's
// built-in values as their defaults: the catalogue of the comparison stars of the supernova field
// ([comparison]: lcbuild-griz, lcbuild-bvri, bandtab) and the colour coefficients ([colour]:
// lcbuild-griz, lcbuild-bvri, starcorr, starcal).
#pragma once

#include "settings_file.hpp"

#include <array>
#include <string>
#include <string_view>

namespace snphot {

// Catalogue magnitudes of five stars: rows 0-4 of an image block sorted by identifier (row 0
// serves only the date check).
using StarMagnitudes = std::array<float, 5>;

// [comparison]
struct ComparisonCatalogue {
    // Sloan g r i z, for lcbuild-griz; bandtab lists g r i. No z catalogue: a z zero point is the
    // plain mean instrumental magnitude of the comparison stars.
    StarMagnitudes g = {16.54f, 16.61f, 16.98f, 16.26f, 15.84f};
    StarMagnitudes r = {16.14f, 15.99f, 16.53f, 15.84f, 15.23f};
    StarMagnitudes i = {16.0f, 15.81f, 16.39f, 15.67f, 15.03f};
    StarMagnitudes z = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    // Johnson-Cousins V R I B, for lcbuild-bvri: the g r i above carried over by the forward band
    // transformation, as bandtab prints them.
    StarMagnitudes V = {16.298f, 16.2437f, 16.709751f, 16.0067f, 15.47935f};
    StarMagnitudes R = {16.00158f, 15.84546f, 16.39158f, 15.69699f, 15.082399f};
    StarMagnitudes I = {15.61238f, 15.419061f, 16.002378f, 15.27989f, 14.6374f};
    StarMagnitudes B = {16.884201f, 17.023062f, 17.33985f, 16.61046f, 16.24993f};
};

// [colour]
struct ColourCoefficients {
    // g r i z: multiply the g - i colour (lcbuild-griz, starcorr, starcal).
    std::array<float, 4> griz = {-0.125f, -0.009f, -0.095f, 0.0f};
    // V R I B: multiply the V - I colour (lcbuild-bvri); none in this band system.
    std::array<float, 4> bvri = {0.0f, 0.0f, 0.0f, 0.0f};
};

// The tables bound to the members. When the file gives any of g r i, each of V R I B that it does
// not give is derived from g r i: the forward band transformation of every star, rounded to six
// decimals as bandtab prints it, so that a catalogue is written once.
SettingsTable comparison_table(ComparisonCatalogue& catalogue);
SettingsTable colour_table(ColourCoefficients& colour);

// Both shared tables, as a settings file sets them over the built-in values.
struct PhotometricSettings {
    ComparisonCatalogue comparison;
    ColourCoefficients colour;
};

// Reads the text of a settings file called `name` into the shared tables (read_settings_text
// with every rule of a program's own tables); throws a RunFailure "name:line: reason".
PhotometricSettings parse_settings_text(std::string_view text, const std::string& name);

} // namespace snphot
