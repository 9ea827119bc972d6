// The outputs of a fit: the report "fit.txt" (and its table on the console), the best parameters
// "parameters-fit.inp" for snmodel, the model curve "fit-model.txt" and the residuals
// "fit-residuals.txt".
#pragma once

#include "fit.hpp"
#include "light_curve.hpp"
#include "problem.hpp"

#include <cstdio>
#include <vector>

namespace snfit {

// The best fit as the outputs give it: the free values rounded to ten significant digits and
// tmax set to the end of the model curve, so that "parameters-fit.inp" holds exactly the model of
// the other outputs; with that model's magnitudes at every point and its rows at every step.
struct Outcome {
    FitResult fit;
    Values best{};
    double chi2 = 0;
    double velocity = 0;                  // of the model, km/s
    std::vector<double> model;            // magnitude at every point
    std::vector<snmodel::ModelRow> curve; // every step from the explosion to the end date
    // With an uncertain distance, the shift of the distance modulus the best fit takes (mag): the
    // model magnitudes of "fit-model.txt" and "fit-residuals.txt" are shown shifted by it, as
    // the fit compares them with the data.
    double distance_offset = 0;
};

Outcome outcome_of(const Problem& problem, const FitResult& fit);

// The parameter table, chi^2, degrees of freedom and convergence: the console's final table and
// the body of "fit.txt".
void write_table(std::FILE* out, const Problem& problem, const Outcome& outcome);
void write_report(std::FILE* out, const Problem& problem, const Outcome& outcome, int threads);
void write_parameters(std::FILE* out, const Outcome& outcome);
void write_model_curve(std::FILE* out, const Outcome& outcome);
void write_residuals(std::FILE* out, const Problem& problem, const Outcome& outcome);

} // namespace snfit
