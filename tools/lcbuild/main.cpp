// lcbuild-bvri / lcbuild-griz: light curves of a supernova from the photometry result table.
//
// Every image block of "Eredmeny.txt" (six stars, sorted by identifier: row 0 for the date check,
// rows 1-4 the comparison stars, row 5 the supernova) gives one row of the standard light curve of
// its band. The colour phase then pairs the two colour bands night by night, writes the colour
// curve and copies every standard light curve, colour-corrected, to the final light curve.
#include "cli.hpp"
#include "estimators.hpp"
#include "file.hpp"
#include "lightcurve.hpp"
#include "photometry.hpp"
#include "result_table.hpp"
#include "truncate.hpp"

#include "variants.hpp"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace snphot;
using lcbuild::Calibration;
using lcbuild::kSlots;
using lcbuild::kVariant;

constexpr const char* kColourCurve = "szin-gorbe.txt";
constexpr int kBlockLines = 6; // five comparison rows and the target
constexpr int kTarget = 5;
constexpr int kComparisons = lcbuild::kComparisons;

std::string help_text() {
    const auto& b = kVariant.bands;
    std::string bands;
    for (const auto& band : b) bands += band.letter;
    return std::string(kVariant.program) + ": light curves of a supernova in the bands " + bands +
           " from a photometry result table.\n"
           "Reads   Eredmeny.txt (image blocks of six lines: identifier band JD magnitude error)\n"
           "Writes  the standard light curves " +
           b[0].standard + " " + b[1].standard + " " + b[2].standard + " " + b[3].standard +
           ",\n"
           "        the colour-corrected final light curves " +
           b[0].final + " " + b[1].final + " " + b[2].final + " " + b[3].final +
           ",\n"
           "        and the colour curve szin-gorbe.txt.\n"
           "Waits for a key after the counting pass, after the extraction and before it ends.\n";
}

struct Outputs {
    std::array<File, kSlots> standard; // written, then read back by the colour phase
    std::array<File, kSlots> final;
    File colour;
};

Outputs open_outputs() {
    Outputs out;
    for (int s = 0; s < kSlots; ++s)
        out.standard[s] = open_output(kVariant.bands[s].standard, "w+");
    for (int s = 0; s < kSlots; ++s) out.final[s] = open_output(kVariant.bands[s].final);
    out.colour = open_output(kColourCurve);
    return out;
}

std::string describe_image(const ImageBlock& block) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", block.rows[kTarget][measurement::jd]);
    return std::string("image of JD ") + text + ", band " + block.band;
}

bool any_comparison_measured(const ImageBlock& block) {
    for (int i = 1; i < kTarget; ++i)
        if (block.rows[i][measurement::mag] != 0.0f) return true;
    return false;
}

// One image block: zero point and scatter from the comparison stars, one standard row.
void extract_block(const ImageBlock& block, const std::string& table, const Calibration& calib,
                   Outputs& out) {
    const int s = band_slot(block.band, kVariant.bands);
    if (s < 0) return;
    const auto& cat = calib.catalogue;
    const float k = calib.colour_coefficient[s];
    const float z = kivonas2(EstimatorForm::lcbuild, block.rows, cat[s], cat[lcbuild::kColourFirst],
                             cat[lcbuild::kColourSecond], kComparisons, k);
    const float scatter =
        hiba2(EstimatorForm::lcbuild, block.rows, cat[s], cat[lcbuild::kColourFirst],
              cat[lcbuild::kColourSecond], kComparisons, k);
    const MeasurementRow& target = block.rows[kTarget];
    // The calibrated magnitude is stored in single precision like every magnitude of the light
    // curves, so that the standard row reads back as the value that was written.
    const float mag = target[measurement::mag] - z;
    std::printf("%f %f %f %s\n", z, scatter, mag, block.band.c_str());

    const std::string where = at_line(table, block.first_line);
    if (!any_comparison_measured(block)) {
        warn(where, "no comparison star measured on the " + describe_image(block) +
                        "; no light-curve row written");
        return;
    }
    if (target[measurement::mag] == 0.0f) {
        warn(where, "the supernova is not measured (magnitude 0) on the " + describe_image(block) +
                        "; its row holds 0 minus the zero point");
    }
    write_light_curve_row(out.standard[s].get(), target[measurement::jd] - kJdOffset, mag,
                          target[measurement::err], scatter);
}

