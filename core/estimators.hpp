// Zero-point estimators: the zero point of an image from its comparison stars (kivonas,
// kivonas2) and its scatter (hiba, hiba2, which also print the single differences).
//
// Single difference of row i: d_i = m_i - c_i, or with the colour term of kivonas2/hiba2
// d_i = (m_i - c_i) - (a_i - b_i) * k. Which rows enter and the divisor depend on the form:
//   lcbuild  - rows 1..n-1 whose magnitude is not exactly 0; divisor: the rows that entered
//   starcorr - rows 0..n-1 except row 1, whatever their magnitude; divisor n - 1
//   starcal  - rows 0..n-1; divisor n
// Sums are kept in single precision, each term formed in extended precision.
#pragma once

#include "result_table.hpp"

#include <cstdio>
#include <span>

namespace snphot {

enum class EstimatorForm { lcbuild, starcorr, starcal };

using Catalogue = std::span<const float>;
using Block = std::span<const MeasurementRow>;

float kivonas(EstimatorForm form, Block block, Catalogue c, int n);
float hiba(EstimatorForm form, Block block, Catalogue c, int n, std::FILE* out = stdout);
float kivonas2(EstimatorForm form, Block block, Catalogue c, Catalogue a, Catalogue b, int n,
               float k);
float hiba2(EstimatorForm form, Block block, Catalogue c, Catalogue a, Catalogue b, int n, float k,
            std::FILE* out = stdout);

} // namespace snphot
