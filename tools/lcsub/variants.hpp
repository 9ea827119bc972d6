// lcsub and lcsub-err: the light curves they read and write, and, side by side, everything that
// sets the two programs apart. The reference dates below are the built-in ones; [subtraction]
// reference_date of the settings file sets the reference night of both.
#pragma once

#include "settings_file.hpp"
#include "subtraction.hpp"

#include <array>

namespace lcsub {

struct BandFiles {
    const char* input;  // standard light curve
    const char* output; // corrected light curve
};

// Bands are always handled in this order.
inline constexpr std::array<BandFiles, 4> kBands = {{
    {"V-gorbeS.txt", "V-gorbeR.txt"},
    {"R-gorbeS.txt", "R-gorbeR.txt"},
    {"I-gorbeS.txt", "I-gorbeR.txt"},
    {"B-gorbeS.txt", "B-gorbeR.txt"},
}};

struct Variant {
    const char* program;
    // JD - 2400000 of the reference night, built in; a row whose time has the same integer part
    // falls on that night.
    double reference_date;
    // The band's reference error, from its row of the reference night.
    float (*reference_error)(const snphot::LightCurveRow&);
    // The corrected row, with the error propagation (and the `h`) of the program.
    CorrectedRow (*subtract)(const snphot::LightCurveRow&, const Reference&);
    const char* help_columns; // what happens to columns 3 and 4, for --help
};

//                          lcsub                          lcsub-err
// reference date           57834.5                        57834.25
// reference error          sqrt(error^2 + scatter^2)      photometric error
// propagation, `h`         analytic e, a^2 + b^2          finite differences, sqrt(a^2 + b^2)
// column 3 written         photometric error as read      sqrt((d2 - d0)^2 + (d1 - d0)^2)
// column 4 written         sqrt(scatter^2 + e^2)          zero-point scatter as read
inline constexpr Variant kLcsub = {
    "lcsub",
    57834.5,
    analytic::reference_error,
    analytic::subtract,
    "        Column 3 (photometric error) is kept; column 4 becomes the zero-point scatter\n"
    "        combined with the propagated error of the reference point.\n",
};

inline constexpr Variant kLcsubErr = {
    "lcsub-err",
    57834.25,
    finite::reference_error,
    finite::subtract,
    "        Column 3 becomes the error of the subtraction from finite differences (reference\n"
    "        and point each moved by their photometric error); column 4 is kept.\n",
};

#if LCSUB_ERR
inline constexpr const Variant& kVariant = kLcsubErr;
#else
inline constexpr const Variant& kVariant = kLcsub;
#endif

// [subtraction] of the settings file: one reference date for both programs, each keeping its own
// built-in date when the file gives none.
struct Settings {
    double reference_date = kVariant.reference_date;
};

inline snphot::SettingsTable subtraction_table(Settings& settings) {
    return {"subtraction",
            "Reference-flux subtraction (lcsub, lcsub-err): the flux of the reference night is\n"
            "removed from every point of the B V R I standard light curves.",
            {snphot::number("reference_date", settings.reference_date,
                            "JD - 2400000; its integer part is the reference night "
                            "(built in: lcsub 57834.5, lcsub-err 57834.25)")}};
}

} // namespace lcsub
