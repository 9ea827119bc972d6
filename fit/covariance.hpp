// The errors of a least-squares fit: the covariance of its coordinates at the optimum, from the
// Jacobian of the weighted residuals, whatever the model behind them.
//
// The coordinates u live in the unit box [0, 1]^k (fit.hpp scales every free parameter to its
// bounds). A coordinate that sits on a face of the box at the optimum is held there: it gets no
// symmetric error, and the covariance of the others is taken with it fixed.
#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace snfit {

// Weighted residuals r(u), with their count; `evaluate` returns false where the model gives none.
// It is called from several threads at once.
struct WeightedResiduals {
    int count = 0;
    std::function<bool(const std::vector<double>& u, double* r)> evaluate;
    std::vector<double> steps; // per coordinate: the step in u of a derivative
    int threads = 1;           // for the columns of a Jacobian
};

// The step in u of a derivative of coordinate j: its own, capped so that at least one side of any
// point of the box stays inside it.
double derivative_step(const WeightedResiduals& f, int j);

// Column j of the Jacobian dr/du at u (where the residuals are r_at_u), by finite differences
// inside the box: central where both sides fit and `central` is set, else one-sided. False when
// the model gives no residuals on either side.
bool jacobian_column(const WeightedResiduals& f, std::vector<double> u, int j, const double* r_at_u,
                     bool central, double* column);

// (J^T J)^-1 of the row-major n x m Jacobian J by its singular value decomposition; empty when J
// is rank deficient (condition number beyond 1 / kSmallestSingularValue) or not finite.
std::vector<double> inverse_normal_matrix(const std::vector<double>& J, int n, int m);

// The covariance (m x m, symmetric) of the coordinates `moving` at the optimum u, the others held
// at their values; nullopt when the data leave a direction wholly undetermined. The Jacobian at u
// is taken again along the principal axes of the covariance, each column the chord over one
// standard deviation (shortened where the box comes first), until the errors settle: over small
// steps, a model that is not smooth passes its jitter for information.
std::optional<std::vector<double>> covariance_at(const WeightedResiduals& f,
                                                 const std::vector<double>& u,
                                                 const std::vector<int>& moving);

// The coordinates of u that sit on a face of the box.
std::vector<bool> on_the_bounds(const std::vector<double>& u);

} // namespace snfit
