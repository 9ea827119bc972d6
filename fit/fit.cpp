#include "fit.hpp"

#include "settings.hpp"

#include <Eigen/Dense>
#include <ceres/ceres.h>
#include <glog/logging.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <thread>

namespace snfit {

namespace {

// Between the values of the free parameters and the explored coordinates u in [0, 1].
class Coordinates {
  public:
    explicit Coordinates(const Problem& problem) : problem_(problem) {}

    int size() const { return static_cast<int>(problem_.free.size()); }

    Values values_of(const double* u) const {
        Values values = problem_.start;
        for (int j = 0; j < size(); ++j) values[problem_.free[j].index] = value_of(j, u[j]);
        return values;
    }

    std::vector<double> coordinates_of(const Values& values) const {
        std::vector<double> u(size());
        for (int j = 0; j < size(); ++j) {
            const FreeParameter& p = problem_.free[j];
            const double x = values[p.index];
            u[j] = p.log_scale ? std::log(x / p.bound.low) / std::log(p.bound.high / p.bound.low)
                               : (x - p.bound.low) / (p.bound.high - p.bound.low);
            u[j] = std::clamp(u[j], 0.0, 1.0);
        }
        return u;
    }

    // dx/du at u
    double slope(int j, double u) const {
        const FreeParameter& p = problem_.free[j];
        if (!p.log_scale) return p.bound.high - p.bound.low;
        return value_of(j, u) * std::log(p.bound.high / p.bound.low);
    }

    // The step in u of a derivative: a relative change of kDerivativeStep of a positive
    // parameter, that fraction of the bounds of another.
    double step(int j) const {
        const FreeParameter& p = problem_.free[j];
        if (!p.log_scale) return settings::kDerivativeStep;
        return settings::kDerivativeStep / std::log(p.bound.high / p.bound.low);
    }

  private:
    double value_of(int j, double u) const {
        const FreeParameter& p = problem_.free[j];
        if (p.log_scale) return p.bound.low * std::pow(p.bound.high / p.bound.low, u);
        return p.bound.low + u * (p.bound.high - p.bound.low);
    }

    const Problem& problem_;
};

// Runs job(i) for i = 0 .. count-1 on `threads` threads.
template <class Job> void side_by_side(int count, int threads, Job job) {
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int i; (i = next++) < count;) job(i);
    };
    std::vector<std::jthread> pool;
    for (int t = 1; t < std::min(threads, count); ++t) pool.emplace_back(worker);
    worker();
}

// The weighted residuals as a Ceres cost of the moving coordinates `active` (indices into u),
// the others held at their values in `u`. The Jacobian is taken by finite differences inside the
// bounds: central where both sides fit, else one-sided inward; forward only when `central` is
// false (the global stage, where a rough direction is enough at half the model runs). Its
// columns are computed side by side on `threads` threads.
class ChiCost final : public ceres::CostFunction {
  public:
    ChiCost(const Coordinates& coordinates, const Residuals& residuals, std::atomic<long>& runs,
            std::vector<double> u, std::vector<int> active, bool central, int threads)
        : coordinates_(coordinates), residuals_(residuals), runs_(runs), u_(std::move(u)),
          active_(std::move(active)), central_(central), threads_(threads) {
        set_num_residuals(residuals.count());
        mutable_parameter_block_sizes()->push_back(static_cast<int>(active_.size()));
    }

    bool Evaluate(double const* const* parameters, double* residuals,
                  double** jacobians) const override {
        const std::vector<double> u = full(parameters[0]);
        if (!run(u, residuals)) return false;
        if (jacobians && jacobians[0]) return jacobian(u, residuals, jacobians[0]);
        return true;
    }

    // All coordinates, the moving ones taken from x.
    std::vector<double> full(const double* x) const {
        std::vector<double> u = u_;
        for (std::size_t a = 0; a < active_.size(); ++a) u[active_[a]] = x[a];
        return u;
    }

