// The autocorrelation time against series whose tau is known in closed form.
#include "autocorrelation.hpp"
#include "ensemble.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace sampler;

// Walkers' AR(1) series x_t = phi x_{t-1} + e_t, started in their stationary distribution:
// rho(t) = phi^t, tau = (1 + phi) / (1 - phi).
std::vector<std::vector<double>> ar1(double phi, int walkers, int steps, std::uint64_t seed) {
    std::vector<std::vector<double>> series;
    for (int k = 0; k < walkers; ++k) {
        Stream stream = walker_stream(seed, k);
        double x = standard_normal(stream) / std::sqrt(1.0 - phi * phi);
        std::vector<double> s;
        for (int t = 0; t < steps; ++t) {
            x = phi * x + standard_normal(stream);
            s.push_back(x);
        }
        series.push_back(std::move(s));
    }
    return series;
}

TEST(Autocorrelation, FunctionOfAShortSeriesIsTheDirectSum) {
    const std::vector<double> x = {1.0, 3.0, -2.0, 0.5, 4.0, -1.0, 2.0};
    const std::vector<double> rho = autocorrelation_function(x);
    double mean = 0.0;
    for (double v : x) mean += v / x.size();
    double c0 = 0.0;
    for (double v : x) c0 += (v - mean) * (v - mean);
    for (std::size_t t = 0; t < x.size(); ++t) {
        double ct = 0.0;
        for (std::size_t i = 0; i + t < x.size(); ++i) ct += (x[i] - mean) * (x[i + t] - mean);
        EXPECT_NEAR(rho[t], ct / c0, 1e-12) << "lag " << t;
    }
    // A constant series has no correlation to measure.
    for (double r : autocorrelation_function(std::vector<double>(9, 2.5))) EXPECT_EQ(r, 0.0);
}

TEST(Autocorrelation, TimeOfAr1ChainsIsOnePlusPhiOverOneMinusPhi) {
    for (double phi : {0.0, 0.5, 0.9, 0.97}) {
        const double tau = (1.0 + phi) / (1.0 - phi);
        const auto series = ar1(phi, 16, 16384, 7);
        // The estimate's relative error is about sqrt(2 (2M + 1) / (walkers steps)), M ~ 5 tau.
        const double error = std::sqrt(2.0 * (10.0 * tau + 1.0) / (16.0 * 16384.0));
        EXPECT_NEAR(integrated_time(series) / tau, 1.0, 4.0 * error + 0.01) << "phi " << phi;
    }
}

TEST(Autocorrelation, TheWindowStopsAtTheFirstLagBeyondFiveTau) {
    // rho = 1, then 0.5 at every lag: tau(M) = 1 + M, never M >= 5 tau(M): no window, the whole
    // sum.
    std::vector<double> rho(20, 0.5);
    rho[0] = 1.0;
    EXPECT_DOUBLE_EQ(integrated_time(rho), 20.0);
    // rho(1) = 0.5, then 0: tau(M) = 2 from M = 1; the first M >= 10 is 10.
    std::vector<double> short_rho(40, 0.0);
    short_rho[0] = 1.0;
    short_rho[1] = 0.5;
    EXPECT_DOUBLE_EQ(integrated_time(short_rho), 2.0);
}

} // namespace
