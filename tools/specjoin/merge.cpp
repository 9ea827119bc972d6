#include "merge.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>

namespace specjoin {

float rest_wavelength(float observed, double divisor) {
    return static_cast<float>(static_cast<double>(observed) / divisor);
}

double scaled_flux(float flux, double factor) {
    return factor * static_cast<double>(flux);
}

namespace {

// Positions of the points in increasing wavelength. A NaN wavelength is reached by no entry and
// is left out.
std::vector<std::size_t> by_wavelength(const std::vector<float>& W) {
    std::vector<std::size_t> order;
    order.reserve(W.size());
    for (std::size_t i = 0; i < W.size(); ++i)
        if (!std::isnan(W[i])) order.push_back(i);
    std::sort(order.begin(), order.end(),
              [&](std::size_t i, std::size_t j) { return W[i] < W[j]; });
    return order;
}

// next[k] leads to the first sorted position at or after k whose point has no value yet.
std::size_t first_open(std::vector<std::size_t>& next, std::size_t k) {
    while (next[k] != k) {
        next[k] = next[next[k]];
        k = next[k];
    }
    return k;
}

} // namespace

std::vector<float> look_up(const std::vector<float>& W, const std::vector<LookupEntry>& entries,
                           float width) {
    std::vector<float> X(W.size(), 0.0f);
    const std::vector<std::size_t> order = by_wavelength(W);
    std::vector<std::size_t> next(order.size() + 1);
    std::iota(next.begin(), next.end(), std::size_t{0});

    // The last entry wins, so the entries are applied from the last to the first, and a point
    // that already holds a value is passed over.
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        const float a = e->a;
        // Both conditions are monotonic in W: W + width > a holds on a suffix of the sorted
        // points, W < a on a prefix; the points reached lie between.
        const auto first = std::partition_point(order.begin(), order.end(), [&](std::size_t i) {
            const float upper = W[i] + width;
            return !(a < upper);
        });
        const auto last = std::partition_point(order.begin(), order.end(),
                                               [&](std::size_t i) { return W[i] < a; });
        const auto end = static_cast<std::size_t>(last - order.begin());
        for (std::size_t k = first_open(next, static_cast<std::size_t>(first - order.begin()));
             k < end; k = first_open(next, k + 1)) {
            X[order[k]] = e->b;
            next[k] = k + 1;
        }
    }
    return X;
}

} // namespace specjoin
