// The coordinates u in [0, 1] in which a free parameter is explored: ln x scaled to the bounds
// for a parameter with a positive low bound, x scaled to the bounds for the others. A density
// uniform in u is log-uniform in the first kind, uniform in the second.
#pragma once

#include "problem.hpp"

#include <cmath>

namespace snfit {

inline double coordinate_of(const FreeParameter& p, double x) {
    return p.log_scale ? std::log(x / p.bound.low) / std::log(p.bound.high / p.bound.low)
                       : (x - p.bound.low) / (p.bound.high - p.bound.low);
}

inline double value_of(const FreeParameter& p, double u) {
    return p.log_scale ? p.bound.low * std::pow(p.bound.high / p.bound.low, u)
                       : p.bound.low + u * (p.bound.high - p.bound.low);
}

// dx/du at u.
inline double slope_of(const FreeParameter& p, double u) {
    return p.log_scale ? value_of(p, u) * std::log(p.bound.high / p.bound.low)
                       : p.bound.high - p.bound.low;
}

} // namespace snfit
