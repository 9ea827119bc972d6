// snfit: fits the semi-analytic light curve of snmodel to the bolometric light curve of bolcurve.
//
// Reads "bol-gorbe.txt" (the data), "parameters.inp" (the start values and the fixed values) and
// the [fit] table of "snphot.toml" (what is free, bounds, dates, systematic error, velocity),
// checks them against each other, fits with a global stage of many starts side by side on every
// core and a local refinement, and only then writes "fit.txt", "parameters-fit.inp",
// "fit-model.txt" and "fit-residuals.txt". A fit that does not converge writes them all the same,
// says so, and ends with status 3.
#include "bolometric_curve.hpp"
#include "bolometric_settings.hpp"
#include "cli.hpp"
#include "cores.hpp"
#include "file.hpp"
#include "fit.hpp"
#include "inputs.hpp"
#include "parameters.hpp"
#include "problem.hpp"
#include "report.hpp"
#include "fit_constants.hpp"

#include <cstdio>
#include <thread>

namespace {

using namespace snphot;
using namespace snfit;
using namespace snfit::settings;

constexpr const char* kHelp =
    "snfit: fits the light-curve model of snmodel to the bolometric light curve.\n"
    "Reads   bol-gorbe.txt (JD-2400000, absolute bolometric magnitude, uncertainty),\n"
    "        parameters.inp (start values and fixed values, as snmodel reads it) and the\n"
    "        [fit] table of snphot.toml (free parameters, bounds, dates, systematic, velocity)\n"
    "        and its [bolometric] distance_pc_sigma (an uncertain distance: the distance\n"
    "        modulus is fitted as a nuisance parameter within it)\n"
    "Writes  fit.txt (the report), parameters-fit.inp (the best model for snmodel),\n"
    "        fit-model.txt (the best model curve), fit-residuals.txt (per data point)\n"
    "Prints  one line per stage of the fit and the table of the best parameters.\n"
    "Refuses a data point more than 3000 days after the latest explosion date of the fit\n"
    "        (a full JD where JD-2400000 is due), which would make every model run hours long.\n"
    "Uses    every core it may run on (see taskset). Does not wait for a key.\n";

constexpr const char* kMoreStatuses =
    "  3  the fit did not converge: the outputs are written all the same, with its last values\n";

void write_outputs(const Problem& problem, const Outcome& outcome, int threads) {
    File report = open_output(kReport);
    File parameters = open_output(kFittedParameters);
    File curve = open_output(kModelCurve);
    File residuals = open_output(kResiduals);
    write_report(report.get(), problem, outcome, threads);
    write_parameters(parameters.get(), outcome);
    write_model_curve(curve.get(), outcome);
    write_residuals(residuals.get(), problem, outcome);
    close_written(report);
    close_written(parameters);
    close_written(curve);
    close_written(residuals);
}

int run(FitSettings settings, const snphot::BolometricSettings& bolometric) {
    settings.distance_modulus_sigma = bolometric.distance_modulus_sigma();
    // Every input is read and checked before the fit starts and before any output is touched.
    const Problem problem = read_problem(settings);
    const int threads = usable_cores();
    std::printf("snfit: %zu points in %s, %d in the fit; %zu free parameters\n",
                problem.points.size(), kBolometricCurve, problem.fitted, problem.free.size());
    std::fflush(stdout);

    FitOptions options;
    options.threads = threads;
    options.progress = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    const Outcome outcome = outcome_of(problem, fit(problem, options));
    write_outputs(problem, outcome, threads);

    std::printf("\n");
    write_table(stdout, problem, outcome);
    if (outcome.fit.converged && !outcome.fit.covariance)
        warn(kReport, "the errors are undetermined: the Jacobian at the best fit is singular "
                      "(a free parameter that the data do not touch?)");
    if (!outcome.fit.converged) {
        warn(kReport, "the fit did not converge; the outputs hold its last values");
        return 3;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    FitSettings settings;
    snphot::BolometricSettings bolometric;
    return snphot::run_program(
        argc, argv,
        {"snfit", kHelp, {fit_table(settings), snphot::bolometric_table(bolometric)},
         kMoreStatuses},
        [&] { return run(settings, bolometric); });
}
