// Weighted estimators: the error-weighted mean of a set of magnitudes (kivonasv) and their
// weighted scatter about that mean (hibav). They take weighted rows in which the caller has
// stored the value and the value already multiplied by its weight, and the total weight W.
// Neither prints anything.
#pragma once

#include <array>
#include <span>

namespace snphot {

// One weighted row, single precision: value, value x weight, combined error (kept for the caller,
// not read here), unused.
using WeightedRow = std::array<float, 4>;
// The columns of a WeightedRow.
namespace weighted {
inline constexpr int value = 0, weighted = 1, combined_error = 2;
} // namespace weighted

using WeightedRows = std::span<const WeightedRow>;
using Offsets = std::span<const float>; // one per row, subtracted from the value

// Sum of (weighted value - offset) over rows 0..n-1, kept in single precision, divided by W:
// with zero offsets the weighted mean sum(v w) / W.
float kivonasv(WeightedRows rows, Offsets offsets, int n, float total_weight);

// sqrt(sum(w (m - v + offset)^2) / W) about the mean m of kivonasv, the weight of a row taken as
// its weighted value divided by its value; the total weight is the divisor.
float hibav(WeightedRows rows, Offsets offsets, int n, float total_weight);

} // namespace snphot
