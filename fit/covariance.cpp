#include "covariance.hpp"

#include "parallel.hpp"
#include "fit_constants.hpp"

#include <Eigen/Dense>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace snfit {

double derivative_step(const WeightedResiduals& f, int j) {
    return std::min(f.steps[j], settings::kLargestStep);
}

bool jacobian_column(const WeightedResiduals& f, std::vector<double> u, int j, const double* r_at_u,
                     bool central, double* column) {
    const int n = f.count;
    const double u0 = u[j];
    const double h = derivative_step(f, j);
    const bool up = u0 + h <= 1.0, down = u0 - h >= 0.0;
    std::vector<double> plus(n), minus(n);
    double hi = u0, lo = u0;
    const double* r_hi = r_at_u;
    const double* r_lo = r_at_u;
    // A side where the model gives no residuals leaves the other, one-sided.
    if (up) {
        u[j] = u0 + h;
        if (f.evaluate(u, plus.data())) {
            hi = u[j];
            r_hi = plus.data();
        }
    }
    if (down && (central || r_hi == r_at_u)) {
        u[j] = u0 - h;
        if (f.evaluate(u, minus.data())) {
            lo = u[j];
            r_lo = minus.data();
        }
    }
    if (hi == lo) return false;
    for (int i = 0; i < n; ++i) column[i] = (r_hi[i] - r_lo[i]) / (hi - lo);
    return true;
}

std::vector<double> inverse_normal_matrix(const std::vector<double>& J, int n, int m) {
    if (m == 0 || J.size() != static_cast<std::size_t>(n) * m) return {};
    using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Eigen::Map<const RowMajor> jacobian(J.data(), n, m);
    if (!jacobian.allFinite()) return {};
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(jacobian, Eigen::ComputeThinV);
    const Eigen::VectorXd& singular = svd.singularValues();
    if (!(singular.minCoeff() > settings::kSmallestSingularValue * singular.maxCoeff())) return {};
    Eigen::MatrixXd C = svd.matrixV() * singular.cwiseAbs2().cwiseInverse().asDiagonal() *
                        svd.matrixV().transpose();
    C = 0.5 * (C + C.transpose()).eval(); // symmetric to the last bit
    return std::vector<double>(C.data(), C.data() + m * m);
}

namespace {

// The Jacobian over the moving coordinates at u by derivatives over the steps of f.
std::vector<double> local_jacobian(const WeightedResiduals& f, const std::vector<double>& u,
                                   const std::vector<int>& moving) {
    const int n = f.count, m = static_cast<int>(moving.size());
    std::vector<double> r(n);
    if (!f.evaluate(u, r.data())) return {};
    std::vector<double> J(static_cast<std::size_t>(n) * m);
    std::atomic<bool> ok{true};
    side_by_side(m, f.threads, [&](int a) {
        std::vector<double> column(n);
        if (!jacobian_column(f, u, moving[a], r.data(), true, column.data())) ok = false;
        for (int i = 0; i < n; ++i) J[static_cast<std::size_t>(i) * m + a] = column[i];
    });
    return ok ? J : std::vector<double>{};
}

// The residuals along the principal axes of a covariance: u = centre + D w over the moving
// coordinates, the columns of D the axes scaled to one standard deviation.
class Axes {
  public:
    Axes(const WeightedResiduals& f, const std::vector<double>& centre,
         const std::vector<int>& moving, Eigen::MatrixXd D)
        : f_(f), centre_(centre), moving_(moving), D_(std::move(D)) {}

    // The Jacobian dr/dw at w = 0, column e the chord from w_e = -1 to +1, shortened where the
    // box comes first; empty when an axis is pinned by the box or the model fails on it.
    std::vector<double> jacobian() const {
        const int n = f_.count, m = static_cast<int>(moving_.size());
        std::vector<double> J(static_cast<std::size_t>(n) * m);
        std::atomic<bool> ok{true};
        side_by_side(m, f_.threads, [&](int e) {
            if (!chord(e, J.data())) ok = false;
        });
        return ok ? J : std::vector<double>{};
    }

  private:
    std::vector<double> along(int e, double w) const {
        std::vector<double> u = centre_;
        for (std::size_t a = 0; a < moving_.size(); ++a) u[moving_[a]] += D_(a, e) * w;
        return u;
    }

    // How far along axis e (in units of w, at most 1) the box allows, forwards or backwards.
    double reach(int e, double sign) const {
        double t = 1.0;
        for (std::size_t a = 0; a < moving_.size(); ++a) {
            const double c = centre_[moving_[a]];
            const double d = sign * D_(a, e);
            if (d > 0.0) t = std::min(t, (1.0 - c) / d);
            if (d < 0.0) t = std::min(t, -c / d);
        }
        return std::max(t, 0.0);
    }

    bool chord(int e, double* J) const {
        const int n = f_.count, m = static_cast<int>(moving_.size());
        const double forward = reach(e, 1.0), backward = reach(e, -1.0);
        if (!(forward + backward > settings::kDerivativeStep)) return false; // pinned by the box
        std::vector<double> plus(n), minus(n);
        if (!f_.evaluate(along(e, forward), plus.data())) return false;
        if (!f_.evaluate(along(e, -backward), minus.data())) return false;
        for (int i = 0; i < n; ++i)
            J[static_cast<std::size_t>(i) * m + e] = (plus[i] - minus[i]) / (forward + backward);
        return true;
    }

    const WeightedResiduals& f_;
    const std::vector<double>& centre_;
    const std::vector<int>& moving_;
    Eigen::MatrixXd D_;
};

} // namespace

std::optional<std::vector<double>> covariance_at(const WeightedResiduals& f,
                                                 const std::vector<double>& u,
                                                 const std::vector<int>& moving) {
    const int m = static_cast<int>(moving.size());
    if (m == 0) return std::vector<double>{};
    std::vector<double> C = inverse_normal_matrix(local_jacobian(f, u, moving), f.count, m);
    if (C.empty()) return std::nullopt;
    for (int pass = 0; pass < settings::kAxisPasses; ++pass) {
        const Eigen::Map<const Eigen::MatrixXd> Cu(C.data(), m, m);
        const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(Cu);
        Eigen::MatrixXd D =
            eigen.eigenvectors() * eigen.eigenvalues().cwiseMax(0.0).cwiseSqrt().asDiagonal();
        if (eigen.info() != Eigen::Success || !D.allFinite()) break;
        const std::vector<double> Cw =
            inverse_normal_matrix(Axes(f, u, moving, D).jacobian(), f.count, m);
        if (Cw.empty()) break;
        Eigen::MatrixXd next =
            D * Eigen::Map<const Eigen::MatrixXd>(Cw.data(), m, m) * D.transpose();
        next = 0.5 * (next + next.transpose()).eval(); // symmetric to the last bit
        const double change =
            ((next.diagonal().cwiseSqrt().array() / Cu.diagonal().cwiseSqrt().array()) - 1.0)
                .abs()
                .maxCoeff();
        std::copy(next.data(), next.data() + m * m, C.begin());
        if (change < settings::kAxisTolerance) break;
    }
    return C;
}

std::vector<bool> on_the_bounds(const std::vector<double>& u) {
    std::vector<bool> on(u.size());
    for (std::size_t j = 0; j < u.size(); ++j) on[j] = u[j] <= 0.0 || u[j] >= 1.0;
    return on;
}

} // namespace snfit
