#include "autocorrelation.hpp"

#include <bit>
#include <cmath>
#include <complex>
#include <numbers>

namespace sampler {

namespace {

using Complex = std::complex<double>;

// In-place radix-2 FFT of a sequence whose length is a power of two; `inverse` without the 1/n.
void fft(std::vector<Complex>& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle =
            2.0 * std::numbers::pi / static_cast<double>(length) * (inverse ? 1.0 : -1.0);
        const Complex root(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < n; start += length) {
            Complex w(1.0, 0.0);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const Complex u = a[start + k], v = a[start + k + length / 2] * w;
                a[start + k] = u + v;
                a[start + k + length / 2] = u - v;
                w *= root;
            }
        }
    }
}

} // namespace

std::vector<double> autocorrelation_function(std::span<const double> series) {
    const std::size_t n = series.size();
    std::vector<double> rho(n, 0.0);
    if (n == 0) return rho;
    double mean = 0.0;
    for (double x : series) mean += x;
    mean /= static_cast<double>(n);
    // Padded to at least 2n, so that the circular correlation of the FFT is the linear one.
    std::vector<Complex> a(std::bit_ceil(2 * n), Complex(0.0, 0.0));
    for (std::size_t i = 0; i < n; ++i) a[i] = series[i] - mean;
    fft(a, false);
    for (Complex& c : a) c = Complex(std::norm(c), 0.0);
    fft(a, true);
    const double zero = a[0].real();
    if (!(zero > 0.0)) return rho;
    for (std::size_t t = 0; t < n; ++t) rho[t] = a[t].real() / zero;
    return rho;
}

double integrated_time(std::span<const double> rho, double window_factor) {
    double tau = 1.0;
    for (std::size_t M = 1; M < rho.size(); ++M) {
        tau += 2.0 * rho[M];
        if (static_cast<double>(M) >= window_factor * tau) return tau;
    }
    return tau; // no window found: the chain is too short for an estimate it could trust
}

double integrated_time(const std::vector<std::vector<double>>& series, double window_factor) {
    if (series.empty()) return NAN;
    std::vector<double> mean(series.front().size(), 0.0);
    for (const auto& s : series) {
        const std::vector<double> rho = autocorrelation_function(s);
        for (std::size_t t = 0; t < mean.size(); ++t) mean[t] += rho[t];
    }
    for (double& r : mean) r /= static_cast<double>(series.size());
    return integrated_time(mean, window_factor);
}

std::vector<double> integrated_times(const Chain& chain, int first, double window_factor) {
    std::vector<double> tau;
    for (int i = 0; i < chain.dimensions(); ++i) {
        std::vector<std::vector<double>> series;
        for (int k = 0; k < chain.walkers(); ++k) series.push_back(chain.series(k, i, first));
        tau.push_back(integrated_time(series, window_factor));
    }
    return tau;
}

} // namespace sampler
