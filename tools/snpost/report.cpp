#include "report.hpp"

#include "posterior_settings.hpp"

#include <cmath>

namespace snpost {

namespace {

void interval(std::FILE* out, double low, double high) {
    char text[64];
    std::snprintf(text, sizeof text, "[%.6g, %.6g]", low, high);
    std::fprintf(out, " %-27s", text);
}

bool at_bound(const Posterior& posterior, int i, double value) {
    const double u = posterior.coordinate(i, value);
    return u <= 1e-3 || u >= 1.0 - 1e-3;
}

} // namespace

void write_table(std::FILE* out, const Posterior& posterior, const Inference& inference) {
    std::fprintf(out, "%-16s %-13s %-27s %-27s %-13s %8s %8s  %s\n", "parameter", "median",
                 "68% interval", "95% interval", "highest post.", "tau", "ESS", "unit");
    for (int i = 0; i < posterior.dimensions(); ++i) {
        const ParameterSummary& p = inference.parameters[i];
        std::fprintf(out, "%-16s %-13.7g", posterior.name(i).c_str(), p.summary.median);
        interval(out, p.summary.low68, p.summary.high68);
        interval(out, p.summary.low95, p.summary.high95);
        std::fprintf(out, " %-13.7g %8.1f %8.0f  %s%s\n", p.highest, p.tau, p.effective,
                     posterior.unit(i).c_str(),
                     at_bound(posterior, i, p.summary.low95) ||
                             at_bound(posterior, i, p.summary.high95)
                         ? "  (a bound cuts it)"
                         : "");
    }
    const sampler::Sampling& s = inference.sampling;
    std::fprintf(out, "\nacceptance fraction: %.3f\n", s.acceptance);
    std::fprintf(out, "model runs: %ld (the fit %ld, the sampler %ld, the band %ld)\n",
                 inference.model_runs(), inference.fit.model_runs, s.evaluations,
                 inference.band.model_runs);
    std::fprintf(out, "wall time: %.1f s on %d thread%s\n", inference.seconds, inference.threads,
                 inference.threads == 1 ? "" : "s");
    std::fprintf(out, "converged: %s\n", s.converged ? "yes" : "no");
}

void write_report(std::FILE* out, const Posterior& posterior, const Inference& inference,
                  const PosteriorSettings& settings) {
    const snfit::Problem& problem = posterior.problem();
    const sampler::Sampling& s = inference.sampling;
    std::fprintf(out, "snpost: the posterior of the light-curve model given %s\n\n",
                 snfit::kBolometricCurve);
    std::fprintf(out, "data: %zu points, %d in the fit\n", problem.points.size(), problem.fitted);
    std::fprintf(out,
                 "likelihood: Gaussian, variance sigma^2 (file, %g mag systematic in "
                 "quadrature)%s\n",
                 problem.systematic, posterior.scatter_free() ? " + scatter^2" : "");
    if (posterior.distance_free())
        std::fprintf(out,
                     "distance: uncertain by %.4f mag in distance modulus ([bolometric] "
                     "distance_pc_sigma); its shift, which every model magnitude takes, is "
                     "sampled as %s\n",
                     problem.distance_modulus_sigma, settings::kDistanceName);
    if (problem.velocity)
        std::fprintf(out, "velocity constraint: %g +- %g km/s\n", problem.velocity->value,
                     problem.velocity->sigma);
    std::fprintf(out, "best fit: chi2 %.4f, %s (the start of the walkers)\n", inference.fit.chi2,
                 inference.fit.converged ? "converged" : "not converged");
    std::fprintf(out,
                 "sampler: %ld walkers, differential-evolution (%g%%) and stretch moves, seed "
                 "%ld, on %d thread%s\n",
                 settings.walkers, 100.0 * sampler::kDifferentialShare, settings.seed,
                 inference.threads, inference.threads == 1 ? "" : "s");
    std::fprintf(out, "chain: %d steps, burn-in %d, thinned by %d: %zu samples in %s\n",
                 s.chain.steps(), s.burn_in, s.thin, inference.samples.size(), kSamples);
    std::fprintf(out,
                 "stops when: every tau <= chain after burn-in / %g and ESS >= %g, or at "
                 "%ld model runs of the sampler\n\n",
                 settings::kAutocorrelationLengths, settings.effective_samples,
                 settings.max_model_runs);

    write_table(out, posterior, inference);

    std::fprintf(out, "\nmedian and central intervals of the thinned samples; highest post.: the "
                      "sample of highest\nposterior in the chain after burn-in; tau: integrated "
                      "autocorrelation time in steps; ESS:\nindependent samples "
                      "(walkers x steps after burn-in / tau)\n");
    std::fprintf(out, "\ncorrelation matrix of the samples (columns in the order of the rows):\n");
    for (int i = 0; i < posterior.dimensions(); ++i) {
        std::fprintf(out, "%-16s", posterior.name(i).c_str());
        for (int j = 0; j < posterior.dimensions(); ++j)
            std::fprintf(out, " %7.4f", inference.correlation[i][j]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "\npriors (the coordinates the fit explores, within the bounds):\n");
    const std::vector<std::string> priors = posterior.prior_lines();
    for (int i = 0; i < posterior.dimensions(); ++i)
        std::fprintf(out, "%-16s %s %s\n", posterior.name(i).c_str(), priors[i].c_str(),
                     posterior.unit(i).c_str());
}

void write_samples(std::FILE* out, const Posterior& posterior, const Inference& inference) {
    std::fprintf(out, "#");
    for (int i = 0; i < posterior.dimensions(); ++i)
        std::fprintf(out, " %s", posterior.name(i).c_str());
    std::fprintf(out, " log_likelihood log_posterior\n");
    for (const sampler::Sample& s : inference.samples) {
        for (int i = 0; i < posterior.dimensions(); ++i)
            std::fprintf(out, "%s%.10g", i ? " " : "", posterior.value(i, s.position));
        std::fprintf(out, " %.6f %.6f\n", s.evaluation.log_likelihood, s.evaluation.log_posterior);
    }
}

void write_band(std::FILE* out, const Band& band) {
    std::fprintf(out, "# JD-2400000 median low68 high68 low95 high95 best_fit (M_bol)\n");
    for (std::size_t t = 0; t < band.dates.size(); ++t)
        std::fprintf(out, "%.6f %.6f %.6f %.6f %.6f %.6f %.6f\n", band.dates[t], band.median[t],
                     band.low68[t], band.high68[t], band.low95[t], band.high95[t], band.best[t]);
}

} // namespace snpost
