// Benchmark: runs of the light-curve model without output, as a fit makes thousands of them, by
// the integration as it was (the reference copy) and by the model library, side by side in one
// run, in ms per run and as a ratio. Two calls:
//   every step to 300 days: model_rows(p, true), as snfit's report asks once;
//   the fit's call: Lsn at 60 dates up to 300 days, luminosity_at, as every evaluation of the fit
//   asks (the reference runs its rows to the same end, one long step past the last date).
// Usage: bench-model-run [runs] (default 40 per batch, the best of five batches).
#include "example_explosion.hpp"
#include "light_curve.hpp"
#include "reference_model.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace snmodel;

// Milliseconds per call of `run`: the least mean over `rounds` batches of `runs` calls, so that a
// busy machine disturbs the reference and the library alike; `check` keeps the work from being
// optimised away.
template <class Run> double ms_per_run(int runs, double& check, Run run) {
    double best = 0.0;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < runs; ++i) check += run();
        const auto end = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(end - start).count() / runs;
        if (round == 0 || ms < best) best = ms;
    }
    return best;
}

void report(const char* what, double reference, double library) {
    std::printf("%-34s reference %7.3f ms   library %7.3f ms   ratio %6.1f\n", what, reference,
                library, reference / library);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 40;
    const ModelState p = example_explosion(300.0);
    std::vector<double> dates;
    for (int i = 1; i <= 60; ++i) dates.push_back(i * 5.0 * settings::kDay);
    ModelState to_last_date = p;
    to_last_date.tmax = (dates.back() + settings::kLongStep) / settings::kDay;

    double check = 0.0;
    const double ref_rows = ms_per_run(runs, check, [&] { return reference::model_rows(p).back().Lsn; });
    const double lib_rows = ms_per_run(runs, check, [&] { return model_rows(p, true).back().Lsn; });
    const double ref_fit =
        ms_per_run(runs, check, [&] { return reference::model_rows(to_last_date).back().Lsn; });
    const double lib_fit = ms_per_run(runs, check, [&] { return luminosity_at(p, dates).back(); });

    std::printf("one model run of the example explosion, no output (best mean of 5 x %d runs):\n",
                runs);
    report("every step to 300 days", ref_rows, lib_rows);
    report("the fit's call, 60 dates to 300 d", ref_fit, lib_fit);
    return check > 0.0 ? 0 : 1;
}
