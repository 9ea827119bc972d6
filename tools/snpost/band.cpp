#include "band.hpp"

#include "posterior_settings.hpp"
#include "summary.hpp"

#include <algorithm>
#include <cmath>

namespace snpost {

Band posterior_band(const Posterior& posterior, const std::vector<sampler::Sample>& samples,
                    const snfit::Values& best, int threads) {
    Band band;
    const snfit::Problem& problem = posterior.problem();
    if (samples.empty() || problem.points.empty()) return band;
    const std::size_t count = std::min<std::size_t>(settings::kBandSamples, samples.size());
    std::vector<snfit::Values> models;
    std::vector<double> offsets; // of the distance modulus, per model
    double start = best[snfit::kExplosionDate], last = problem.points.front().date;
    for (std::size_t m = 0; m < count; ++m) {
        const std::size_t at = count == 1 ? 0 : m * (samples.size() - 1) / (count - 1);
        models.push_back(posterior.values_of(samples[at].position));
        offsets.push_back(posterior.distance_offset_of(samples[at].position));
        start = std::max(start, models.back()[snfit::kExplosionDate]);
    }
    for (const snfit::Point& p : problem.points) last = std::max(last, p.date);
    start = std::ceil(start / settings::kBandStep) * settings::kBandStep;
    for (double date = start; date <= last + settings::kBandPastData; date += settings::kBandStep)
        band.dates.push_back(date);

    std::vector<std::vector<double>> magnitudes(models.size());
    sampler::side_by_side(static_cast<int>(models.size()), threads, [&](int m) {
        magnitudes[m] = snfit::model_magnitudes(models[m], band.dates);
        for (double& magnitude : magnitudes[m]) magnitude += offsets[m];
    });
    band.best = snfit::model_magnitudes(best, band.dates);
    const double best_offset = snfit::distance_offset_at(problem, best);
    for (double& magnitude : band.best) magnitude += best_offset;
    band.model_runs = static_cast<long>(models.size()) + 1;
    for (std::size_t t = 0; t < band.dates.size(); ++t) {
        std::vector<double> at;
        for (const auto& m : magnitudes)
            if (std::isfinite(m[t])) at.push_back(m[t]);
        const sampler::Summary s = sampler::summarize(at);
        band.median.push_back(s.median);
        band.low68.push_back(s.low68);
        band.high68.push_back(s.high68);
        band.low95.push_back(s.low95);
        band.high95.push_back(s.high95);
    }
    return band;
}

} // namespace snpost
