// Built-in settings of bandtab: the g r i catalogue magnitudes of the comparison stars of the
// light-curve builders (the same stars, in the same order, as the lcbuild-griz catalogue). Edit
// this table to list another field and rebuild; lcbuild-bvri's catalogue should then be updated
// with the printed values.
#pragma once

#include <array>

namespace bandtab {

struct Star {
    float g, r, i;
};

inline constexpr std::array<Star, 5> catalogue = {{
    // g       r        i
    {16.54f, 16.14f, 16.0f},  // star 0
    {16.61f, 15.99f, 15.81f}, // star 1
    {16.98f, 16.53f, 16.39f}, // star 2
    {16.26f, 15.84f, 15.67f}, // star 3
    {15.84f, 15.23f, 15.03f}, // star 4
}};

} // namespace bandtab
