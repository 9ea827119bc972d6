// snpost: the posterior of the explosion parameters given the bolometric light curve.
//
// Reads what snfit reads ("bol-gorbe.txt", "parameters.inp", the [fit] table of "snphot.toml")
// and the [posterior] table; runs the same least-squares fit, then samples the posterior around
// its optimum with an ensemble sampler on every core granted, and only then writes
// "posterior.txt", "posterior-samples.txt" and "posterior-band.txt". A chain that reaches
// max_model_runs before it holds enough independent samples is written all the same with
// "converged: no", and the run ends with status 3.
#include "bolometric_settings.hpp"
#include "cli.hpp"
#include "cores.hpp"
#include "file.hpp"
#include "inputs.hpp"
#include "report.hpp"

#include <unistd.h>

#include <cstdio>

namespace {

using namespace snphot;
using namespace snpost;

constexpr const char* kHelp =
    "snpost: samples the posterior of the light-curve model's parameters given the bolometric\n"
    "light curve, around the fit of snfit.\n"
    "Reads   bol-gorbe.txt, parameters.inp and the [fit] table of snphot.toml as snfit does\n"
    "        (scatter in free adds a white-noise term; priors adds Gaussian priors), its\n"
    "        [bolometric] distance_pc_sigma (an uncertain distance: the shift of the distance\n"
    "        modulus is sampled as distance_modulus), and the [posterior] table (walkers,\n"
    "        seed, max_model_runs, effective_samples)\n"
    "Writes  posterior.txt (the report), posterior-samples.txt (the thinned samples),\n"
    "        posterior-band.txt (median, 68% and 95% band of the model light curve)\n"
    "Prints  one line per stage of the fit and the table of the posterior; progress on\n"
    "        standard error when it is a terminal.\n"
    "Uses    every core it may run on (see taskset). Does not wait for a key.\n";

constexpr const char* kMoreStatuses =
    "  3  max_model_runs was reached before convergence: the outputs are written all the same\n";

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A line on standard error every few seconds, at a terminal only.
Reporters reporters() {
    Reporters r;
    r.fit_stage = say;
    if (!isatty(STDERR_FILENO)) return r;
    r.sampler = [last = -1e9](const sampler::Progress& p, double seconds) mutable {
        if (seconds - last < settings::kProgressEvery) return;
        last = seconds;
        const double left =
            p.steps > 0 ? std::max(0.0, (p.needed_steps - p.steps) * seconds / p.steps) : 0.0;
        std::fprintf(stderr,
                     "snpost: step %d, tau %.1f steps, acceptance %.2f, about %.0f s left\n",
                     p.steps, p.tau, p.acceptance, left);
    };
    return r;
}

void write_outputs(const Posterior& posterior, const Inference& inference,
                   const PosteriorSettings& settings) {
    File report = open_output(kReport);
    File samples = open_output(kSamples);
    File band = open_output(kBand);
    write_report(report.get(), posterior, inference, settings);
    write_samples(samples.get(), posterior, inference);
    write_band(band.get(), inference.band);
    close_written(report);
    close_written(samples);
    close_written(band);
}

int run(snfit::FitSettings fit_settings, const BolometricSettings& bolometric,
        const PosteriorSettings& settings) {
    fit_settings.distance_modulus_sigma = bolometric.distance_modulus_sigma();
    // Every input is read and checked before the fit starts and before any output is touched.
    const snfit::Problem problem = snfit::read_problem(fit_settings);
    const Posterior posterior(problem, fit_settings);
    const int threads = usable_cores();
    std::printf("snpost: %zu points in %s, %d in the fit; %d parameter%s sampled\n",
                problem.points.size(), snfit::kBolometricCurve, problem.fitted,
                posterior.dimensions(), posterior.dimensions() == 1 ? "" : "s");
    std::fflush(stdout);

    const Inference inference = infer(posterior, settings, threads, reporters());
    write_outputs(posterior, inference, settings);

    std::printf("\n");
    write_table(stdout, posterior, inference);
    if (!inference.sampling.converged) {
        warn(kReport, "max_model_runs reached before the chain held enough independent "
                      "samples; the outputs hold the chain so far");
        return 3;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    snfit::FitSettings fit_settings;
    BolometricSettings bolometric;
    PosteriorSettings settings;
    return snphot::run_program(
        argc, argv,
        {"snpost",
         kHelp,
         {snfit::fit_table(fit_settings), bolometric_table(bolometric), posterior_table(settings)},
         kMoreStatuses},
        [&] { return run(fit_settings, bolometric, settings); });
}
