#include "fit.hpp"

#include "covariance.hpp"
#include "parallel.hpp"
#include "fit_constants.hpp"

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

// The weighted residuals of the problem in the coordinates u, counted as model runs.
WeightedResiduals weighted_residuals(const Coordinates& coordinates, const Residuals& residuals,
                                     std::atomic<long>& runs, int threads) {
    WeightedResiduals f;
    f.count = residuals.count();
    f.evaluate = [&coordinates, &residuals, &runs](const std::vector<double>& u, double* r) {
        ++runs;
        return residuals.evaluate(coordinates.values_of(u.data()), r);
    };
    for (int j = 0; j < coordinates.size(); ++j) f.steps.push_back(coordinates.step(j));
    f.threads = threads;
    return f;
}

// The weighted residuals as a Ceres cost of the moving coordinates `active` (indices into u),
// the others held at their values in `u`. The Jacobian is taken by finite differences inside the
// bounds: central where both sides fit, else one-sided inward; forward only when `central` is
// false (the global stage, where a rough direction is enough at half the model runs). Its
// columns are computed side by side on `threads` threads.
class ChiCost final : public ceres::CostFunction {
  public:
    ChiCost(const WeightedResiduals& residuals, std::vector<double> u, std::vector<int> active,
            bool central, int threads)
        : residuals_(residuals), u_(std::move(u)), active_(std::move(active)), central_(central),
          threads_(threads) {
        set_num_residuals(residuals.count);
        mutable_parameter_block_sizes()->push_back(static_cast<int>(active_.size()));
    }

    bool Evaluate(double const* const* parameters, double* residuals,
                  double** jacobians) const override {
        const std::vector<double> u = full(parameters[0]);
        if (!residuals_.evaluate(u, residuals)) return false;
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
    // The row-major n x m Jacobian J.
    bool jacobian(const std::vector<double>& u, const double* at_u, double* J) const {
        const int m = static_cast<int>(active_.size()), n = residuals_.count;
        std::atomic<bool> ok{true};
        side_by_side(m, threads_, [&](int a) {
            std::vector<double> column(n);
            if (!jacobian_column(residuals_, u, active_[a], at_u, central_, column.data()))
                ok = false;
            for (int i = 0; i < n; ++i) J[i * m + a] = column[i];
        });
        return ok;
    }

    const WeightedResiduals& residuals_;
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
Descent descend(const WeightedResiduals& residuals, const std::vector<double>& u,
                const std::vector<int>& active, const Stage& stage) {
    ChiCost cost(residuals, u, active, stage.central, stage.threads);
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
    // The first entry of the iterations is the start; a start where the model fails has none.
    result.iterations = std::max(0, static_cast<int>(summary.iterations.size()) - 1);
    if (summary.IsSolutionUsable() && std::isfinite(summary.final_cost))
        result.chi2 = 2.0 * summary.final_cost;
    result.converged = summary.termination_type == ceres::CONVERGENCE;
    return result;
}

// Errors and correlations in the units of the file: C_x = D C_u D with D = dx/du. The
// parameters on a bound are held there: no error of their own, and none of the others'
// correlations.
void uncertainties(const Coordinates& coordinates, const WeightedResiduals& residuals,
                   const std::vector<double>& u, FitResult& result) {
    const int k = coordinates.size();
    result.at_bound = on_the_bounds(u);
    std::vector<int> moving;
    for (int j = 0; j < k; ++j)
        if (!result.at_bound[j]) moving.push_back(j);
    const std::optional<std::vector<double>> C = covariance_at(residuals, u, moving);
    result.covariance = C.has_value();
    result.error.assign(k, NAN);
    result.correlation.assign(k, std::vector<double>(k, NAN));
    if (!C) return;
    const int m = static_cast<int>(moving.size());
    const auto& c = *C;
    for (int a = 0; a < m; ++a) {
        const int i = moving[a];
        result.error[i] = std::sqrt(c[a * m + a]) * coordinates.slope(i, u[i]);
        for (int b = 0; b < m; ++b)
            result.correlation[i][moving[b]] =
                c[a * m + b] / std::sqrt(c[a * m + a] * c[b * m + b]);
    }
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
    const WeightedResiduals weighted = weighted_residuals(coordinates, residuals, runs, threads);

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
        descents[i] = descend(weighted, starts[i], settle, {settings::kGlobalIterations, false, 1});
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
        refined[r] = descend(weighted, from.u, all, {settings::kLocalIterations, true, inner});
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

    uncertainties(coordinates, weighted, best.u, result);
    result.model_runs = runs.load();
    return result;
}

} // namespace snfit
