// Benchmark: how honest the errors of the fit are. Fits synthetic bolometric light curves of
// random explosions (seeded noise, a follow-up campaign to day 250, the explosion date bounded by
// a non-detection up to 8 days before it and the first detection 1 to 4 days after) and counts,
// per parameter, the fits whose 1 sigma interval holds the truth: about 68% is honest. A
// parameter on a bound has no symmetric interval: those fits are counted apart. Once without and
// once with a 5% velocity constraint.
//
// Usage: bench-fit-coverage [data sets] (default 50)
#include "fit.hpp"
#include "synthetic.hpp"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

using namespace snfit;

namespace {

struct Tally {
    std::array<int, kAllParameters> within1{}, within2{}, within3{}, at_bound{};
    int fits = 0, converged = 0, nickel_within_15 = 0;
    double reduced_chi2 = 0.0;
    long runs = 0;
};

void fit_one(int set, bool velocity, Tally& tally) {
    RandomExplosion drawn = random_explosion(set);
    std::mt19937_64& random = drawn.random;
    const snmodel::ModelState& p = drawn.parameters;
    const double explosion = drawn.explosion, first = drawn.first;
    const double non_detection = drawn.non_detection;
    const Values& truth = drawn.truth;
    const auto points = synthetic_points(truth, campaign_dates(explosion, first, 250.0, 2000 + set),
                                         0.03, 0.05, 3000 + set);

    FitSettings settings;
    settings.bounds[kExplosionDate] = {non_detection, first};
    settings.bound_source[kExplosionDate] = "snphot.toml";
    if (velocity) {
        std::normal_distribution<double> gauss;
        const double v = model_velocity(truth);
        settings.velocity = Velocity{v * (1.0 + 0.05 * gauss(random)), 0.05 * v};
    }
    const Problem problem = make_problem(benchmark_start(p), "parameters.inp", points, settings);
    FitOptions options;
    options.threads = std::max(1u, std::thread::hardware_concurrency());
    const FitResult r = fit(problem, options);

    ++tally.fits;
    tally.converged += r.converged;
    tally.runs += r.model_runs;
    tally.reduced_chi2 += r.chi2 / problem.degrees_of_freedom();
    tally.nickel_within_15 += std::fabs(r.best[kMni] / truth[kMni] - 1.0) <= 0.15;
    for (std::size_t j = 0; j < problem.free.size(); ++j) {
        const int i = problem.free[j].index;
        if (r.at_bound[j]) { // no symmetric interval: counted apart
            ++tally.at_bound[i];
            continue;
        }
        const double pull = std::fabs(r.best[i] - truth[i]) / r.error[j];
        tally.within1[i] += pull <= 1.0;
        tally.within2[i] += pull <= 2.0;
        tally.within3[i] += pull <= 3.0;
    }
}

void report(const char* title, const Tally& t, double seconds) {
    std::printf("%s: %d fits, %d converged, mean reduced chi2 %.2f, %.0f model runs and %.1f s "
                "per fit\n",
                title, t.fits, t.converged, t.reduced_chi2 / t.fits,
                static_cast<double>(t.runs) / t.fits, seconds / t.fits);
    // Of the fits where the parameter is not on a bound (those have no symmetric interval).
    std::printf("  %-16s %8s %8s %8s %10s\n", "parameter", "1 sigma", "2 sigma", "3 sigma",
                "at a bound");
    for (int i : {kExplosionDate, kR0, kM, kEk, kMni}) {
        const double inside = std::max(1, t.fits - t.at_bound[i]);
        std::printf("  %-16s %7.0f%% %7.0f%% %7.0f%% %9.0f%%\n", parameter_info(i).name,
                    100.0 * t.within1[i] / inside, 100.0 * t.within2[i] / inside,
                    100.0 * t.within3[i] / inside, 100.0 * t.at_bound[i] / t.fits);
    }
    std::printf("  nickel mass within 15%% of the truth: %.0f%%\n",
                100.0 * t.nickel_within_15 / t.fits);
}

} // namespace

int main(int argc, char** argv) {
    const int sets = argc > 1 ? std::atoi(argv[1]) : 50;
    std::printf("Fraction of fits whose interval holds the truth, %d synthetic data sets\n\n",
                sets);
    for (bool velocity : {false, true}) {
        Tally tally;
        const auto start = std::chrono::steady_clock::now();
        for (int set = 0; set < sets; ++set) {
            fit_one(set, velocity, tally);
            std::fprintf(stderr, "\r%s velocity: %d/%d", velocity ? "with" : "without", set + 1,
                         sets);
        }
        std::fprintf(stderr, "\n");
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        report(velocity ? "with the velocity constraint (5%)" : "without the velocity constraint",
               tally, seconds);
        std::printf("\n");
    }
    return 0;
}