  private:
    bool run(const std::vector<double>& u, double* residuals) const {
        ++runs_;
        return residuals_.evaluate(coordinates_.values_of(u.data()), residuals);
    }

    // Column a of the row-major n x m Jacobian J.
    bool column(int a, std::vector<double> u, const double* at_u, double* J) const {
        const int m = static_cast<int>(active_.size());
        const int n = residuals_.count();
        const int j = active_[a];
        const double u0 = u[j];
        const double h = coordinates_.step(j);
        const bool up = u0 + h <= 1.0, down = u0 - h >= 0.0;
        std::vector<double> plus(n), minus(n);
        double hi = u0, lo = u0;
        const double* r_hi = at_u;
        const double* r_lo = at_u;
        // A side where the model gives no light curve leaves the other, one-sided.
        if (up) {
            u[j] = u0 + h;
            if (run(u, plus.data())) {
                hi = u[j];
                r_hi = plus.data();
            }
        }
        if (down && (central_ || r_hi == at_u)) {
            u[j] = u0 - h;
            if (run(u, minus.data())) {
                lo = u[j];
                r_lo = minus.data();
            }
        }
        if (hi == lo) return false;
        for (int i = 0; i < n; ++i) J[i * m + a] = (r_hi[i] - r_lo[i]) / (hi - lo);
        return true;
    }

    bool jacobian(const std::vector<double>& u, const double* at_u, double* J) const {
        std::atomic<bool> ok{true};
        side_by_side(static_cast<int>(active_.size()), threads_, [&](int a) {
            if (!column(a, u, at_u, J)) ok = false;
        });
        return ok;
    }

    const Coordinates& coordinates_;
    const Residuals& residuals_;
    std::atomic<long>& runs_;
    std::vector<double> u_;
    std::vector<int> active_;
    bool central_;
    int threads_;
};

struct Descent {
    std::vector<double> u;
    double chi2 = std::numeric_limits<double>::infinity();
    int iterations = 0;
    bool converged = false;
};

struct Stage {
    int max_iterations = 0;
    bool central = false;
    int threads = 1; // for the columns of the Jacobian
};

// Levenberg-Marquardt from u within [0, 1]^k, moving the coordinates `active`.
Descent descend(const Coordinates& coordinates, const Residuals& residuals, std::atomic<long>& runs,
                const std::vector<double>& u, const std::vector<int>& active, const Stage& stage) {
    ChiCost cost(coordinates, residuals, runs, u, active, stage.central, stage.threads);
    std::vector<double> x;
    for (int j : active) x.push_back(u[j]);
    ceres::Problem::Options problem_options;
    problem_options.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problem_options);
    problem.AddResidualBlock(&cost, nullptr, x.data());
    for (std::size_t a = 0; a < active.size(); ++a) {
        problem.SetParameterLowerBound(x.data(), static_cast<int>(a), 0.0);
        problem.SetParameterUpperBound(x.data(), static_cast<int>(a), 1.0);
    }
    ceres::Solver::Options options;
    options.linear_solver_type = ceres::DENSE_QR;
    options.num_threads = 1;
    options.logging_type = ceres::SILENT;
    options.max_num_iterations = stage.max_iterations;
    options.function_tolerance = settings::kFunctionTolerance;
    options.parameter_tolerance = settings::kParameterTolerance;
    // Steps leaving the bounds are projected back onto them; the projected line search that Ceres
    // would add costs a Jacobian per trial and buys nothing here.
    options.max_num_line_search_step_size_iterations = 0;
    ceres::Solver::Summary summary;
    ceres::Solve(options, &problem, &summary);

    Descent result;
    result.u = cost.full(x.data());
    result.iterations = static_cast<int>(summary.iterations.size()) - 1;
    if (summary.IsSolutionUsable() && std::isfinite(summary.final_cost))
        result.chi2 = 2.0 * summary.final_cost;
    result.converged = summary.termination_type == ceres::CONVERGENCE;
    return result;
}

