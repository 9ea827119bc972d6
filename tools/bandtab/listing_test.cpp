#include "listing.hpp"
#include "settings_bvri.hpp" // lcbuild-bvri's built-in catalogue

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
    const bandtab::Listing listing = bandtab::johnson_cousins_catalogue(bandtab::catalogue);
    // lcbuild-bvri's slots are V R I B, the listing's lines V Rc Ic B.
    const auto& bvri = lcbuild::settings.catalogue;
    for (int line = 0; line < 4; ++line) {
        ASSERT_EQ(listing.lines[line].size(), bvri[line].size());
        for (std::size_t k = 0; k < bvri[line].size(); ++k)
            EXPECT_EQ(six_decimals(listing.lines[line][k]), six_decimals(bvri[line][k]))
                << "band " << lcbuild::settings.bands[line].letter << ", star " << k;
    }
}
