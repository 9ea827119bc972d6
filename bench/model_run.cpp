// Benchmark: runs of the light-curve model without output, as a fit makes thousands of them, by
// the integration as it was (the reference copy) and by the model library, side by side in one
// run, in ms per run and as a ratio. Three calls:
//   every step to 300 days: model_rows(p, true), in the exact integration (snmodel's numbers,
//   snfit's report) and in the fast one;
//   the fit's call: Lsn at 60 dates up to 300 days, luminosity_at (fast), as every evaluation of
//   the fit asks (the reference runs its rows to the same end, one long step past the last date).
// Usage: bench-model-run [runs] (default 40 per batch, the best of five batches).
#include "example_explosion.hpp"
#include "light_curve.hpp"
#include "reference_model.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

namespace {

using namespace snmodel;

// The processor time of this thread, ms: unlike the wall clock it does not count the time the
// thread waits for a core on a busy machine.
double cpu_ms() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

// Milliseconds per call of `run`: the least mean over five batches of `runs` calls; `check`
// keeps the work from being optimised away.
template <class Run> double ms_per_batch(int runs, double& check, Run run) {
    const double start = cpu_ms();
    for (int i = 0; i < runs; ++i) check += run();
    return (cpu_ms() - start) / runs;
}

// The reference and the library by turns, batch after batch, so that the state of the machine
// weighs on both alike; the least time of each.
template <class Reference, class Library>
std::pair<double, double> side_by_side(int runs, double& check, Reference reference,
                                       Library library) {
    double best_reference = 1e300, best_library = 1e300;
    for (int round = 0; round < 5; ++round) {
        best_reference = std::min(best_reference, ms_per_batch(runs, check, reference));
        best_library = std::min(best_library, ms_per_batch(runs, check, library));
    }
    return {best_reference, best_library};
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

    ModelState fast = p;
    fast.integration = Integration::fast;

    double check = 0.0;
    const auto [ref_rows, exact_rows] =
        side_by_side(runs, check, [&] { return reference::model_rows(p).back().Lsn; },
                     [&] { return model_rows(p, true).back().Lsn; });
    const auto [ref_rows_again, fast_rows] =
        side_by_side(runs, check, [&] { return reference::model_rows(p).back().Lsn; },
                     [&] { return model_rows(fast, true).back().Lsn; });
    const auto [ref_fit, fast_fit] = side_by_side(
        runs, check, [&] { return reference::model_rows(to_last_date).back().Lsn; },
        [&] { return luminosity_at(p, dates).back(); });

    std::printf("one model run of the example explosion, no output, processor time per run\n"
                "(the least mean of 5 batches of %d runs, reference and library by turns):\n",
                runs);
    report("every step to 300 d, exact", ref_rows, exact_rows);
    report("every step to 300 d, fast", ref_rows_again, fast_rows);
    report("the fit's call: 60 dates to 300 d", ref_fit, fast_fit);
    return check > 0.0 ? 0 : 1;
}
