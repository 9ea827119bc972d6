#include "weighted.hpp"

#include <cmath>

namespace snphot {

float kivonasv(WeightedRows rows, Offsets offsets, int n, float total_weight) {
    float sum = 0.0f;
    for (int j = 0; j < n; ++j) {
        const long double term = static_cast<long double>(rows[j][weighted::weighted]) - offsets[j];
        sum = static_cast<float>(term + sum);
    }
    return static_cast<float>(static_cast<long double>(sum) / total_weight);
}

float hibav(WeightedRows rows, Offsets offsets, int n, float total_weight) {
    const float mean = kivonasv(rows, offsets, n, total_weight);
    float total = 0.0f;
    for (int j = 0; j < n; ++j) {
        const long double value = rows[j][weighted::value];
        const long double weight = rows[j][weighted::weighted] / value;
        const long double deviation = mean - value + offsets[j];
        total = static_cast<float>(weight * deviation * deviation + total);
    }
    const double variance = static_cast<double>(static_cast<long double>(total) / total_weight);
    return static_cast<float>(std::sqrt(variance));
}

} // namespace snphot
