// specjoin: shifts a supernova spectrum to the rest frame, scales its fluxes, and attaches to every
// point the value of a lookup table by wavelength.
//
// Reads the spectrum "PSNspectraCut2.txt" (wavelength, flux) and the lookup table "fasz" (an upper
// wavelength edge a, a value b, and a third number that plays no part), prints the number of
// every lookup entry, and writes "Eredmeny.txt": rest wavelength, scaled flux, looked-up value.
// A point takes the value of the last entry whose edge lies strictly within 5 units above it.
// Both inputs are read and checked whole before "Eredmeny.txt", which may hold a photometry
// result table, is replaced.
#include "cli.hpp"
#include "file.hpp"
#include "merge.hpp"
#include "readers.hpp"
#include "settings_file.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace snphot;
using namespace specjoin;

// ---- Settings ----------------------------------------------------------------------------------
// [spectrum] of the settings file, with the built-in values as defaults.
struct Settings {
    double redshift = 0.0044; // the wavelengths are divided by 1 + z
    float bin_width = 5.0f;   // reach of a lookup edge, in the unit of the wavelengths
    double flux_factor = 4.32e15;
};

SettingsTable spectrum_table(Settings& settings) {
    return {"spectrum",
            "Spectrum table merge (specjoin).",
            {number("redshift", settings.redshift,
                    "of the galaxy: the observed wavelengths are divided by 1 + redshift", -1.0),
             number("bin_width", settings.bin_width,
                    "reach of a lookup edge, in the unit of the wavelengths", 0.0),
             number("flux_factor", settings.flux_factor, "scale of the fluxes")}};
}
// --------------------------------------------------------------------------------------------------

constexpr const char* kSpectrum = "PSNspectraCut2.txt";
constexpr const char* kLookup = "fasz";
constexpr const char* kOutput = "Eredmeny.txt";

const char* const kHelp =
    "specjoin: shifts a spectrum to the rest frame (built in: wavelength / 1.0044), scales its\n"
    "fluxes (x 4.32e15) and attaches to every point a value looked up by wavelength.\n"
    "Reads   PSNspectraCut2.txt (wavelength flux per line)\n"
    "        fasz (upper wavelength edge, value, and an unused number per line)\n"
    "Writes  Eredmeny.txt (wavelength flux value per line), replacing a photometry result table\n"
    "        of that name; prints the number of every lookup entry. Does not wait for a key.\n";

void print_entry_numbers(std::size_t entries) {
    for (std::size_t i = 0; i < entries; ++i) std::printf("%d\n", static_cast<int>(i));
}

void write_merged(File& out, const Spectrum& spectrum, const std::vector<float>& X,
                  double flux_factor) {
    for (std::size_t j = 0; j < spectrum.W.size(); ++j)
        std::fprintf(out.get(), "%f %f %f\n", spectrum.W[j],
                     scaled_flux(spectrum.F[j], flux_factor), X[j]);
    close_written(out);
}

int run(const Settings& settings) {
    File spectrum_file = open_checked(kSpectrum, "r");
    File lookup_file = open_checked(kLookup, "r");
    const Spectrum spectrum = read_spectrum(spectrum_file.get(), kSpectrum, 1 + settings.redshift);
    const std::vector<LookupEntry> entries = read_lookup(lookup_file.get(), kLookup);

    File out = open_output(kOutput);
    const std::vector<float> X = look_up(spectrum.W, entries, settings.bin_width);
    print_entry_numbers(entries.size());
    spectrum_file.close();
    lookup_file.close();
    write_merged(out, spectrum, X, settings.flux_factor);
    std::printf("\n\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    return snphot::run_program(argc, argv, {"specjoin", kHelp, {spectrum_table(settings)}},
                               [&] { return run(settings); });
}
