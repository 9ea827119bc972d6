// The settings file snphot.toml, read with the rules of the programs' own tables: syntax, unknown
// tables and keys, types, array lengths, finite numbers; the shared tables [comparison] and
// [colour] filled in, V R I B derived from g r i where the file leaves them out; then the tables
// of the programs, [fit] with its names, pairs and checks among them, [bolometric] with its
// extinction in B and I given or derived from E(B-V) and R_V. Every value handed on is a finite
// number, and the [fit] table hands on what the fit can take.
//
// The same text is read into the [import] table of lcimport: its words are among their lists, its
// numbers finite and above 0, every band of `bands` and `offsets` one lcimport writes, and the
// table as --print-settings prints it reads back as the same settings.
#include "bolcurve/settings.hpp"
#include "cumquad/settings.hpp"
#include "fit_settings.hpp"
#include "fuzz_support.hpp"
#include "lcimport/settings.hpp"
#include "lcsub/variants.hpp"
#include "photometric_settings.hpp"
#include "starcorr/settings.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

void check_fit(const snfit::FitSettings& fit) {
    if (fit.free.empty()) fuzz::finding("a fit of no free parameter");
    for (std::size_t a = 0; a < fit.free.size(); ++a)
        if (std::count(fit.free.begin(), fit.free.end(), fit.free[a]) != 1)
            fuzz::finding("a parameter freed twice");
    for (const auto& [index, bound] : fit.bounds) {
        fuzz::expect_finite(bound.low, "a bound that is not finite");
        fuzz::expect_finite(bound.high, "a bound that is not finite");
        if (!(bound.low < bound.high)) fuzz::finding("a low bound not below the high one");
        if (std::find(fit.free.begin(), fit.free.end(), index) == fit.free.end())
            fuzz::finding("bounds of a parameter that is not free");
    }
    if (fit.explosion_date) fuzz::expect_finite(*fit.explosion_date, "a start not finite");
    if (fit.dates && fit.dates->low > fit.dates->high) fuzz::finding("dates out of order");
    if (!(fit.systematic >= 0.0)) fuzz::finding("a systematic that is negative or nan");
    if (fit.velocity && !(fit.velocity->value > 0.0 && fit.velocity->sigma > 0.0))
        fuzz::finding("a velocity or sigma that is not positive");
}

} // namespace

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
        snfit::FitSettings fit;
        snphot::BolometricSettings bolometric;
        starcorr::StandardField field;
        lcsub::Settings subtraction;
        cumquad::LineProfile profile = cumquad::kCumquad, profile2 = cumquad::kCumquad2;
        std::vector<snphot::SettingsTable> tables = {
            snfit::fit_table(fit),
            snphot::bolometric_table(bolometric),
            starcorr::standard_field_table(field),
            lcsub::subtraction_table(subtraction),
            cumquad::line_profile_table("line_profile", profile),
            cumquad::line_profile_table("line_profile2", profile2)};
        snphot::read_settings_text(text, "snphot.toml", tables);
        check_fit(fit);
        for (float v : {bolometric.extinction_B, bolometric.extinction_I, bolometric.distance_pc})
            fuzz::expect_finite(v, "a [bolometric] value that is not finite");
        for (const auto* stars : {&field.g, &field.r, &field.i, &field.z})
            for (float m : *stars) fuzz::expect_finite(m, "a standard magnitude not finite");
        fuzz::expect_finite(subtraction.reference_date, "a reference date that is not finite");
        for (const auto* p : {&profile, &profile2})
            for (double v : {p->A1, p->s1, p->A2, p->s2})
                fuzz::expect_finite(v, "a line profile constant that is not finite");
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
