#include "fit_parameters.hpp"

#include "parameters.hpp"

namespace snfit {

namespace {

// The default bounds are wide and physical: from a compact star to the largest red supergiants,
// a few to fifty solar masses of ejecta, energies of 1e50 to 1e52 erg, a tail from next to no
// nickel to a solar mass, and an explosion up to 60 days before the first data point.
constexpr std::array<ParameterInfo, kAllParameters> kInfo = {{
    {"R0", "cm", {1e12, 5e14}},
    {"M", "M_sol", {1.0, 50.0}},
    {"Tion", "K", {3000.0, 10000.0}},
    {"Mni", "M_sol", {1e-4, 1.0}},
    {"Ek", "1e51 erg", {0.1, 10.0}},
    {"E", "1e51 erg", {0.01, 10.0}},
    {"a", "", {0.0, 10.0}},
    {"s", "", {0.5, 2.9}},
    {"kappa", "cm^2/g", {0.05, 1.0}},
    {"Ep", "1e51 erg", {0.0, 10.0}},
    {"tp", "d", {0.1, 200.0}},
    {"Ag", "d^2", {100.0, 1e7}},
    {"tmax", "d", {0.0, 0.0}},
    {"explosion_date", "JD-2400000", {-60.0, 0.0}},
}};

} // namespace

const ParameterInfo& parameter_info(int index) {
    return kInfo[index];
}

int free_parameter_index(std::string_view name) {
    for (int i = 0; i < kAllParameters; ++i)
        if (i != kTmax && name == kInfo[i].name) return i;
    return -1;
}

Values values_of(const snmodel::ModelState& parameters, double explosion_date) {
    Values values{};
    for (int i = 0; i < kFileParameters; ++i) values[i] = parameters.*snmodel::kParameters[i].field;
    values[kExplosionDate] = explosion_date;
    return values;
}

snmodel::ModelState parameters_of(const Values& values) {
    snmodel::ModelState parameters;
    for (int i = 0; i < kFileParameters; ++i) parameters.*snmodel::kParameters[i].field = values[i];
    return parameters;
}

} // namespace snfit
