// The light-curve integration as it stood before it was made fast: every stage bisects the
// recombination front with sin and pow at each midpoint, evaluates the series with pow and the
// decay exponentials afresh. Kept only as the yardstick of the tests and the benchmark (it is no
// part of the model library): the library must give the same rows wherever the fixed step is
// stable.
#pragma once

#include "light_curve.hpp"

#include <vector>

namespace snmodel::reference {

// The rows of every step to tmax, as model_rows(parameters, true) gave them.
std::vector<ModelRow> model_rows(const ModelState& parameters);

} // namespace snmodel::reference
