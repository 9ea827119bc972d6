// The settings of lcimport: the [import] table of the settings file, which names the photometry
// table, maps its columns, chooses the bands, aligns the sources and says what becomes of several
// points of one band in one night. Every key is optional; the defaults read a catalogue export
// with the columns mjd, band, mag, mag_err and source.
#pragma once

#include "settings_file.hpp"

#include <map>
#include <string>
#include <vector>

namespace lcimport {

// The bands lcimport writes, each to "X-gorbeA.txt".
inline const std::vector<std::string> kKnownBands = {"U", "B", "V", "R", "I", "g", "r", "i", "z"};

// The kinds of time a table may give; the light-curve files hold JD - 2400000.
enum class TimeKind { mjd = 0, jd = 1, reduced_jd = 2 };
inline const std::vector<std::string> kTimeKindWords = {"mjd", "jd", "jd-2400000"};

// What becomes of several points of one band in one night.
enum class PerNight { mean = 0, all = 1, first = 2 };
inline const std::vector<std::string> kPerNightWords = {"mean", "all", "first"};

// Magnitude offsets given by hand: source -> band -> offset (mag, subtracted), with the line of
// the settings file that gives each source.
using HandOffsets = snphot::ByName<std::map<std::string, double>>;

struct ImportSettings {
    std::string file = "photometry.csv";
    // Column names of the header. An empty time column means "mjd", or else "jd", whichever the
    // header has; source and upper_limit are used when the header has them.
    std::string time_column;
    int time_kind = -1; // index into kTimeKindWords; none: from the time column's name
    std::string band_column = "band";
    std::string mag_column = "mag";
    std::string error_column = "mag_err";
    std::string source_column = "source";
    std::string upper_limit_column = "upper_limit";

    std::vector<std::string> bands; // none: every band of the table among kKnownBands

    bool align_sources = false;
    std::string reference;            // empty: the source with the most points
    std::vector<std::string> exclude; // sources left out
    HandOffsets offsets;
    double match_days = 3.0; // reach of the interpolation of the reference, days
    double min_pairs = 3;    // fewer pairs with the reference: the source is left as it is

    int per_night = static_cast<int>(PerNight::mean); // index into kPerNightWords

    // Where the settings file names sources, for the messages of the checks against the table:
    // "file:line" of reference and exclude (empty without a file), and the file of offsets.
    std::string reference_at, exclude_at, settings_file;
};

// The [import] table of the settings file bound to `settings`. Besides the checks of every table,
// a band of `bands` or `offsets` must be one of kKnownBands.
snphot::SettingsTable import_table(ImportSettings& settings);

inline const char* kDefaultTable = "photometry.csv";

// "B" -> "B-gorbeA.txt"
inline std::string curve_file(const std::string& band) {
    return band + "-gorbeA.txt";
}

bool known_band(const std::string& band);

} // namespace lcimport
