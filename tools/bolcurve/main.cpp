// bolcurve: the B - I colour curve and the absolute bolometric light curve of a supernova.
//
// The B and I light curves prepared by the user are paired night by night; the nights with both
// bands, corrected for extinction, are printed with their colour and bolometric correction, and
// every night with a colour is written to the bolometric light curve.
#include "bolometric.hpp"
#include "cli.hpp"
#include "file.hpp"
#include "lightcurve.hpp"
#include "settings.hpp"

#include <cstdio>

namespace {

using namespace snphot;
using namespace bolcurve;

const char* const kHelp =
    "bolcurve: B - I colour curve and absolute bolometric light curve of a supernova.\n"
    "Reads   B-gorbeA.txt and I-gorbeA.txt (light curves prepared by the user: time, magnitude,\n"
    "        an unused column, uncertainty), paired night by night\n"
    "Writes  bol-gorbe.txt (time, absolute bolometric magnitude, uncertainty) and prints the\n"
    "        extinction-corrected colour table.\n"
    "Waits for a key before it ends.\n";

struct Files {
    File b, i, bolometric;
};

// Both inputs are opened before the output is created.
Files open_files() {
    Files files;
    files.b = open_checked(kBCurve, "r");
    files.i = open_checked(kICurve, "r");
    files.bolometric = open_output(kBolometricCurve);
    return files;
}

void read_b_curve(File& file, EpochTable& table) {
    LightCurveReader reader(file.get(), file.name());
    LightCurveRow row;
    while (reader.next(row)) add_b_row(table, row);
    std::printf("szamolt hossz: %d, g/B\n", static_cast<int>(table.rows.size()));
}

void pair_i_curve(File& file, EpochTable& table) {
    LightCurveReader reader(file.get(), file.name());
    LightCurveRow row;
    int count = 0;
    while (reader.next(row)) {
        pair_i_row(table, row);
        ++count;
    }
    std::printf("szamolt hossz: %d, r/I\n", count);
}

void colour_table(EpochTable& table) {
    std::printf("\nA szinek (extinkcio korrigalt):\n");
    std::printf("JD, g/B, r/I, g-r/B-I, hiba, BC, BC hiba\n");
    for (Epoch& e : table.rows) {
        compute_colour(e);
        std::printf("%f %f %f %f %f %f %f\n", e.time, e.b, e.i, e.colour, e.colour_error, e.bc,
                    e.total_error);
    }
}

void write_bolometric_curve(const EpochTable& table, float distance_pc, File& out) {
    for (const Epoch& e : table.rows)
        if (e.colour != 0.0f)
            std::fprintf(out.get(), "%f %f %f\n", e.time,
                         absolute_magnitude(e.b, e.bc, distance_pc), e.total_error);
}

void close_files(Files& files) {
    files.b.close();
    files.i.close();
    close_written(files.bolometric);
}

int run(const BolometricSettings& settings) {
    Files files = open_files();
    EpochTable table;
    std::printf("\nBeolvasva:\n");
    read_b_curve(files.b, table);
    pair_i_curve(files.i, table);
    remove_unpaired(table);
    correct_extinction(table, settings.extinction_B, settings.extinction_I);
    colour_table(table);
    write_bolometric_curve(table, settings.distance_pc, files.bolometric);
    close_files(files);
    return finish_after_key("\n\n");
}

} // namespace

int main(int argc, char** argv) {
    BolometricSettings settings;
    return snphot::run_program(argc, argv, {"bolcurve", kHelp, {bolometric_table(settings)}},
                               [&] { return run(settings); });
}
