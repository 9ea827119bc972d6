#include "bolometric.hpp"

#include "photometry.hpp"
#include "truncate.hpp"

#include <algorithm>
#include <cmath>

namespace bolcurve {

float bolom(float x) {
    const long double c = x;
    if (x >= 0.54) return static_cast<float>(0.004 - 0.297 * c - 0.149 * c * c);
    return static_cast<float>(0.51 * c - 0.48);
}

float bolomh(float x, float s) {
    constexpr float c1 = -0.398507f, c2 = 1.3905f, c3 = 0.748243f, c4 = -0.143532f;
    const long double c = x;
    const float d =
        static_cast<float>(c1 - 2.0L * c2 * c + 3.0L * c3 * c * c + 4.0L * c4 * c * c * c);
    return static_cast<float>(static_cast<long double>(d) * s);
}

double absolute_magnitude(float b, float bc, float distance_pc) {
    return (static_cast<double>(b) + bc) - 5.0 * std::log10(static_cast<double>(distance_pc)) + 5.0;
}

void add_b_row(EpochTable& table, const snphot::LightCurveRow& row) {
    table.first_of_night.try_emplace(snphot::night_of(row.time), table.rows.size());
    Epoch epoch;
    epoch.time = row.time;
    epoch.b = row.mag;
    epoch.colour_error = row.calib;
    epoch.b_error = row.calib;
    table.rows.push_back(epoch);
}

bool pair_i_row(EpochTable& table, const snphot::LightCurveRow& row) {
    const auto it = table.first_of_night.find(snphot::night_of(row.time));
    if (it == table.first_of_night.end()) return false;
    Epoch& epoch = table.rows[it->second];
    epoch.i = row.mag;
    epoch.colour_error = snphot::root_sum_of_squares(row.calib, epoch.colour_error);
    return true;
}

void remove_unpaired(EpochTable& table) {
    std::erase_if(table.rows, [](const Epoch& e) { return e.i == 0.0f; });
    table.first_of_night.clear(); // the positions have moved
}

void correct_extinction(EpochTable& table, float extinction_b, float extinction_i) {
    for (Epoch& e : table.rows) {
        e.b = static_cast<float>(static_cast<long double>(e.b) - extinction_b);
        e.i = static_cast<float>(static_cast<long double>(e.i) - extinction_i);
    }
}

void compute_colour(Epoch& e) {
    if (static_cast<long double>(e.b) + e.i != 0.0L)
        e.colour = static_cast<float>(static_cast<long double>(e.b) - e.i);
    e.bc = bolom(e.colour);
    e.total_error = snphot::root_sum_of_squares(e.b_error, bolomh(e.colour, e.colour_error));
}

} // namespace bolcurve
