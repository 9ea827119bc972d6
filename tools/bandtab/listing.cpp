#include "listing.hpp"

#include "transformation.hpp"

namespace bandtab {

Listing johnson_cousins_catalogue(std::span<const Star> stars) {
    Listing listing;
    for (const Star& s : stars) {
        // B first, as the equations are worked, then V and Rc, and Ic from the stored Rc.
        const float B = snphot::johnson_B(s.g, s.r);
        const float V = snphot::johnson_V(s.g, s.r);
        const float Rc = snphot::cousins_Rc(s.r, s.i);
        const float Ic = snphot::cousins_Ic(Rc, s.r, s.i);
        listing.lines[kV].push_back(V);
        listing.lines[kRc].push_back(Rc);
        listing.lines[kIc].push_back(Ic);
        listing.lines[kB].push_back(B);
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
