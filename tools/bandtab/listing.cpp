#include "listing.hpp"

#include "transformation.hpp"

namespace bandtab {

std::vector<Star> stars_of(const snphot::ComparisonCatalogue& catalogue) {
    std::vector<Star> stars;
    for (std::size_t k = 0; k < catalogue.g.size(); ++k)
        stars.push_back({catalogue.g[k], catalogue.r[k], catalogue.i[k]});
    return stars;
}

Listing johnson_cousins_catalogue(std::span<const Star> stars) {
    Listing listing;
    for (const Star& s : stars) {
        const snphot::JohnsonCousins star = snphot::johnson_cousins_of_star(s.g, s.r, s.i);
        listing.lines[kV].push_back(star.V);
        listing.lines[kRc].push_back(star.Rc);
        listing.lines[kIc].push_back(star.Ic);
        listing.lines[kB].push_back(star.B);
    }
    return listing;
}

void print_listing(std::FILE* out, const Listing& listing, const ListingLayout& layout) {
    for (int line = 0; line < 4; ++line) {
        std::fputs(layout.line_start, out);
        const std::vector<float>& values = listing.lines[line];
        for (std::size_t k = 0; k < values.size(); ++k)
            std::fprintf(out, layout.entry[line], static_cast<int>(k), values[k]);
    }
}

} // namespace bandtab
