// The settings file snphot.toml, read with the rules of a program's own tables: syntax, unknown
// tables and keys, types, array lengths, finite numbers; the shared tables [comparison] and
// [colour] filled in, V R I B derived from g r i where the file leaves them out; [bolometric],
// its extinction in B and I given or derived from E(B-V) and R_V. Every value handed on is a
// finite number.
#include "bolometric_settings.hpp"
#include "fuzz_support.hpp"
#include "photometric_settings.hpp"

#include <cstdint>
#include <string_view>

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
    return 0;
}
