// decayheat: the radioactive heating of a supernova by the decay chain nickel-56 -> cobalt-56 ->
// iron-56, integrated with explicit Euler steps and written to "numNi.txt", one line every 0.1 day.
//
// Each line holds t, the magnitude m, the heating power S, the masses Ni, Co, Fe and the rates
// dNi, dCo. The masses and S are those at the end of the step that starts at t; the rates are
// those at its start.
#include "cli.hpp"
#include "decay.hpp"
#include "file.hpp"
#include "settings_file.hpp"

#include <cmath>
#include <cstdio>

namespace {

using namespace snphot;
using namespace decayheat;

// ---- Settings ----------------------------------------------------------------------------------
// [decay] of the settings file, with the built-in values as defaults.
struct Settings {
    double nickel_mass = 0.0006;     // initial nickel-56 mass, solar masses
    double nickel_half_life = 6.075; // days
    double cobalt_half_life = 77;    // days
};

SettingsTable decay_table(Settings& settings) {
    return {"decay",
            "Radioactive decay heating (decayheat): the nickel-56 made in the explosion and the\n"
            "half-lives of the chain nickel-56 -> cobalt-56 -> iron-56.",
            {number("nickel_mass", settings.nickel_mass, "solar masses", 0.0),
             number("nickel_half_life", settings.nickel_half_life, "days", 0.0),
             number("cobalt_half_life", settings.cobalt_half_life, "days", 0.0)}};
}

constexpr double kSolarMass = 2e33;                 // g
constexpr double kStep = 0.001;                     // Euler step, days
constexpr int kSteps = 300000;                      // 300 days
constexpr int kStepsPerLine = 100;                  // one line every 0.1 day
constexpr Heating kHeating = {3890, 680, 99910600}; // W/g for Ni and Co; gamma-ray constant k
// --------------------------------------------------------------------------------------------------

constexpr const char* kOutput = "numNi.txt";

const char* const kHelp =
    "decayheat: heating by the radioactive decay nickel-56 -> cobalt-56 -> iron-56 over 300 days.\n"
    "Reads   nothing\n"
    "Writes  numNi.txt: one line every 0.1 day (3000 lines) of t, magnitude, heating power,\n"
    "        the masses of Ni, Co, Fe and the rates of change of Ni and Co\n"
    "Prints nothing and does not wait for a key.\n";

DecayRates decay_rates(const Settings& settings) {
    return {std::log(2.0) / settings.nickel_half_life, std::log(2.0) / settings.cobalt_half_life};
}

void write_line(std::FILE* out, double t, double S, const Masses& m, const Rates& r) {
    std::fprintf(out, "%f %f %e %e %e %e %e %e\n", t, magnitude(S), S, m.Ni, m.Co, m.Fe, r.dNi,
                 r.dCo);
}

void integrate(std::FILE* out, const Settings& settings) {
    const DecayRates lambda = decay_rates(settings);
    Masses m = {settings.nickel_mass * kSolarMass, 0, 0};
    for (int i = 0; i < kSteps; ++i) {
        const Rates r = rates(m, lambda);
        m = euler_step(m, r, kStep);
        const double t = i * kStep;
        const double D = gamma_factor(kHeating.k, t);
        if (i % kStepsPerLine == 0) write_line(out, t, heating_power(kHeating, D, m), m, r);
    }
}

int run(const Settings& settings) {
    File out = open_output(kOutput);
    integrate(out.get(), settings);
    close_written(out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    return snphot::run_program(argc, argv, {"decayheat", kHelp, {decay_table(settings)}},
                               [&] { return run(settings); });
}
