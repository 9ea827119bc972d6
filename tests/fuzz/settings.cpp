// The settings file snphot.toml, read with the rules of the programs' own tables: syntax, unknown
// tables and keys, types, array lengths, finite numbers; the shared tables [comparison] and
// [colour] filled in, V R I B derived from g r i where the file leaves them out; then the tables
// of the programs, [fit] with its names, pairs and checks among them. Every value handed on is a
// finite number, and the [fit] table hands on what the fit can take.
#include "bolcurve/settings.hpp"
#include "cumquad/settings.hpp"
#include "fit_settings.hpp"
#include "fuzz_support.hpp"
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
        bolcurve::Settings bolometric;
        starcorr::StandardField field;
        lcsub::Settings subtraction;
        cumquad::LineProfile profile = cumquad::kCumquad, profile2 = cumquad::kCumquad2;
        std::vector<snphot::SettingsTable> tables = {
            snfit::fit_table(fit),
            bolcurve::bolometric_table(bolometric),
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
    return 0;
}
