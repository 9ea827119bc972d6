// The parameters a fit can free: the twelve explosion parameters of "parameters.inp" (tmax only
// sets the length of a run) and the explosion date. A full set of values is kept in the units of
// "parameters.inp", the date in JD - 2400000.
#pragma once

#include "model.hpp"

#include <array>
#include <string_view>

namespace snfit {

// Indices of the values, in the order of "parameters.inp", then the explosion date.
enum Index : int {
    kR0,
    kM,
    kTion,
    kMni,
    kEk,
    kE,
    kA,
    kS,
    kKappa,
    kEp,
    kTp,
    kAg,
    kTmax,
    kExplosionDate
};
inline constexpr int kFileParameters = 13;
inline constexpr int kAllParameters = 14;

using Values = std::array<double, kAllParameters>;

struct Bound {
    double low = 0;
    double high = 0;
};

struct ParameterInfo {
    const char* name;
    const char* unit;
    Bound default_bound; // the explosion date's is relative to the first data point
};

// Names, units and default bounds, by index (tmax has no bound: it is never fitted).
const ParameterInfo& parameter_info(int index);

// Index of a parameter the fit can free (R0 ... Ag, explosion_date); -1 for any other name.
int free_parameter_index(std::string_view name);

// The values of "parameters.inp" (as read into the parameter fields of a ModelState) and back.
Values values_of(const snmodel::ModelState& parameters, double explosion_date);
snmodel::ModelState parameters_of(const Values& values);

} // namespace snfit