// The residuals in the coordinates w of the principal axes of a covariance, u = centre + D w,
// the columns of D the axes scaled to one standard deviation. Column e of the Jacobian is the
// chord from w_e = -1 to +1, shortened where the bounds come first.
class AxisCost final : public ceres::CostFunction {
  public:
    AxisCost(const Coordinates& coordinates, const Residuals& residuals, std::atomic<long>& runs,
             std::vector<double> centre, Eigen::MatrixXd D, int threads)
        : coordinates_(coordinates), residuals_(residuals), runs_(runs), centre_(std::move(centre)),
          D_(std::move(D)), threads_(threads) {
        set_num_residuals(residuals.count());
        mutable_parameter_block_sizes()->push_back(coordinates.size());
    }

    bool Evaluate(double const* const* parameters, double* residuals,
                  double** jacobians) const override {
        if (!run(along(parameters[0]), residuals)) return false;
        if (!jacobians || !jacobians[0]) return true;
        std::atomic<bool> ok{true};
        side_by_side(coordinates_.size(), threads_, [&](int e) {
            if (!chord(e, jacobians[0])) ok = false;
        });
        return ok;
    }

  private:
    std::vector<double> along(const double* w) const {
        std::vector<double> u = centre_;
        for (int j = 0; j < coordinates_.size(); ++j)
            for (int e = 0; e < coordinates_.size(); ++e) u[j] += D_(j, e) * w[e];
        return u;
    }

    bool run(const std::vector<double>& u, double* residuals) const {
        ++runs_;
        return residuals_.evaluate(coordinates_.values_of(u.data()), residuals);
    }

    // How far along axis e (in units of w, at most 1) the bounds allow, forwards or backwards.
    double reach(int e, double sign) const {
        double t = 1.0;
        for (int j = 0; j < coordinates_.size(); ++j) {
            const double d = sign * D_(j, e);
            if (d > 0.0) t = std::min(t, (1.0 - centre_[j]) / d);
            if (d < 0.0) t = std::min(t, -centre_[j] / d);
        }
        return std::max(t, 0.0);
    }

    bool chord(int e, double* J) const {
        const int k = coordinates_.size(), n = residuals_.count();
        const double forward = reach(e, 1.0), backward = reach(e, -1.0);
        if (!(forward + backward > settings::kDerivativeStep)) return false; // pinned by bounds
        std::vector<double> w(k, 0.0), plus(n), minus(n);
        w[e] = forward;
        if (!run(along(w.data()), plus.data())) return false;
        w[e] = -backward;
        if (!run(along(w.data()), minus.data())) return false;
        for (int i = 0; i < n; ++i) J[i * k + e] = (plus[i] - minus[i]) / (forward + backward);
        return true;
    }

    const Coordinates& coordinates_;
    const Residuals& residuals_;
    std::atomic<long>& runs_;
    std::vector<double> centre_;
    Eigen::MatrixXd D_;
    int threads_;
};

// (J^T J)^-1 of a cost at the parameter block x, by the singular value decomposition
// J = U S V^T: V S^-2 V^T. Empty when the cost cannot be evaluated there or J is rank deficient
// (its condition number beyond 1e7, that of J^T J beyond 1e14).
std::vector<double> inverse_normal_matrix(const ceres::CostFunction& cost,
                                          const std::vector<double>& x) {
    const int n = cost.num_residuals(), k = static_cast<int>(x.size());
    std::vector<double> r(n), J(static_cast<std::size_t>(n) * k);
    const double* parameters[] = {x.data()};
    double* jacobians[] = {J.data()};
    if (!cost.Evaluate(parameters, r.data(), jacobians)) return {};
    using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(Eigen::Map<const RowMajor>(J.data(), n, k),
                                                Eigen::ComputeThinV);
    const Eigen::VectorXd& singular = svd.singularValues();
    if (!singular.allFinite() ||
        !(singular.minCoeff() > settings::kSmallestSingularValue * singular.maxCoeff()))
        return {};
    Eigen::MatrixXd C = svd.matrixV() * singular.cwiseAbs2().cwiseInverse().asDiagonal() *
                        svd.matrixV().transpose();
    C = 0.5 * (C + C.transpose()).eval(); // symmetric to the last bit
    return std::vector<double>(C.data(), C.data() + k * k);
}

