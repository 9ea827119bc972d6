#include "synthetic.hpp"

#include "problem.hpp"

#include <cmath>
#include <random>

namespace snfit {

std::vector<double> campaign_dates(double explosion, double first, double days,
                                   std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> dates;
    for (double date = first; date < explosion + days;) {
        dates.push_back(date);
        const double age = date - explosion;
        date += age < 30.0    ? 1.0 + 1.5 * uniform(random)
                : age < 150.0 ? 2.0 + 4.0 * uniform(random)
                              : 4.0 + 6.0 * uniform(random);
    }
    return dates;
}

std::vector<Point> synthetic_points(const Values& truth, const std::vector<double>& dates,
                                    double error, double scatter, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> gauss(0.0, std::hypot(error, scatter));
    const std::vector<double> mags = model_magnitudes(truth, dates);
    std::vector<Point> points;
    for (std::size_t i = 0; i < dates.size(); ++i)
        points.push_back({dates[i], mags[i] + gauss(random), error, static_cast<long>(i + 1)});
    return points;
}

RandomExplosion random_explosion(int set) {
    RandomExplosion e;
    e.random.seed(1000 + set);
    std::mt19937_64& random = e.random;
    std::uniform_real_distribution<double> u(0.0, 1.0);
    snmodel::ModelState& p = e.parameters;
    p.R0 = 2e13 * std::pow(3.0, u(random));
    p.M = 8.0 + 12.0 * u(random);
    p.Tion = 5500.0;
    p.Mni = 0.03 + 0.07 * u(random);
    p.Ek = 0.7 + 1.3 * u(random);
    p.E = 0.5;
    p.s = 2.0;
    p.kappa = 0.3;
    p.Ag = 30000.0;
    p.tmax = 300.0;
    e.explosion = 57830.0 + u(random);
    e.first = e.explosion + 1.0 + 3.0 * u(random);
    e.non_detection = e.explosion - 8.0 * u(random) - 0.01;
    e.truth = values_of(p, e.explosion);
    return e;
}

snmodel::ModelState benchmark_start(const snmodel::ModelState& truth) {
    snmodel::ModelState start = truth;
    start.R0 = 4e13;
    start.M = 12.0;
    start.Ek = 1.2;
    start.Mni = 0.06;
    return start;
}

} // namespace snfit
