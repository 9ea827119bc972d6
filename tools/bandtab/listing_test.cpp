#include "listing.hpp"
#include "photometric_settings.hpp" // the built-in catalogues of lcbuild-bvri and bandtab

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string six_decimals(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

} // namespace

// bandtab prints the catalogue that lcbuild-bvri uses: the two tables must never drift apart.
TEST(BandtabCatalogue, EqualsTheLcbuildBvriCatalogue) {
    const snphot::ComparisonCatalogue builtin;
    const bandtab::Listing listing = bandtab::johnson_cousins_catalogue(bandtab::stars_of(builtin));
    // lcbuild-bvri's slots are V R I B, the listing's lines V Rc Ic B.
    const std::array<snphot::StarMagnitudes, 4> bvri = {builtin.V, builtin.R, builtin.I, builtin.B};
    const char letters[] = "VRIB";
    for (int line = 0; line < 4; ++line) {
        ASSERT_EQ(listing.lines[line].size(), bvri[line].size());
        for (std::size_t k = 0; k < bvri[line].size(); ++k)
            EXPECT_EQ(six_decimals(listing.lines[line][k]), six_decimals(bvri[line][k]))
                << "band " << letters[line] << ", star " << k;
    }
}