// The covariance of the coordinates at the optimum u, k x k, or empty when the data leave a
// direction wholly undetermined. The light curve is not smooth on small scales (the end of the
// plateau is a step of a day or less, and the front is found to 1e-6), and the jitter that this
// leaves in derivatives over small steps passes for information: along a valley of chi^2 the
// errors would come out too small. So the Jacobian is taken again along the principal axes of
// the covariance, each as a chord over one standard deviation, until the axes settle.
std::vector<double> covariance_at(const Coordinates& coordinates, const Residuals& residuals,
                                  std::atomic<long>& runs, const std::vector<double>& u,
                                  int threads) {
    const int k = coordinates.size();
    std::vector<int> all(k);
    std::iota(all.begin(), all.end(), 0);
    ChiCost local(coordinates, residuals, runs, u, all, true, threads);
    std::vector<double> C = inverse_normal_matrix(local, u);
    for (int pass = 0; pass < settings::kAxisPasses && !C.empty(); ++pass) {
        const Eigen::Map<const Eigen::MatrixXd> Cu(C.data(), k, k);
        const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> axes(Cu);
        Eigen::MatrixXd D =
            axes.eigenvectors() * axes.eigenvalues().cwiseMax(0.0).cwiseSqrt().asDiagonal();
        if (axes.info() != Eigen::Success || !D.allFinite()) break;
        AxisCost along_axes(coordinates, residuals, runs, u, D, threads);
        const std::vector<double> Cw =
            inverse_normal_matrix(along_axes, std::vector<double>(k, 0.0));
        if (Cw.empty()) break;
        Eigen::MatrixXd next =
            D * Eigen::Map<const Eigen::MatrixXd>(Cw.data(), k, k) * D.transpose();
        next = 0.5 * (next + next.transpose()).eval(); // symmetric to the last bit
        const double change =
            ((next.diagonal().cwiseSqrt().array() / Cu.diagonal().cwiseSqrt().array()) - 1.0)
                .abs()
                .maxCoeff();
        std::copy(next.data(), next.data() + k * k, C.begin());
        if (change < settings::kAxisTolerance) break;
    }
    return C;
}

// Errors and correlations in the units of the file: C_x = D C_u D with D = dx/du.
void uncertainties(const Coordinates& coordinates, const std::vector<double>& u,
                   const std::vector<double>& C, FitResult& result) {
    const int k = coordinates.size();
    result.covariance = !C.empty();
    result.error.assign(k, NAN);
    result.correlation.assign(k, std::vector<double>(k, NAN));
    if (C.empty()) return;
    for (int i = 0; i < k; ++i)
        result.error[i] = std::sqrt(C[i * k + i]) * coordinates.slope(i, u[i]);
    for (int i = 0; i < k; ++i)
        for (int j = 0; j < k; ++j)
            result.correlation[i][j] = C[i * k + j] / std::sqrt(C[i * k + i] * C[j * k + j]);
}

// Van der Corput radical inverse of i in a prime base: the Halton sequence.
double radical_inverse(int i, int base) {
    double inverse = 0.0, digit = 1.0 / base;
    for (; i > 0; i /= base, digit /= base) inverse += (i % base) * digit;
    return inverse;
}

std::string global_line(int starts, int threads, double chi2, int start) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "global stage: %d starts done on %d thread%s, best chi2 so far %.4f (start %d)",
                  starts, threads, threads == 1 ? "" : "s", chi2, start);
    return line;
}

