// starcorr: how far the instrumental magnitudes of a field of standard stars lie from their
// catalogue values, image by image.
//
// Every image block of "Eredmeny.txt" (five standard stars, in file order) of band g, r, i or z
// gives one zero-point offset Z, with the g - i colour term removed, and its scatter S over the
// positions 1, 3, 4 and 5; the line "reduced JD, Z, 0, S" goes to the correction file of its band,
// which starcal later applies night by night to the images of another field.
#include "cli.hpp"
#include "estimators.hpp"
#include "file.hpp"
#include "photometry.hpp"
#include "result_table.hpp"
#include "settings.hpp"

#include <array>
#include <cstdio>
#include <string>

namespace {

using namespace snphot;
using starcorr::bands;
using starcorr::Settings;

constexpr int kBands = static_cast<int>(bands.size());
constexpr int kSkippedRow = 1; // position 2 never enters a zero point

constexpr const char* kHelp =
    "starcorr: per-image zero-point corrections from a field of standard stars.\n"
    "Reads   Eredmeny.txt (image blocks of five lines: identifier band JD magnitude error)\n"
    "Writes  g-korr.txt r-korr.txt i-korr.txt z-korr.txt, one line per image of the band:\n"
    "        JD - 2400000, zero-point offset, 0, scatter (all four are emptied at every run)\n"
    "Waits for a key after the counting pass and before it ends.\n";

using CorrectionFiles = std::array<File, kBands>;

CorrectionFiles create_correction_files() {
    CorrectionFiles files;
    for (int b = 0; b < kBands; ++b) files[b] = open_output(bands[b].correction_file);
    return files;
}

// A magnitude of 0 elsewhere in the suite marks a star that was not measured; here it enters the
// zero point like any other, so the user is told.
void warn_unmeasured(const ImageBlock& block, const std::string& table) {
    for (int j = 0; j < starcorr::kStars; ++j) {
        if (j == kSkippedRow || block.rows[j][measurement::mag] != 0.0f) continue;
        char jd[32];
        std::snprintf(jd, sizeof jd, "%f", block.rows[0][measurement::jd]);
        warn(at_line(table, block.first_line),
             "position " + std::to_string(j + 1) + " of the " + block.band + " image of JD " + jd +
                 " has magnitude 0 (not measured?); it enters the zero point all the same");
    }
}

// One image block: zero-point offset and scatter of its band, one correction line.
void correct_block(const ImageBlock& block, const std::string& table, const Settings& settings,
                   CorrectionFiles& out) {
    const int b = band_slot(block.band, bands);
    if (b < 0) return;
    warn_unmeasured(block, table);
    const auto& catalogue = settings.field.*bands[b].stars;
    const auto& g = settings.field.*bands[starcorr::kColourFirst].stars;
    const auto& i = settings.field.*bands[starcorr::kColourSecond].stars;
    const float k = settings.colour.griz[b];
    const float z =
        kivonas2(EstimatorForm::starcorr, block.rows, catalogue, g, i, starcorr::kStars, k);
    const float s =
        hiba2(EstimatorForm::starcorr, block.rows, catalogue, g, i, starcorr::kStars, k);
    std::printf("%f %f %s\n", z, s, block.band.c_str());
    const double time = block.rows[0][measurement::jd] - kJdOffset;
    std::fprintf(out[b].get(), "%f %f %f %f\n", time, z, 0.0, s);
}

void correction_phase(ResultTable& table, int blocks, const Settings& settings,
                      CorrectionFiles& out) {
    ImageBlock block;
    for (int n = 0; n < blocks; ++n) {
        table.read_block(block);
        correct_block(block, table.name(), settings, out);
    }
}

int run(const Settings& settings) {
    File table_file = open_checked(kResultTableName, "r");
    ResultTable table(table_file.get(), kResultTableName, starcorr::kStars);
    const int blocks = count_and_wait(table, CountLine::bare);

    CorrectionFiles out = create_correction_files();
    correction_phase(table, blocks, settings, out);
    std::printf("\nelteresek kulon-kulon, elteres az atlagtol\n");
    std::printf("elteres atlag, szoras, szuro\n");
    table_file.close();
    for (File& file : out) close_written(file);
    return finish_after_key("\n\n");
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    return snphot::run_program(
        argc, argv,
        {"starcorr",
         kHelp,
         {starcorr::standard_field_table(settings.field), snphot::colour_table(settings.colour)}},
        [&] { return run(settings); });
}
