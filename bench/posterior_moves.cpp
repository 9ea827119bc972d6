// Benchmark: the sampler's moves side by side on the posterior of the example (the default free
// set and the scatter), run in a directory that holds its bol-gorbe.txt and parameters.inp
// (bench/snpost.sh prepares one): the stretch move alone, as snpost sampled at first, and the
// mixture of differential-evolution and stretch moves it samples with now, each from the same
// fit and seed, to the same stopping rule. Prints per move the steps, model runs, wall time,
// largest autocorrelation time and smallest effective sample size, and the ratios.
//
// Usage: bench-posterior-moves [seed]   (default 1)
#include "cores.hpp"
#include "inference.hpp"
#include "inputs.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace snpost;

namespace {

struct Measured {
    long runs;
    double seconds, tau, effective;
    int steps;
};

Measured measure(const Posterior& posterior, const PosteriorSettings& settings,
                 const sampler::Move& move, const char* name) {
    const Inference r = infer(posterior, settings, snphot::usable_cores(), {}, move);
    Measured m{r.sampling.evaluations, r.seconds, 0.0, 1e300, r.sampling.chain.steps()};
    for (const ParameterSummary& p : r.parameters) {
        m.tau = std::max(m.tau, p.tau);
        m.effective = std::min(m.effective, p.effective);
    }
    std::printf("%-26s %7d %10ld %8.1f %8.1f %8.0f  %s\n", name, m.steps, m.runs, m.seconds, m.tau,
                m.effective, r.sampling.converged ? "converged" : "not converged");
    std::fflush(stdout);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    snfit::FitSettings fit;
    fit.bounds[snfit::kExplosionDate] = {57834.6, 57836.6}; // as the example's snphot.toml
    fit.bound_source[snfit::kExplosionDate] = "snphot.toml";
    fit.scatter = true;
    const snfit::Problem problem = snfit::read_problem(fit);
    const Posterior posterior(problem, fit);
    PosteriorSettings settings;
    if (argc > 1) settings.seed = std::atol(argv[1]);
    std::printf("%-26s %7s %10s %8s %8s %8s\n", "move", "steps", "model runs", "wall s", "max tau",
                "min ESS");
    const Measured stretch = measure(posterior, settings, sampler::StretchMove(), "stretch");
    const Measured mixed =
        measure(posterior, settings, sampler::StandardMove(), "differential 80% + stretch");
    std::printf("ratio stretch / mixture: model runs %.2f, wall time %.2f, tau %.2f\n",
                static_cast<double>(stretch.runs) / mixed.runs, stretch.seconds / mixed.seconds,
                stretch.tau / mixed.tau);
    return 0;
}
