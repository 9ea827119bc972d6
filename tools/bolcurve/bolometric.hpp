// Colour and bolometric correction of a supernova from its B and I light curves.
//
// The B and I rows are paired by night (the integer part of the reduced JD); every night with
// both bands gives the B - I colour, the bolometric correction `bolom` of that colour and its
// uncertainty `bolomh`, and from the extinction-corrected B magnitude plus the correction the
// absolute bolometric magnitude.
#pragma once

#include "lightcurve.hpp"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace bolcurve {

// Bolometric correction of the colour x = B - I: 0.004 - 0.297 x - 0.149 x^2 from x = 0.54 on,
// 0.51 x - 0.48 below.
float bolom(float x);
// Uncertainty of the bolometric correction for colour x with uncertainty s: the cubic
// -0.398507 - 2.781 x + 2.244729 x^2 - 0.574128 x^3 times s (its sign follows the cubic).
float bolomh(float x, float s);
// (B + BC) - 5 log10(distance) + 5
double absolute_magnitude(float b, float bc, float distance_pc);

struct Epoch {
    float time = 0;
    float b = 0;            // B magnitude
    float i = 0;            // I magnitude, 0 while no I row of the night has been read
    float colour = 0;       // B - I
    float colour_error = 0; // the B error, combined with that of every I row of the night
    float bc = 0;           // bolometric correction
    float total_error = 0;  // of the bolometric magnitude
    float b_error = 0;      // the B error alone
};

// One epoch per B row, in the order of the B light curve, and the first epoch of every night.
struct EpochTable {
    std::vector<Epoch> rows;
    std::unordered_map<std::int64_t, std::size_t> first_of_night;
};

// A row of the B light curve (time, magnitude, -, uncertainty) becomes an epoch.
void add_b_row(EpochTable& table, const snphot::LightCurveRow& row);
// A row of the I light curve goes to the first epoch of its night; false when the night has none.
bool pair_i_row(EpochTable& table, const snphot::LightCurveRow& row);
// Removes the epochs that no I row reached (I magnitude exactly 0); the others keep their order.
void remove_unpaired(EpochTable& table);
void correct_extinction(EpochTable& table, float extinction_b, float extinction_i);
// Colour, bolometric correction and total uncertainty of a paired, corrected epoch.
void compute_colour(Epoch& epoch);

} // namespace bolcurve
