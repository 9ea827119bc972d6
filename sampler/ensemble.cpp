#include "ensemble.hpp"

#include <cmath>
#include <numbers>

namespace sampler {

namespace {

// SplitMix64: spreads a seed and a walker number over all 64 bits, so that neighbouring walkers
// get unrelated streams.
std::uint64_t split_mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

} // namespace

Stream walker_stream(std::uint64_t seed, int walker) {
    const std::uint64_t a = split_mix(seed), b = split_mix(a ^ static_cast<std::uint64_t>(walker));
    std::seed_seq sequence{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(a >> 32),
                           static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(b >> 32)};
    return Stream(sequence);
}

double uniform(Stream& stream) {
    return static_cast<double>(stream() >> 11) * 0x1.0p-53;
}

double standard_normal(Stream& stream) {
    // Box-Muller, one number per call: 1 - uniform lies in (0, 1], so the logarithm is finite.
    const double r = std::sqrt(-2.0 * std::log(1.0 - uniform(stream)));
    return r * std::cos(2.0 * std::numbers::pi * uniform(stream));
}

Ensemble::Ensemble(int walkers, int dimensions, std::uint64_t seed)
    : walkers_(walkers), dimensions_(dimensions),
      positions_(static_cast<std::size_t>(walkers) * dimensions), evaluations_(walkers) {
    streams_.reserve(walkers);
    for (int k = 0; k < walkers; ++k) streams_.push_back(walker_stream(seed, k));
}

} // namespace sampler
