#include "bolometric_settings.hpp"

#include <stdexcept>

namespace snphot {

double extinction_per_reddening(double micron, double rv) {
    const double x = 1.0 / micron; // inverse micrometres
    if (!(x >= 0.3 && x <= 3.3))
        throw std::logic_error("the extinction law holds from 0.303 to 3.33 micrometres");
    double a, b;
    if (x < 1.1) { // infrared
        a = 0.574 * std::pow(x, 1.61);
        b = -0.527 * std::pow(x, 1.61);
    } else { // optical and near infrared, a polynomial in y = x - 1.82
        const double y = x - 1.82;
        a = 1 + y * (0.17699 + y * (-0.50447 + y * (-0.02427 + y * (0.72085 + y * (0.01979 +
            y * (-0.77530 + y * 0.32999))))));
        b = y * (1.41338 + y * (2.28305 + y * (1.07233 + y * (-5.38434 + y * (-0.62251 +
            y * (5.30260 + y * -2.09002))))));
    }
    return a * rv + b;
}

namespace {

constexpr double kLargestReddening = 10.0; // mag, |E(B-V)|
constexpr double kLargestRv = 10.0;

// A_B and A_I from the reddening, when the file gives it.
void extinction_from_reddening(BolometricSettings& s) {
    if (!s.from_reddening()) return;
    s.extinction_B = static_cast<float>(s.ebv * extinction_per_reddening(kJohnsonBMicron, s.rv));
    s.extinction_I = static_cast<float>(s.ebv * extinction_per_reddening(kCousinsIMicron, s.rv));
}

} // namespace

SettingsTable bolometric_table(BolometricSettings& s) {
    SettingKey extinction_b =
        number("extinction_B", s.extinction_B, "mag, subtracted from every paired B magnitude");
    SettingKey extinction_i =
        number("extinction_I", s.extinction_I, "mag, subtracted from every paired I magnitude");
    SettingKey ebv = number("ebv", s.ebv,
                            "mag, E(B-V) towards the supernova (Galactic and host together); "
                            "gives A_B and A_I");
    SettingKey rv = number("rv", s.rv, "R_V = A_V / E(B-V), with ebv", 0.0);
    // Beyond these no line of sight lies; they keep A_B and A_I within single precision.
    ebv.above = -kLargestReddening;
    ebv.below = kLargestReddening;
    rv.below = kLargestRv;
    for (SettingKey* key : {&extinction_b, &extinction_i}) {
        key->excludes = {"ebv", "rv"};
        key->aside = [&s, comment = key->comment] {
            return s.from_reddening()
                       ? comment + ": from ebv and rv (Cardelli, Clayton & Mathis 1989)"
                       : "";
        };
    }
    rv.needs = "ebv";
    for (SettingKey* key : {&ebv, &rv})
        key->aside = [&s, comment = key->comment] {
            return s.from_reddening() ? "" : comment + ": not given, extinction_B and I hold";
        };
    SettingKey distance_sigma =
        number("distance_pc_sigma", s.distance_pc_sigma,
               "pc, 1-sigma uncertainty of distance_pc (snfit: the distance modulus is fitted "
               "within it)",
               0.0);
    distance_sigma.aside = [&s, comment = distance_sigma.comment] {
        return std::isnan(s.distance_pc_sigma) ? comment + ": not given, the distance is exact"
                                               : "";
    };
    SettingsTable table = {
        "bolometric",
        "Colour and bolometric light curve (bolcurve): the extinction towards the supernova\n"
        "and its distance. The extinction is given in B and I, or as E(B-V) and R_V, from which\n"
        "the Cardelli, Clayton & Mathis (1989) law gives it at 0.438 um (B) and 0.798 um (I).",
        {extinction_b, extinction_i, ebv, rv,
         number("distance_pc", s.distance_pc, "pc", 0.0), distance_sigma},
    };
    table.complete = [&s](const SettingsTable&) { extinction_from_reddening(s); };
    return table;
}

} // namespace snphot
