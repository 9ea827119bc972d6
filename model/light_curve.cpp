#include "light_curve.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace snmodel {

using namespace settings;

namespace {

// From the units of "parameters.inp" to CGS; tmax stays in days.
void to_cgs(ModelState& m) {
    m.M = m.M * kSolarMass;
    m.Mni = m.Mni * kSolarMass;
    m.E = m.E * kFoe;
    m.Ek = m.Ek * kFoe;
    m.Ep = m.Ep * kFoe;
    m.tp = m.tp * kDay;
    m.Ag = m.Ag * kDaySquared;
}

ModelRow row_of(const ModelState& m) {
    return {m.t, m.Lsn, std::log10(m.Lsn), m.L, m.Lion, m.xi, m.g};
}

} // namespace

ModelState prepare_model(const ModelState& parameters) {
    ModelState m = parameters;
    to_cgs(m);
    initial_temperature(m);
    m.tmax = m.tmax * kDay;
    start_integration(m);
    derive_quantities(m);
    heating_coefficients(m);
    return m;
}

std::vector<ModelRow> model_rows(const ModelState& parameters, bool every_step) {
    ModelState m = prepare_model(parameters);
    std::vector<ModelRow> rows;
    integrate(m, [&](const ModelState& step, bool written) {
        if (written || every_step) rows.push_back(row_of(step));
    });
    return rows;
}

std::vector<double> luminosity_at(const ModelState& parameters, std::span<const double> times,
                                  Integration integration) {
    std::vector<double> result(times.size(), 0.0);
    if (times.empty()) return result;
    std::vector<std::size_t> order(times.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](auto a, auto b) { return times[a] < times[b]; });

    ModelState m = prepare_model(parameters);
    m.integration = integration;
    // One long step past the latest time, so that it has a step on either side.
    m.tmax = times[order.back()] + kLongStep;
    std::size_t next = 0; // the earliest time not yet evaluated, in `order`
    double t_before = 0.0, L_before = 0.0;
    bool first = true;
    integrate(m, [&](const ModelState& step, bool) {
        for (; next < order.size() && times[order[next]] <= step.t; ++next) {
            const double t = times[order[next]];
            if (first || step.t == t_before) {
                result[order[next]] = step.Lsn;
            } else {
                const double w = (t - t_before) / (step.t - t_before);
                result[order[next]] = L_before + w * (step.Lsn - L_before);
            }
        }
        t_before = step.t;
        L_before = step.Lsn;
        first = false;
    });
    return result;
}

double expansion_velocity(const ModelState& parameters) {
    const double M = parameters.M * kSolarMass;
    const double Ek = parameters.Ek * kFoe;
    const double mass = mass_integral(parameters.a, parameters.s);
    const double kinetic = kinetic_integral(parameters.a, parameters.s);
    return std::sqrt(2.0 * Ek * mass / (kinetic * M));
}

} // namespace snmodel
