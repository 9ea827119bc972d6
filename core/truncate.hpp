// Truncation toward zero of a stored value to an integer, as the programs print identifiers and
// compare nights. Values outside the range of int (or undefined) give INT_MIN, as the x86
// conversion instruction does, instead of undefined behaviour.
#pragma once

#include <climits>
#include <cstdint>

namespace snphot {

inline int to_int_truncated(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT_MIN;
    return static_cast<int>(v);
}

// The night of a reduced JD: its integer part, truncated toward zero.
inline std::int64_t night_of(double reduced_jd) {
    if (!(reduced_jd > -9.2e18 && reduced_jd < 9.2e18)) return INT64_MIN;
    return static_cast<std::int64_t>(reduced_jd);
}

} // namespace snphot