void extraction_phase(ResultTable& table, int blocks, const Calibration& calib, Outputs& out) {
    ImageBlock block;
    for (int b = 0; b < blocks; ++b) {
        table.read_block(block);
        sort_by_identifier(block);
        std::printf(dates_agree(block) ? "\nDatum JO" : "\nDatum ROSSZ");
        extract_block(block, table.name(), calib, out);
    }
}

struct ColourRow {
    float date = 0, first = 0, second = 0, colour = 0;
};

// Colour table: one row per slot-1 row, with the slot-3 magnitude of its night.
struct ColourTable {
    std::vector<ColourRow> rows;
    std::unordered_map<std::int64_t, std::size_t> first_of_night;

    const ColourRow* of_night(float date) const {
        auto it = first_of_night.find(night_of(date));
        return it == first_of_night.end() ? nullptr : &rows[it->second];
    }
};

ColourTable read_colour_bands(Outputs& out) {
    ColourTable table;
    File& first = out.standard[lcbuild::kColourFirst];
    File& second = out.standard[lcbuild::kColourSecond];
    rewind_written(first);
    rewind_written(second);
    std::printf("\nBeolvasva:\n");

    LightCurveReader first_reader(first.get(), first.name());
    LightCurveRow row;
    while (first_reader.next(row)) {
        table.first_of_night.try_emplace(night_of(row.time), table.rows.size());
        table.rows.push_back({row.time, row.mag, 0.0f, 0.0f});
    }
    std::printf("szamolt hossz: %d, g\n", static_cast<int>(table.rows.size()));

    LightCurveReader second_reader(second.get(), second.name());
    int count = 0;
    while (second_reader.next(row)) {
        ++count;
        auto it = table.first_of_night.find(night_of(row.time));
        if (it != table.first_of_night.end()) table.rows[it->second].second = row.mag;
    }
    std::printf("szamolt hossz: %d, i\n", count);
    return table;
}

void compute_colours(ColourTable& table) {
    std::printf("\nA szinek:\n");
    std::printf("JD, g, i, g-i\n");
    for (ColourRow& r : table.rows) {
        const bool paired =
            r.second != 0.0f && static_cast<long double>(r.first) + r.second != 0.0L;
        r.colour = paired ? r.first - r.second : 0.0f;
        std::printf("%f %f %f %f\n", r.date, r.first, r.second, r.colour);
    }
}

void write_final_curves(const ColourTable& table, const Calibration& calib, Outputs& out) {
    for (File& standard : out.standard) rewind_written(standard);
    for (int s = 0; s < kSlots; ++s) {
        const long double k = calib.colour_coefficient[s];
        LightCurveReader reader(out.standard[s].get(), out.standard[s].name());
        LightCurveRow row;
        while (reader.next(row)) {
            const ColourRow* night = table.of_night(row.time);
            const long double colour = night ? night->colour : 0.0f;
            write_light_curve_row(out.final[s].get(), row.time,
                                  static_cast<double>(row.mag - k * colour), row.error, row.calib);
        }
    }
}

void write_colour_curve(const ColourTable& table, Outputs& out) {
    for (const ColourRow& r : table.rows)
        if (r.colour != 0.0f) std::fprintf(out.colour.get(), "%f %f\n", r.date, r.colour);
}

void colour_phase(const Calibration& calib, Outputs& out) {
    ColourTable table = read_colour_bands(out);
    compute_colours(table);
    write_final_curves(table, calib, out);
    write_colour_curve(table, out);
}

void close_outputs(Outputs& out) {
    for (File& f : out.standard) close_written(f);
    for (File& f : out.final) close_written(f);
    close_written(out.colour);
}

int run(const Calibration& calib) {
    File table_file = open_checked(kResultTableName, "r");
    ResultTable table(table_file.get(), kResultTableName, kBlockLines);
    const int blocks = count_and_wait(table, CountLine::bare);

    Outputs out = open_outputs();
    extraction_phase(table, blocks, calib, out);
    std::printf("\negyeni atlag, atlagtol valo elteres\nkulonbseg, szorasa, eredmeny, szuro");
    table_file.close();
    pause_for_key();

    colour_phase(calib, out);
    close_outputs(out);
    return finish_after_key("\n\n");
}

} // namespace

int main(int argc, char** argv) {
    const std::string help = help_text();
    snphot::ComparisonCatalogue catalogue;
    snphot::ColourCoefficients colour;
    return snphot::run_program(
        argc, argv,
        {kVariant.program,
         help.c_str(),
         {snphot::comparison_table(catalogue), snphot::colour_table(colour)}},
        [&] { return run(lcbuild::calibration_of(catalogue, colour)); });
}
