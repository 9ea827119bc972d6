// The inputs of a fit of the bolometric light curve, read where snfit and snpost run:
// "parameters.inp" (start and fixed values) and "bol-gorbe.txt" (the data), checked against each
// other and the [fit] table before any output is touched.
#pragma once

#include "problem.hpp"

namespace snfit {

Problem read_problem(const FitSettings& settings);

} // namespace snfit
