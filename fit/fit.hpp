// The fit: bounded weighted least squares of the model light curve to the bolometric light curve,
// with Ceres Solver's Levenberg-Marquardt method.
//
// The free parameters are explored in coordinates u in [0, 1]: ln x scaled to its bounds for a
// positive parameter (the light curve follows powers of mass, energy and radius), x scaled to its
// bounds for the others. A global stage runs a short descent from the start values and from
// points spread evenly over the bounds (a Halton sequence), side by side on every thread; the
// best of them is then refined to convergence, and the covariance is taken from the Jacobian at
// the optimum. The starts and their order do not depend on the threads, nor does the result.
#pragma once

#include "problem.hpp"

#include <functional>
#include <string>
#include <vector>

namespace snfit {

struct FitOptions {
    int threads = 1;
    int starts = 0; // global stage; 0: 4 + 2 per free parameter
    // One line per stage, for the console.
    std::function<void(const std::string&)> progress = [](const std::string&) {};
};

struct FitResult {
    Values best{};   // the fixed values untouched
    double chi2 = 0; // at `best`
    long model_runs = 0;
    int starts = 0;
    int iterations = 0; // of the refinement
    bool converged = false;
    bool covariance = false;   // false when the Jacobian at the optimum is singular
    std::vector<double> error; // 1 sigma per free parameter, in the units of the file
    std::vector<std::vector<double>> correlation;
    std::vector<bool> at_bound; // per free parameter
};

FitResult fit(const Problem& problem, const FitOptions& options);

// The starts of the global stage in the coordinates u: the start values first, then a Halton
// sequence over the inner 90% of the bounds.
std::vector<std::vector<double>> global_starts(const Problem& problem, int count);

} // namespace snfit
