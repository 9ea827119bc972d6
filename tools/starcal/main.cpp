// starcal: calibrated g r i z magnitudes of the six objects of a field.
//
// Every image block of "Eredmeny.txt" (six objects, in file order) takes the zero-point correction
// that starcorr found for its band and night on a field of standard stars; its calibrated rows go
// to the work file of the band. All images of an object in a band are then combined into an
// error-weighted mean and scatter (reference tables, first block), the g - i colour term is
// removed (second block), and the final table is printed.
#include "calibration.hpp"
#include "cli.hpp"
#include "file.hpp"
#include "photometric_settings.hpp"
#include "photometry.hpp"
#include "result_table.hpp"
#include "settings.hpp"
#include "truncate.hpp"
#include "weighted.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace snphot;
using starcal::bands;
using starcal::kObjects;

constexpr int kBands = static_cast<int>(bands.size());

constexpr const char* kHelp =
    "starcal: calibrated g r i z magnitudes of the six objects of a field.\n"
    "Reads   Eredmeny.txt (image blocks of six lines: identifier band JD magnitude error)\n"
    "        and the corrections of starcorr, g-korr.txt r-korr.txt i-korr.txt z-korr.txt\n"
    "        (their first four lines)\n"
    "Writes  the work files g-gorbe.txt r-gorbe.txt i-gorbe.txt z-gorbe.txt (object, JD - "
    "2400000,\n"
    "        calibrated magnitude, error, scatter of the correction; light curves of these\n"
    "        names are replaced) and the reference tables g-ref.txt r-ref.txt i-ref.txt\n"
    "        z-ref.txt (weighted mean and scatter per object, then colour-corrected)\n"
    "Waits for a key after the counting pass, after the corrections, after the weighting and\n"
    "before it ends.\n";

using Corrections = std::array<starcal::CorrectionTable, kBands>;
using MeanAndScatter = std::array<float, 2>;
using BandValues = std::array<MeanAndScatter, kBands>;

struct Outputs {
    std::array<File, kBands> work;      // written in phase 2, read in phase 3
    std::array<File, kBands> reference; // written in phase 3, read back and extended in phase 4
};

// One row of a work file: object, JD - 2400000, calibrated magnitude, error, scatter of the
// correction.
using WorkRow = std::array<float, 5>;
namespace work {
constexpr int object = 0, time = 1, calibrated = 2, error = 3, scatter = 4;
} // namespace work

