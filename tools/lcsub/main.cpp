// lcsub / lcsub-err: the B V R I standard light curves with the flux of a reference night removed.
//
// A first pass over each light curve finds the band's row of the reference night (the last one
// when there are several) and counts the rows; a second pass writes every row, corrected, to the
// band's corrected light curve. The rows of the band at hand are kept from the first pass rather
// than read twice, and let go before the next band is read.
// What sets the two programs apart stands in variants.hpp.
#include "cli.hpp"
#include "file.hpp"
#include "lightcurve.hpp"
#include "subtraction.hpp"
#include "truncate.hpp"
#include "variants.hpp"

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace snphot;
using lcsub::kBands;
using lcsub::kVariant;
using lcsub::Reference;
using lcsub::Settings;

constexpr std::size_t kBandCount = kBands.size();

std::string help_text() {
    char date[32];
    std::snprintf(date, sizeof date, "%.2f", kVariant.reference_date);
    return std::string(kVariant.program) +
           ": removes the flux of the reference night from every point of the B V R I light\n"
           "        curves (built-in reference date JD - 2400000 = " +
           date + ", night " + std::to_string(night_of(kVariant.reference_date)) +
           ").\n"
           "Reads   V-gorbeS.txt R-gorbeS.txt I-gorbeS.txt B-gorbeS.txt (standard light curves)\n"
           "Writes  V-gorbeR.txt R-gorbeR.txt I-gorbeR.txt B-gorbeR.txt, one row per row read;\n"
           "        a point not brighter than the reference is written 100 mag fainter.\n" +
           kVariant.help_columns + "Waits for a key before it ends.\n";
}

struct Band {
    File input;
    LightCurveReader reader;
    File output;
    Reference reference;
    std::vector<LightCurveRow> rows;

    explicit Band(File in) : input(std::move(in)), reader(input.get(), input.name()) {}
};

using Bands = std::array<std::unique_ptr<Band>, kBandCount>;

// Every input is opened before the first output is created.
Bands open_files() {
    Bands bands;
    for (std::size_t b = 0; b < kBandCount; ++b)
        bands[b] = std::make_unique<Band>(open_checked(kBands[b].input, "r"));
    for (std::size_t b = 0; b < kBandCount; ++b) bands[b]->output = open_output(kBands[b].output);
    return bands;
}

bool on_reference_night(float time, const Settings& settings) {
    return night_of(time) == night_of(settings.reference_date);
}

void reference_pass(Band& band, const Settings& settings) {
    LightCurveRow row;
    while (band.reader.next(row)) {
        if (on_reference_night(row.time, settings))
            band.reference = {row.mag, kVariant.reference_error(row)};
        band.rows.push_back(row);
    }
}

void subtraction_pass(Band& band) {
    for (const LightCurveRow& row : band.rows) {
        const lcsub::CorrectedRow out = kVariant.subtract(row, band.reference);
        write_light_curve_row(band.output.get(), out.time, out.mag, out.error, out.calib);
    }
    std::vector<LightCurveRow>().swap(band.rows);
}

void close_files(Bands& bands) {
    for (auto& band : bands) band->input.close();
    for (auto& band : bands) close_written(band->output);
}

int run(const Settings& settings) {
    Bands bands = open_files();
    std::printf("\n\nBeolvasva:\n");
    for (std::size_t b = 0; b < kBandCount; ++b) {
        reference_pass(*bands[b], settings);
        if (b == 0) // V only
            std::printf("szamolt hossz: %d, g\n", static_cast<int>(bands[b]->rows.size()));
        subtraction_pass(*bands[b]);
    }
    close_files(bands);
    return finish_after_key("\n\nLefutott\n");
}

} // namespace

int main(int argc, char** argv) {
    const std::string help = help_text();
    Settings settings;
    return snphot::run_program(
        argc, argv, {kVariant.program, help.c_str(), {lcsub::subtraction_table(settings)}},
        [&] { return run(settings); });
}
