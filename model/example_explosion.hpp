// The explosion of the example campaign (examples/campaign/parameters.inp), in the units of the
// parameter file: the typical hydrogen-rich explosion that the tests and benchmarks of the model
// and of the fit start from.
#pragma once

#include "model.hpp"

namespace snmodel {

inline ModelState example_explosion(double tmax_days = 300.0) {
    ModelState p;
    p.R0 = 3e13;     // cm
    p.M = 10.0;      // M_sol
    p.Tion = 5500.0; // K
    p.Mni = 0.05;    // M_sol
    p.Ek = 1.0;      // 1e51 erg
    p.E = 0.5;       // 1e51 erg
    p.s = 2.0;
    p.kappa = 0.3;  // cm^2/g
    p.Ag = 30000.0; // d^2
    p.tmax = tmax_days;
    return p;
}

} // namespace snmodel
