#include "photometric_settings.hpp"

#include "transformation.hpp"

#include <cstdio>
#include <cstdlib>

namespace snphot {

namespace {

// A magnitude as bandtab prints it ("%f"), read back.
float six_decimals(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return std::strtof(text, nullptr);
}

// Each of V R I B that the file does not give follows from the g r i of the stars, once the file
// gives any of them.
void derive_johnson_cousins(const SettingsTable& table, ComparisonCatalogue& c) {
    if (!table.given("g") && !table.given("r") && !table.given("i")) return;
    for (std::size_t k = 0; k < c.g.size(); ++k) {
        const JohnsonCousins star = johnson_cousins_of_star(c.g[k], c.r[k], c.i[k]);
        if (!table.given("V")) c.V[k] = six_decimals(star.V);
        if (!table.given("R")) c.R[k] = six_decimals(star.Rc);
        if (!table.given("I")) c.I[k] = six_decimals(star.Ic);
        if (!table.given("B")) c.B[k] = six_decimals(star.B);
    }
}

} // namespace

SettingsTable comparison_table(ComparisonCatalogue& c) {
    SettingsTable table = {
        "comparison",
        "Catalogue magnitudes of the comparison stars of the supernova field, one for each row "
        "0-4\n"
        "of an image block sorted by identifier (row 0 only dates the image).\n"
        "g r i z: lcbuild-griz (z all 0: no z catalogue, the z zero point is the mean "
        "instrumental\n"
        "magnitude); bandtab lists g r i. V R I B: lcbuild-bvri; when left out of a file that "
        "gives\n"
        "g r i, they are g r i carried over by the forward band transformation, as bandtab prints.",
        {
            numbers("g", c.g, "mag"),
            numbers("r", c.r, "mag"),
            numbers("i", c.i, "mag"),
            numbers("z", c.z, "mag"),
            numbers("V", c.V, "mag"),
            numbers("R", c.R, "mag"),
            numbers("I", c.I, "mag"),
            numbers("B", c.B, "mag"),
        },
    };
    table.complete = [&c](const SettingsTable& read) { derive_johnson_cousins(read, c); };
    return table;
}

SettingsTable colour_table(ColourCoefficients& colour) {
    return {
        "colour",
        "Colour coefficients: what multiplies the catalogue colour of a star in its band's zero\n"
        "point, and the colour of a night in the colour correction.",
        {
            numbers("griz", colour.griz,
                    "g r i z, of the g - i colour: lcbuild-griz, starcorr, starcal"),
            numbers("bvri", colour.bvri, "V R I B, of the V - I colour: lcbuild-bvri"),
        },
    };
}

PhotometricSettings parse_settings_text(std::string_view text, const std::string& name) {
    PhotometricSettings settings;
    std::array<SettingsTable, 2> tables = {comparison_table(settings.comparison),
                                           colour_table(settings.colour)};
    read_settings_text(text, name, tables);
    return settings;
}

} // namespace snphot