std::string fixed(float value) {
    if (std::isnan(value)) return "nan"; // never "-nan"
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

// ---- Phase 1: reading ----

Corrections read_all_corrections() {
    std::array<File, kBands> files;
    for (int b = 0; b < kBands; ++b) files[b] = open_checked(bands[b].correction_file, "r");
    Corrections corrections;
    for (int b = 0; b < kBands; ++b) {
        corrections[b] =
            starcal::read_corrections(files[b].get(), files[b].name(), starcal::kCorrectionLines);
    }
    return corrections;
}

Outputs create_outputs() {
    Outputs out;
    for (int b = 0; b < kBands; ++b) out.work[b] = open_output(bands[b].work_file, "w+");
    for (int b = 0; b < kBands; ++b) out.reference[b] = open_output(bands[b].reference_table, "w+");
    return out;
}

// ---- Phase 2: applying the corrections ----

void warn_unmeasured(const ImageBlock& block, const MeasurementRow& row, const std::string& table) {
    warn(at_line(table, block.first_line),
         "object " + std::to_string(to_int_truncated(row[measurement::id])) + " of the " +
             block.band + " image of JD " + fixed(block.rows[0][measurement::jd]) +
             " has magnitude 0 (not measured?); it is calibrated all the same");
}

// Calibrates the rows of one block with the correction of its band and night; returns the
// correction taken (0 when none), or `last` for a block of no known band.
float correct_block(const ImageBlock& block, const Corrections& corrections,
                    const std::string& table, Outputs& out, float last) {
    const int b = band_slot(block.band, bands);
    if (b < 0) return last;
    const starcal::Correction* entry =
        corrections[b].of_night(starcal::night_of_jd(block.rows[0][measurement::jd]));
    const float z = entry ? entry->z : 0.0f;
    if (z == 0.0f) return z;
    for (const MeasurementRow& row : block.rows) {
        if (row[measurement::mag] == 0.0f) warn_unmeasured(block, row, table);
        const int object = to_int_truncated(row[measurement::id]);
        const double calibrated = static_cast<double>(row[measurement::mag]) - z;
        std::printf("%d %f %f %f %f %s\n", object, row[measurement::jd], calibrated, z,
                    entry->scatter, block.band.c_str());
        std::fprintf(out.work[b].get(), "%d %f %f %f %f\n", object,
                     row[measurement::jd] - kJdOffset, calibrated, row[measurement::err],
                     entry->scatter);
    }
    return z;
}

void correction_phase(ResultTable& table, int blocks, const Corrections& corrections,
                      Outputs& out) {
    ImageBlock block;
    float last = 0.0f;
    for (int n = 0; n < blocks; ++n) {
        table.read_block(block);
        last = correct_block(block, corrections, table.name(), out, last);
        // An empty line closes every calibrated block, and also a block of no known band that
        // follows one, since such a block keeps the correction taken last.
        if (last != 0.0f) std::printf("\n");
    }
    std::printf("ID, JD, eredmeny, kulonbseg, szoras, szuro\n");
}

// ---- Phase 3: combining the images ----

std::vector<WorkRow> read_work_file(File& file) {
    rewind_written(file);
    Scanner in(file.get(), file.name());
    std::vector<WorkRow> rows;
    for (;;) {
        in.skip_space();
        if (in.at_end()) break;
        WorkRow row;
        for (float& value : row) {
            if (!in.read_float(value))
                throw RunFailure(at_line(file.name(), in.line()), "not a row of five numbers");
        }
        rows.push_back(row);
    }
    return rows;
}

void echo_work_rows(const std::vector<WorkRow>& rows) {
    std::printf("Beolvasott sorok:%d\n", static_cast<int>(rows.size()));
    std::printf("Beolvasva: (g)\n\n");
    for (const WorkRow& r : rows) {
        std::printf("%d  %f  %f  %f  %f\n", to_int_truncated(r[work::object]), r[work::time],
                    r[work::calibrated], r[work::error], r[work::scatter]);
    }
    std::printf("\n");
}

struct ObjectRows {
    std::vector<WeightedRow> rows;
    float total_weight = 0.0f;
};

// The weighted rows of every object 1..6, in table order; other identifiers enter none.
std::array<ObjectRows, kObjects> weight_rows(const std::vector<WorkRow>& table, int band) {
    std::array<ObjectRows, kObjects> objects;
    for (std::size_t n = 0; n < table.size(); ++n) {
        const WorkRow& r = table[n];
        for (int k = 1; k <= kObjects; ++k) {
            if (r[work::object] != static_cast<float>(k)) continue;
            const float sigma = starcal::combined_error(r[work::error], r[work::scatter]);
            if (sigma == 0.0f) {
                throw RunFailure(at_line(bands[band].work_file, static_cast<long>(n) + 1),
                                 "object " + std::to_string(k) + " on JD " + fixed(r[work::time]) +
                                     " in band " + bands[band].letter +
                                     ": error and correction scatter are both 0, so its weight "
                                     "would be infinite");
            }
            const float w = starcal::weight_of(sigma);
            const float weighted =
                static_cast<float>(static_cast<long double>(r[work::calibrated]) * w);
            ObjectRows& o = objects[k - 1];
            o.rows.push_back({r[work::calibrated], weighted, sigma, 0.0f});
            o.total_weight = static_cast<float>(static_cast<long double>(o.total_weight) + w);
        }
    }
    return objects;
}

MeanAndScatter combine(const ObjectRows& o, int object, int band) {
    const int n = static_cast<int>(o.rows.size());
    if (n == 0) {
        warn(bands[band].work_file, "object " + std::to_string(object) +
                                        " has no calibrated row in "
                                        "band " +
                                        bands[band].letter + "; its magnitude is nan");
        const float undefined = std::numeric_limits<float>::quiet_NaN();
        return {undefined, undefined};
    }
    const std::vector<float> zero_offsets(n, 0.0f);
    return {kivonasv(o.rows, zero_offsets, n, o.total_weight),
            hibav(o.rows, zero_offsets, n, o.total_weight)};
}

void write_reference_line(std::FILE* out, int object, float mean, float scatter) {
    std::fprintf(out, "%d %s %s\n", object, fixed(mean).c_str(), fixed(scatter).c_str());
}

void combination_phase(Outputs& out) {
    for (int b = 0; b < kBands; ++b) {
        const std::vector<WorkRow> table = read_work_file(out.work[b]);
        if (b == 0) echo_work_rows(table);
        const auto objects = weight_rows(table, b);
        for (int k = 1; k <= kObjects; ++k) {
            const MeanAndScatter result = combine(objects[k - 1], k, b);
            write_reference_line(out.reference[b].get(), k, result[0], result[1]);
        }
    }
    for (File& file : out.work) close_written(file);
}

// ---- Phase 4: colour correction and final output ----

// The first blocks of the reference tables as written (six decimals), read back.
std::array<BandValues, kObjects> read_reference_blocks(Outputs& out) {
    for (File& file : out.reference) rewind_written(file);
    std::array<Scanner, kBands> in = {Scanner(out.reference[0].get(), out.reference[0].name()),
                                      Scanner(out.reference[1].get(), out.reference[1].name()),
                                      Scanner(out.reference[2].get(), out.reference[2].name()),
                                      Scanner(out.reference[3].get(), out.reference[3].name())};
    std::array<BandValues, kObjects> values;
    for (int k = 0; k < kObjects; ++k) {
        for (int b = 0; b < kBands; ++b) {
            float object;
            auto& [mean, scatter] = values[k][b];
            if (!in[b].read_float(object) || !in[b].read_float_or_nan(mean) ||
                !in[b].read_float_or_nan(scatter))
                throw RunFailure(at_line(out.reference[b].name(), in[b].line()),
                                 "not a line of object, magnitude and scatter");
        }
    }
    return values;
}

std::array<BandValues, kObjects> colour_correct(const std::array<BandValues, kObjects>& values,
                                                const std::array<float, kBands>& coefficients) {
    std::array<BandValues, kObjects> corrected;
    for (int k = 0; k < kObjects; ++k) {
        const float g = values[k][starcal::kColourFirst][0];
        const float i = values[k][starcal::kColourSecond][0];
        for (int b = 0; b < kBands; ++b) {
            const auto [mean, scatter] = values[k][b];
            corrected[k][b] = {starcal::colour_corrected(mean, coefficients[b], g, i), scatter};
        }
    }
    return corrected;
}

void write_colour_blocks(Outputs& out, const std::array<BandValues, kObjects>& corrected) {
    for (File& file : out.reference) {
        std::fseek(file.get(), 0, SEEK_END); // from reading back to appending
        std::fprintf(file.get(), "\n\nSzinkorrigalt:\n");
    }
    for (int k = 0; k < kObjects; ++k) {
        for (int b = 0; b < kBands; ++b)
            write_reference_line(out.reference[b].get(), k + 1, corrected[k][b][0],
                                 corrected[k][b][1]);
    }
}

void print_final_table(const std::array<BandValues, kObjects>& corrected) {
    std::printf("Vegso kimenet:\nID szuro ertek hiba\n\n");
    for (int k = 0; k < kObjects; ++k) {
        for (int b = 0; b < kBands; ++b) {
            std::printf("%d %c %s %s\n", k + 1, bands[b].letter, fixed(corrected[k][b][0]).c_str(),
                        fixed(corrected[k][b][1]).c_str());
        }
        std::printf("\n");
    }
}

void colour_phase(const snphot::ColourCoefficients& colour, Outputs& out) {
    const auto corrected = colour_correct(read_reference_blocks(out), colour.griz);
    write_colour_blocks(out, corrected);
    print_final_table(corrected);
}

int run(const snphot::ColourCoefficients& colour) {
    File table_file = open_checked(kResultTableName, "r");
    const Corrections corrections = read_all_corrections();
    ResultTable table(table_file.get(), kResultTableName, kObjects);
    const int blocks = count_and_wait(table, CountLine::with_line_end);

    Outputs out = create_outputs();
    correction_phase(table, blocks, corrections, out);
    table_file.close();
    pause_for_key();

    combination_phase(out);
    pause_for_key();

    colour_phase(colour, out);
    for (File& file : out.reference) close_written(file);
    return finish_after_key("\nVege\n");
}

} // namespace

int main(int argc, char** argv) {
    snphot::ColourCoefficients colour;
    return snphot::run_program(argc, argv, {"starcal", kHelp, {snphot::colour_table(colour)}},
                               [&] { return run(colour); });
}
