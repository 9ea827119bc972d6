// The transformation listing: the V Rc Ic B magnitudes of the comparison stars as assignment
// statements "TV[k]=...;", one line per band.
#pragma once

#include "photometric_settings.hpp"

#include <array>
#include <cstdio>
#include <span>
#include <vector>

namespace bandtab {

// A comparison star by its g r i catalogue magnitudes.
struct Star {
    float g, r, i;
};

// The stars of the [comparison] catalogue of the settings file, rows 0 to 4.
std::vector<Star> stars_of(const snphot::ComparisonCatalogue& catalogue);

// The four lines of the listing, in their printed order V, Rc, Ic, B; entry k is star k.
struct Listing {
    std::array<std::vector<float>, 4> lines;
};
inline constexpr int kV = 0, kRc = 1, kIc = 2, kB = 3;

// The forward transformation of every star (all its magnitudes are taken as measured).
Listing johnson_cousins_catalogue(std::span<const Star> stars);

// How a listing is laid out: what starts each line and the format of an entry of each line.
struct ListingLayout {
    const char* line_start;
    std::array<const char*, 4> entry; // V Rc Ic B, each "T?[%d]=%f;" and its blanks
};

void print_listing(std::FILE* out, const Listing& listing, const ListingLayout& layout);

} // namespace bandtab
