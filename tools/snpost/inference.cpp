#include "inference.hpp"

#include "cli.hpp"
#include "settings_file.hpp"

#include <chrono>
#include <cmath>

namespace snpost {

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void check_walkers(const Posterior& posterior, const PosteriorSettings& settings) {
    const long needed = 2L * posterior.dimensions() + 2;
    if (settings.walkers % 2 != 0 || settings.walkers < needed)
        throw snphot::RunFailure(snphot::kSettingsFile,
                                 "[posterior] walkers = " + std::to_string(settings.walkers) +
                                     ": the sampler needs an even number, at least 2 per "
                                     "sampled parameter + 2 = " +
                                     std::to_string(needed));
}

std::vector<std::vector<double>> correlation_of(const Posterior& posterior,
                                                const std::vector<sampler::Sample>& samples) {
    const int d = posterior.dimensions();
    const double n = static_cast<double>(samples.size());
    std::vector<std::vector<double>> x(d);
    std::vector<double> mean(d, 0.0);
    for (int i = 0; i < d; ++i)
        for (const sampler::Sample& s : samples) {
            x[i].push_back(posterior.value(i, s.position));
            mean[i] += x[i].back() / n;
        }
    std::vector<std::vector<double>> c(d, std::vector<double>(d, 0.0));
    for (int i = 0; i < d; ++i)
        for (int j = 0; j < d; ++j)
            for (std::size_t s = 0; s < samples.size(); ++s)
                c[i][j] += (x[i][s] - mean[i]) * (x[j][s] - mean[j]);
    std::vector<std::vector<double>> r(d, std::vector<double>(d, NAN));
    for (int i = 0; i < d; ++i)
        for (int j = 0; j < d; ++j) r[i][j] = c[i][j] / std::sqrt(c[i][i] * c[j][j]);
    return r;
}

sampler::Sample highest_of(const sampler::Sampling& sampling) {
    const sampler::Chain& chain = sampling.chain;
    int best_t = sampling.burn_in, best_k = 0;
    for (int t = sampling.burn_in; t < chain.steps(); ++t)
        for (int k = 0; k < chain.walkers(); ++k)
            if (chain.evaluation(t, k).log_posterior >
                chain.evaluation(best_t, best_k).log_posterior) {
                best_t = t;
                best_k = k;
            }
    sampler::Sample s;
    for (int i = 0; i < chain.dimensions(); ++i)
        s.position.push_back(chain.value(best_t, best_k, i));
    s.evaluation = chain.evaluation(best_t, best_k);
    return s;
}

} // namespace

Inference infer(const Posterior& posterior, const PosteriorSettings& settings, int threads,
                const Reporters& report, const sampler::Move& move) {
    check_walkers(posterior, settings);
    const Clock::time_point start = Clock::now();
    Inference result;
    result.threads = threads;

    snfit::FitOptions fit_options;
    fit_options.threads = threads;
    fit_options.progress = report.fit_stage;
    result.fit = snfit::fit(posterior.problem(), fit_options);

    sampler::Options options;
    options.walkers = static_cast<int>(settings.walkers);
    options.seed = static_cast<std::uint64_t>(settings.seed);
    options.max_evaluations = settings.max_model_runs;
    options.effective_samples = settings.effective_samples;
    options.autocorrelation_lengths = settings::kAutocorrelationLengths;
    options.threads = threads;
    options.start_attempts = settings::kStartAttempts;
    options.progress = [&](const sampler::Progress& p) { report.sampler(p, seconds_since(start)); };
    const sampler::Target target = [&](std::span<const double> u) { return posterior(u); };
    result.sampling = sampler::sample(target, start_ball(posterior, result.fit),
                                      posterior.dimensions(), move, options);
    if (result.sampling.refused_starts > 0)
        throw snphot::RunFailure(snfit::kBolometricCurve,
                                 "the sampler cannot leave its start: " +
                                     std::to_string(result.sampling.refused_starts) + " of the " +
                                     std::to_string(settings.walkers) +
                                     " walkers found no position of finite "
                                     "posterior around the best fit in " +
                                     std::to_string(settings::kStartAttempts) + " draws");
    if (result.sampling.chain.steps() < 2)
        throw snphot::RunFailure(
            snphot::kSettingsFile,
            "[posterior] max_model_runs = " + std::to_string(settings.max_model_runs) +
                " leaves the sampler no step to take");

    result.samples = result.sampling.samples();
    for (int i = 0; i < posterior.dimensions(); ++i) {
        std::vector<double> values;
        for (const sampler::Sample& s : result.samples)
            values.push_back(posterior.value(i, s.position));
        result.parameters.push_back({sampler::summarize(values), 0.0, result.sampling.tau[i],
                                     result.sampling.effective_samples(i)});
    }
    result.highest = highest_of(result.sampling);
    for (int i = 0; i < posterior.dimensions(); ++i)
        result.parameters[i].highest = posterior.value(i, result.highest.position);
    result.correlation = correlation_of(posterior, result.samples);
    result.band = posterior_band(posterior, result.samples, result.fit.best, threads);
    result.seconds = seconds_since(start);
    return result;
}

} // namespace snpost
