// Benchmark: one run of the light-curve model to 300 days, without output, as a fit makes
// hundreds to thousands of them. Usage: bench-model-run [runs] (default 200).
#include "example_explosion.hpp"
#include "light_curve.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    const snmodel::ModelState p = snmodel::example_explosion();
    double check = 0.0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) check += snmodel::model_rows(p, true).back().Lsn;
    const auto end = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(end - start).count() / runs;
    std::printf("one model run to 300 days, every step kept, no output: %.2f ms (mean of %d)\n", ms,
                runs);
    return check > 0.0 ? 0 : 1;
}
