// Benchmark: one run of the light-curve model to 300 days, without output, as a fit makes
// hundreds to thousands of them. Usage: bench-model-run [runs] (default 200).
#include "light_curve.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    // The explosion of the example campaign (examples/campaign/parameters.inp).
    snmodel::ModelState p;
    p.R0 = 3e13;
    p.M = 10.0;
    p.Tion = 5500.0;
    p.Mni = 0.05;
    p.Ek = 1.0;
    p.E = 0.5;
    p.s = 2.0;
    p.kappa = 0.3;
    p.Ag = 30000.0;
    p.tmax = 300.0;
    double check = 0.0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) check += snmodel::model_rows(p, true).back().Lsn;
    const auto end = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(end - start).count() / runs;
    std::printf("one model run to 300 days, every step kept, no output: %.2f ms (mean of %d)\n", ms,
                runs);
    return check > 0.0 ? 0 : 1;
}
