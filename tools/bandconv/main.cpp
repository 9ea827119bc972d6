// bandconv: converts four light curves of one band system into the other. The records of the
// four input light curves are merged into epochs by day number, every epoch is transformed with
// the colour-term equations, and the converted bands are written as light curves "?-gorbeC.txt".
#include "cli.hpp"
#include "epoch_table.hpp"
#include "file.hpp"
#include "lightcurve.hpp"
#include "transformation.hpp"

#include <array>
#include <cstdio>
#include <string>

// ---- Settings ----
// Conversion direction: [bandconv] direction of the settings file, by default the one chosen when
// the program is built (CMake: -DBANDCONV_DIRECTION=0 or 1): 0 converts g r i z light curves into
// V Rc Ic B, 1 converts V Rc Ic B into g r i (z stays empty).
#ifndef BANDCONV_DIRECTION
#define BANDCONV_DIRECTION 0
#endif

namespace {

using namespace snphot;
using bandconv::EpochTable;

constexpr int kBuiltDirection = BANDCONV_DIRECTION;

struct Settings {
    int direction = kBuiltDirection; // index into kDirections
};

SettingsTable bandconv_table(Settings& settings) {
    return {"bandconv",
            "Conversion direction of bandconv (by default the one it was built with).",
            {choice("direction", settings.direction, {"griz-to-bvri", "bvri-to-griz"},
                    "\"griz-to-bvri\" (g r i z light curves into V Rc Ic B) or \"bvri-to-griz\"")}};
}

constexpr int kSlots = 4;

struct Direction {
    const char* banner;
    std::array<const char*, kSlots> inputs;  // band slots 1-4
    std::array<const char*, kSlots> outputs; // band slots 1-4
    Bands (*convert)(const Bands&);
    const char* description;
};

const std::array<Direction, 2> kDirections = {{
    {"\nugriz -> UBVRcIc  \n",
     {"g-gorbe.txt", "r-gorbe.txt", "i-gorbe.txt", "z-gorbe.txt"},
     {"V-gorbeC.txt", "R-gorbeC.txt", "I-gorbeC.txt", "B-gorbeC.txt"},
     forward_transformation,
     "g r i z light curves into V Rc Ic B"},
    {"\nUBVRcIc -> ugriz \n",
     {"V-gorbe.txt", "R-gorbe.txt", "I-gorbe.txt", "B-gorbe.txt"},
     {"g-gorbeC.txt", "r-gorbeC.txt", "i-gorbeC.txt", "z-gorbeC.txt"},
     reverse_transformation,
     "V Rc Ic B light curves into g r i (z-gorbeC.txt stays empty)"},
}};

constexpr const char* kListingFile = "szuro.txt"; // bandtab's listing, emptied by every run

// The same texts in both directions.
constexpr std::array<const char*, kSlots> kMissingInput = {
    "Bemeneti g/V nincs\n", "Bemeneti r/R nincs\n", "Bemeneti i/I nincs\n", "Bemeneti z/B nincs\n"};
constexpr std::array<const char*, kSlots> kRecordCount = {
    "szamolt hossz: %d, g/V\n", "szamolt hossz: %d, r,R\n", "szamolt hossz: %d, i,I\n",
    "szamolt hossz: %d, z,B\n"};

const Direction* chosen_direction(int direction) {
    return direction == 0 || direction == 1 ? &kDirections[direction] : nullptr;
}

std::string help_text() {
    const Direction* d = chosen_direction(kBuiltDirection);
    std::string text = "bandconv: ";
    if (!d) {
        text += "built with the invalid conversion direction " + std::to_string(kBuiltDirection) +
                "; rebuild with BANDCONV_DIRECTION 0 or 1,\n"
                "or choose [bandconv] direction in the settings file.\n";
    } else {
        auto names = [](const std::array<const char*, kSlots>& files) {
            return std::string(files[0]) + " " + files[1] + " " + files[2] + " " + files[3];
        };
        text += std::string("converts ") + d->description + ",\n";
        text += "merging the records of the four bands by day number (time + 0.5, truncated).\n";
        text += "Reads   " + names(d->inputs) + ";\n";
        text += "        a missing one is reported and read as empty.\n";
        text += "Writes  " + names(d->outputs) + ",\n";
        text += "        and empties szuro.txt, the listing of bandtab.\n";
        text += "Waits for a key before it ends.\n";
    }
    return text;
}

using Files = std::array<File, kSlots>;

const Direction& check_direction(int direction) {
    const Direction* d = chosen_direction(direction);
    if (!d) {
        std::printf("\nRossz paramter\n");
        throw RunFailure("BANDCONV_DIRECTION=" + std::to_string(direction),
                         "not a conversion direction; rebuild with 0 (g r i z to V Rc Ic B) "
                         "or 1 (V Rc Ic B to g r i)");
    }
    return *d;
}

// Like every output, the listing is emptied only when the run succeeds.
void empty_listing() {
    File listing = open_output(kListingFile);
    close_written(listing);
}

// A missing input is not an error: it is reported after the banner and read as empty. An input
// that is there but cannot be read ends the run before any file is touched.
Files open_inputs(const Direction& d) {
    Files inputs;
    for (int s = 0; s < kSlots; ++s) inputs[s] = open_if_present(d.inputs[s]);
    return inputs;
}

Files create_outputs(const Direction& d) {
    Files outputs;
    for (int s = 0; s < kSlots; ++s) outputs[s] = open_output(d.outputs[s]);
    return outputs;
}

void report_missing(const Files& inputs) {
    for (int s = 0; s < kSlots; ++s)
        if (!inputs[s]) std::printf("%s", kMissingInput[s]);
}

// Reads one input light curve into the table; returns the number of records read.
int read_slot(const File& input, int slot, EpochTable& table) {
    if (!input) return 0;
    LightCurveReader reader(input.get(), input.name());
    LightCurveRow record;
    int count = 0;
    while (reader.next(record)) {
        if (slot == 0)
            table.add_first_slot(record);
        else
            table.merge(slot, record);
        ++count;
    }
    return count;
}

EpochTable read_inputs(const Files& inputs) {
    EpochTable table;
    std::printf("\nBeolvasva:\n");
    for (int s = 0; s < kSlots; ++s) std::printf(kRecordCount[s], read_slot(inputs[s], s, table));
    return table;
}

void echo_table(const EpochTable& table) {
    std::printf("\n\nBemenet: JD g/V r/R i/I z/B\n");
    for (const bandconv::Epoch& row : table.rows()) {
        const Bands& b = row.bands;
        std::printf("%f %f %f %f %f \n", row.time, b[0].mag, b[1].mag, b[2].mag, b[3].mag);
    }
}

// Transforms every epoch and writes each converted band that exists (magnitude not 0), rows in
// table order.
void convert_and_write(const EpochTable& table, const Direction& d, Files& outputs) {
    for (const bandconv::Epoch& row : table.rows()) {
        const Bands converted = d.convert(row.bands);
        for (int s = 0; s < kSlots; ++s) {
            const Observation& o = converted[s];
            if (o.mag != 0.0f)
                write_light_curve_row(outputs[s].get(), row.time, o.mag, o.error, o.calib);
        }
    }
}

void close_files(Files& inputs, Files& outputs) {
    for (File& f : inputs) f.close();
    for (File& f : outputs) close_written(f);
}

int run(const Settings& settings) {
    const Direction& direction = check_direction(settings.direction);
    Files inputs = open_inputs(direction);
    empty_listing();
    std::printf("%s", direction.banner);
    Files outputs = create_outputs(direction);
    report_missing(inputs);

    const EpochTable table = read_inputs(inputs);
    echo_table(table);
    convert_and_write(table, direction, outputs);
    close_files(inputs, outputs);
    return finish_after_key("\n\n");
}

} // namespace

int main(int argc, char** argv) {
    const std::string help = help_text();
    Settings settings;
    return snphot::run_program(argc, argv, {"bandconv", help.c_str(), {bandconv_table(settings)}},
                               [&] { return run(settings); });
}
