#include "settings.hpp"

#include "cli.hpp"

#include <algorithm>

namespace lcimport {

bool known_band(const std::string& band) {
    return std::find(kKnownBands.begin(), kKnownBands.end(), band) != kKnownBands.end();
}

namespace {

// The checks that need more than one key, and where the file names sources.
void complete(const snphot::SettingsTable& table, ImportSettings& settings) {
    for (const auto& [source, bands] : settings.offsets)
        for (const auto& [band, offset] : bands.value)
            if (!known_band(band))
                table.refuse(bands.line, "offsets.\"" + source + "\": \"" + band +
                                             "\" is not a band lcimport writes (U B V R I g r i "
                                             "z)");
    auto at = [&](const char* key) {
        return table.line(key) > 0 ? snphot::at_line(table.file, table.line(key)) : table.file;
    };
    settings.reference_at = at("reference");
    settings.exclude_at = at("exclude");
    settings.settings_file = table.file;
}

} // namespace

snphot::SettingsTable import_table(ImportSettings& s) {
    using namespace snphot;
    SettingsTable table{
        "import",
        "lcimport: a photometry table (a header row naming the columns, then one measurement a\n"
        "row) into one light curve X-gorbeA.txt per band.",
        {text("file", s.file, "the photometry table, comma- or white-space-separated"),
         text("time", s.time_column, "time column; \"\": \"mjd\", or \"jd\" when there is no mjd"),
         choice("time_kind", s.time_kind, kTimeKindWords,
                "of the time column; none: from its name (mjd or jd)"),
         text("band", s.band_column, "band column"),
         text("mag", s.mag_column, "magnitude column"),
         text("mag_err", s.error_column, "error column"),
         text("source", s.source_column, "source column, used when the table has it"),
         text("upper_limit", s.upper_limit_column,
              "upper-limit flag column (1, true, yes: dropped), used when the table has it"),
         words("bands", s.bands, kKnownBands,
               "the bands to write; []: every band of the table among U B V R I g r i z"),
         choice("per_night", s.per_night, kPerNightWords,
                "points of one band in one night: weighted mean, all, or the first"),
         flag("align_sources", s.align_sources,
              "estimate and remove each source's offset against the reference, per band"),
         text("reference", s.reference, "reference source; \"\": the one with the most points"),
         words("exclude", s.exclude, {}, "sources whose rows are dropped"),
         numbers_by_name("offsets", s.offsets, {},
                         "{ \"source\" = { B = 0.12 } }: mag subtracted, by hand"),
         number("match_days", s.match_days,
                "days: reach of the interpolation of the reference between two of its points",
                0.0),
         number("min_pairs", s.min_pairs,
                "a source with fewer pairs with the reference is left as it is", 0.0)}};
    table.complete = [&s](const SettingsTable& t) { complete(t, s); };
    return table;
}

} // namespace lcimport
