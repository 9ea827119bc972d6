// The settings file snphot.toml, read with the rules of a program's own tables: syntax, unknown
// tables and keys, types, array lengths, finite numbers; the shared tables [comparison] and
// [colour] filled in, V R I B derived from g r i where the file leaves them out; [bolometric],
// its extinction in B and I given or derived from E(B-V) and R_V. Every value handed on is a
// finite number.
//
// The same text is read into the [import] table of lcimport: its words are among their lists, its
// numbers finite and above 0, every band of `bands` and `offsets` one lcimport writes, and the
// table as --print-settings prints it reads back as the same settings.
#include "bolometric_settings.hpp"
#include "fuzz_support.hpp"
#include "lcimport/settings.hpp"
#include "photometric_settings.hpp"

#include <cstdint>
#include <string_view>

namespace {

void check_import(const lcimport::ImportSettings& s) {
    for (double v : {s.match_days, s.min_pairs})
        if (!(std::isfinite(v) && v > 0)) fuzz::finding("[import] a number not above 0");
    if (s.per_night < 0 || s.per_night >= static_cast<int>(lcimport::kPerNightWords.size()))
        fuzz::finding("[import] per_night out of its words");
    if (s.time_kind >= static_cast<int>(lcimport::kTimeKindWords.size()))
        fuzz::finding("[import] time_kind out of its words");
    for (const std::string& band : s.bands)
        if (!lcimport::known_band(band)) fuzz::finding("[import] bands: an unknown band");
    for (const auto& [source, bands] : s.offsets)
        for (const auto& [band, offset] : bands.value) {
            if (!lcimport::known_band(band)) fuzz::finding("[import] offsets: an unknown band");
            fuzz::expect_finite(offset, "[import] an offset that is not finite");
        }
}

bool same(const lcimport::ImportSettings& a, const lcimport::ImportSettings& b) {
    auto offsets = [](const lcimport::ImportSettings& s) {
        std::map<std::string, std::map<std::string, double>> values;
        for (const auto& [source, bands] : s.offsets) values[source] = bands.value;
        return values;
    };
    return a.file == b.file && a.time_column == b.time_column && a.time_kind == b.time_kind &&
           a.band_column == b.band_column && a.mag_column == b.mag_column &&
           a.error_column == b.error_column && a.source_column == b.source_column &&
           a.upper_limit_column == b.upper_limit_column && a.bands == b.bands &&
           a.align_sources == b.align_sources && a.reference == b.reference &&
           a.exclude == b.exclude && offsets(a) == offsets(b) && a.match_days == b.match_days &&
           a.min_pairs == b.min_pairs && a.per_night == b.per_night;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::accepted([&] {
        const snphot::PhotometricSettings s = snphot::parse_settings_text(text, "snphot.toml");
        const auto& c = s.comparison;
        for (const auto* stars : {&c.g, &c.r, &c.i, &c.z, &c.V, &c.R, &c.I, &c.B})
            for (float m : *stars)
                fuzz::expect_finite(m, "a catalogue magnitude that is not finite");
        for (const auto* k : {&s.colour.griz, &s.colour.bvri})
            for (float v : *k) fuzz::expect_finite(v, "a colour coefficient that is not finite");
    });
    fuzz::accepted([&] {
        snphot::BolometricSettings b;
        std::vector<snphot::SettingsTable> tables = {snphot::bolometric_table(b)};
        snphot::read_settings_text(text, "snphot.toml", tables);
        for (float v : {b.extinction_B, b.extinction_I, b.distance_pc})
            fuzz::expect_finite(v, "an extinction or distance that is not finite");
    });
    fuzz::accepted([&] {
        lcimport::ImportSettings settings;
        std::vector<snphot::SettingsTable> tables = {lcimport::import_table(settings)};
        snphot::read_settings_text(text, "snphot.toml", tables);
        check_import(settings);
        fuzz::OutputBuffer printed;
        snphot::print_settings(printed.get(), tables);
        lcimport::ImportSettings again;
        std::vector<snphot::SettingsTable> again_tables = {lcimport::import_table(again)};
        const std::string printed_text = printed.text();
        if (!fuzz::accepted([&] {
                snphot::read_settings_text(printed_text, "printed.toml", again_tables);
            }))
            fuzz::finding("[import] as printed is refused");
        if (!same(settings, again)) fuzz::finding("[import] as printed reads back otherwise");
    });
    return 0;
}