std::string local_line(int refined, double chi2, int iterations, bool converged) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "local stage: the best %d starts refined, chi2 %.4f after %d iterations, %s",
                  refined, chi2, iterations, converged ? "converged" : "not converged");
    return line;
}

} // namespace

std::vector<std::vector<double>> global_starts(const Problem& problem, int count) {
    static constexpr int kPrimes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43};
    const Coordinates coordinates(problem);
    std::vector<std::vector<double>> starts = {coordinates.coordinates_of(problem.start)};
    for (int i = 1; i < count; ++i) {
        std::vector<double> u(coordinates.size());
        for (int j = 0; j < coordinates.size(); ++j)
            u[j] = 0.05 + 0.9 * radical_inverse(i, kPrimes[j]);
        starts.push_back(u);
    }
    return starts;
}

FitResult fit(const Problem& problem, const FitOptions& options) {
    // Ceres reports through glog, on standard error; what matters of it snfit reports itself.
    FLAGS_minloglevel = google::GLOG_FATAL;
    const Coordinates coordinates(problem);
    const Residuals residuals(problem);
    std::atomic<long> runs{0};
    FitResult result;
    const int k = coordinates.size();
    const int threads = std::max(1, options.threads);

    // Global stage: a short descent from every start. The explosion date only shifts the light
    // curve, and along it the others follow in a long, narrow valley; so each start keeps its
    // date and lets the others settle, and the starts cover the dates.
    std::vector<int> all(k), settle;
    std::iota(all.begin(), all.end(), 0);
    for (int j = 0; j < k; ++j)
        if (k == 1 || problem.free[j].index != kExplosionDate) settle.push_back(j);
    result.starts = options.starts > 0 ? options.starts
                                       : settings::kStartsBase + settings::kStartsPerParameter * k;
    const auto starts = global_starts(problem, result.starts);
    std::vector<Descent> descents(starts.size());
    side_by_side(result.starts, threads, [&](int i) {
        descents[i] = descend(coordinates, residuals, runs, starts[i], settle,
                              {settings::kGlobalIterations, false, 1});
    });
    // Ranked by chi^2, the earlier start first among equals, whatever thread finished first.
    std::vector<int> rank(descents.size());
    std::iota(rank.begin(), rank.end(), 0);
    std::stable_sort(rank.begin(), rank.end(),
                     [&](int a, int b) { return descents[a].chi2 < descents[b].chi2; });
    options.progress(global_line(result.starts, std::min(threads, result.starts),
                                 descents[rank[0]].chi2, rank[0] + 1));

    // Local stage: the best few, everything free, to convergence.
    const int refined_count = std::min(settings::kRefinedStarts, result.starts);
    std::vector<Descent> refined(refined_count);
    const int inner = std::max(1, threads / refined_count);
    side_by_side(refined_count, threads, [&](int r) {
        const Descent& from = descents[rank[r]];
        if (!std::isfinite(from.chi2)) {
            refined[r] = from;
            return;
        }
        refined[r] = descend(coordinates, residuals, runs, from.u, all,
                             {settings::kLocalIterations, true, inner});
        // A descent that failed on the way (no model at a trial point) keeps where it started.
        if (!(refined[r].chi2 <= from.chi2)) refined[r] = {from.u, from.chi2, 0, false};
    });
    const Descent& best =
        *std::min_element(refined.begin(), refined.end(),
                          [](const Descent& a, const Descent& b) { return a.chi2 < b.chi2; });
    result.iterations = best.iterations;
    result.converged = best.converged && std::isfinite(best.chi2);
    result.best = coordinates.values_of(best.u.data());
    result.chi2 = best.chi2;
    options.progress(local_line(refined_count, best.chi2, best.iterations, result.converged));

    uncertainties(coordinates, best.u, covariance_at(coordinates, residuals, runs, best.u, threads),
                  result);
    for (int j = 0; j < k; ++j) result.at_bound.push_back(best.u[j] <= 0.0 || best.u[j] >= 1.0);
    result.model_runs = runs.load();
    return result;
}

} // namespace snfit
