// The model as a library: one parameter set in, the light curve out, without console or file
// output. Every run owns its ModelState, so runs of different parameter sets can go side by side
// on several threads.
#pragma once

#include "model.hpp"
#include "model_constants.hpp"

#include <span>
#include <vector>

namespace snmodel {

// The model of a parameter set ready to integrate: `parameters` holds the thirteen values in the
// units of "parameters.inp" (as read_parameters leaves them); the result has them in CGS (tmax in
// seconds), T0, the derived quantities and the heating coefficients computed, and the state at the
// explosion. s must not be 3 or 5 (see forbidden_index).
ModelState prepare_model(const ModelState& parameters);

// The power-law indices whose closed-form shape integrals divide by zero.
inline bool forbidden_index(double s) {
    return s == 3.0 || s == 5.0;
}

// Integrates a prepared model from its current state while t <= tmax, calling
// visit(m, written) after every step with the step's values at m.t; `written` is true for the
// steps 0, 5, 10, ... that snmodel writes to "kimenet.out".
template <class Visit> void integrate(ModelState& m, Visit&& visit) {
    int row_counter = 0;
    int faint_steps = 0;
    while (m.tmax >= m.t) {
        runge_kutta_step(m);
        visit(static_cast<const ModelState&>(m), row_counter == 0);
        if (++row_counter == settings::kRowEvery) row_counter = 0;
        advance_time(m, faint_steps);
    }
}

// One row of the light curve: the columns of "kimenet.out", with t in seconds.
struct ModelRow {
    double t = 0;    // time since the explosion, s
    double Lsn = 0;  // total luminosity, erg/s
    double logL = 0; // log10 Lsn
    double L = 0;    // diffusion luminosity, erg/s
    double Lion = 0; // recombination luminosity, erg/s
    double xi = 0;   // front radius
    double g = 0;    // relative radioactive heating
};

// The rows snmodel writes for these parameters (every fifth step up to tmax days), or, with
// every_step, the rows of all steps.
std::vector<ModelRow> model_rows(const ModelState& parameters, bool every_step = false);

// Lsn at the given times (s since the explosion, in any order, none negative): the model is run
// just past the latest of them and Lsn is interpolated linearly between the two steps around
// each time (the step is 20000 s, 40000 s late on the tail). The fit takes the fast integration,
// within 1e-6 of the exact one.
std::vector<double> luminosity_at(const ModelState& parameters, std::span<const double> times,
                                  Integration integration = Integration::fast);

// The expansion velocity v of the outer edge (cm/s) that snmodel's header prints, in closed
// form: it does not need a run.
double expansion_velocity(const ModelState& parameters);

} // namespace snmodel
