// The covariance of a least-squares fit against problems whose answer is known in closed form:
// linear weighted least squares, where the covariance of the coordinates is exactly
// (A^T W A)^-1 whatever the principal axes and chords make of it.
#include "covariance.hpp"
#include "parallel.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>

using namespace snfit;

namespace {

// r_i(u) = (sum_j A_ij u_j - b_i) / sigma_i: six points, three coordinates with correlated
// columns, so that the principal axes are not the coordinate axes.
struct Linear {
    static constexpr int n = 6, k = 3;
    double A[n][k] = {{1.0, 0.2, 0.0}, {1.0, 0.5, 0.3}, {0.8, 1.0, 0.1},
                      {0.3, 1.2, 0.9}, {0.1, 0.4, 1.0}, {0.9, 0.9, 0.8}};
    double b[n] = {0.4, 0.7, 0.9, 1.1, 0.6, 1.2};
    double sigma[n] = {0.01, 0.02, 0.015, 0.01, 0.03, 0.02};

    WeightedResiduals residuals(std::atomic<int>* runs = nullptr) const {
        WeightedResiduals f;
        f.count = n;
        f.evaluate = [this, runs](const std::vector<double>& u, double* r) {
            if (runs) ++*runs;
            for (int i = 0; i < n; ++i) {
                double model = 0.0;
                for (int j = 0; j < k; ++j) model += A[i][j] * u[j];
                r[i] = (model - b[i]) / sigma[i];
            }
            return true;
        };
        f.steps.assign(k, 1e-2);
        f.threads = 2;
        return f;
    }

    // (A_s^T W A_s)^-1 over the columns s, by Gauss-Jordan elimination.
    std::vector<double> closed_form(const std::vector<int>& s) const {
        const int m = static_cast<int>(s.size());
        std::vector<double> N(m * 2 * m, 0.0);
        auto at = [&](int r, int c) -> double& { return N[r * 2 * m + c]; };
        for (int a = 0; a < m; ++a) {
            for (int c = 0; c < m; ++c)
                for (int i = 0; i < n; ++i)
                    at(a, c) += A[i][s[a]] * A[i][s[c]] / (sigma[i] * sigma[i]);
            at(a, m + a) = 1.0;
        }
        for (int p = 0; p < m; ++p) {
            const double pivot = at(p, p);
            for (int c = 0; c < 2 * m; ++c) at(p, c) /= pivot;
            for (int r = 0; r < m; ++r) {
                if (r == p) continue;
                const double factor = at(r, p);
                for (int c = 0; c < 2 * m; ++c) at(r, c) -= factor * at(p, c);
            }
        }
        std::vector<double> C(m * m);
        for (int a = 0; a < m; ++a)
            for (int c = 0; c < m; ++c) C[a * m + c] = at(a, m + c);
        return C;
    }
};

void expect_same(const std::vector<double>& C, const std::vector<double>& exact) {
    ASSERT_EQ(C.size(), exact.size());
    for (std::size_t i = 0; i < C.size(); ++i)
        EXPECT_NEAR(C[i], exact[i], 1e-9 * std::fabs(exact[i]) + 1e-15) << i;
}

} // namespace

TEST(Covariance, OfALinearProblemIsTheInverseNormalMatrix) {
    const Linear linear;
    const std::vector<double> centre = {0.45, 0.5, 0.55};
    const auto C = covariance_at(linear.residuals(), centre, {0, 1, 2});
    ASSERT_TRUE(C);
    expect_same(*C, linear.closed_form({0, 1, 2}));
    // The errors are small against the box, and strongly correlated: a real test of the axes.
    EXPECT_LT(std::sqrt((*C)[0]), 0.05);
    EXPECT_GT(std::fabs((*C)[1]) / std::sqrt((*C)[0] * (*C)[4]), 0.5);
}

TEST(Covariance, HoldsACoordinateOnTheBoundsAndGivesTheOthersTheirConditionalCovariance) {
    const Linear linear;
    const std::vector<double> u = {0.45, 1.0, 0.55};
    EXPECT_EQ(on_the_bounds(u), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(on_the_bounds({0.0, 0.3, 1.0}), (std::vector<bool>{true, false, true}));
    const auto C = covariance_at(linear.residuals(), u, {0, 2});
    ASSERT_TRUE(C);
    const std::vector<double> held = linear.closed_form({0, 2});
    expect_same(*C, held);
    // Held, the bound coordinate no longer inflates the others: smaller than the marginal errors.
    const std::vector<double> all = linear.closed_form({0, 1, 2});
    EXPECT_LT(held[0], all[0]);
    EXPECT_LT(held[3], all[8]);
    // With every coordinate held there is nothing to estimate, and nothing is undetermined.
    const auto none = covariance_at(linear.residuals(), u, {});
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(Covariance, ADirectionTheDataDoNotTouchIsUndetermined) {
    Linear linear;
    for (auto& row : linear.A) row[2] = 2.0 * row[0]; // the third column follows the first
    EXPECT_FALSE(covariance_at(linear.residuals(), {0.5, 0.5, 0.5}, {0, 1, 2}));
    EXPECT_TRUE(covariance_at(linear.residuals(), {0.5, 0.5, 0.5}, {0, 1}));
}

TEST(Covariance, TheDerivativeStepStaysWithinTheBox) {
    // A step wider than the box (bounds narrower than the relative step of a derivative) is
    // capped, so that a derivative is found from any point of the box, one-sided on an edge.
    Linear linear;
    WeightedResiduals f = linear.residuals();
    f.steps = {2.5, 1e-2, 1e-2};
    EXPECT_LE(derivative_step(f, 0), 0.5);
    EXPECT_EQ(derivative_step(f, 1), 1e-2);
    std::vector<double> r(Linear::n), column(Linear::n);
    for (double u0 : {0.0, 0.3, 1.0}) {
        const std::vector<double> u = {u0, 0.5, 0.5};
        ASSERT_TRUE(f.evaluate(u, r.data()));
        ASSERT_TRUE(jacobian_column(f, u, 0, r.data(), true, column.data())) << u0;
        for (int i = 0; i < Linear::n; ++i)
            EXPECT_NEAR(column[i], linear.A[i][0] / linear.sigma[i], 1e-9) << u0;
    }
}

TEST(SideBySide, AnExceptionOfAWorkerThreadReachesTheCaller) {
    for (int threads : {1, 2, 4}) {
        std::atomic<int> done{0};
        EXPECT_THROW(side_by_side(50, threads,
                                  [&](int i) {
                                      if (i == 7) throw std::runtime_error("no model");
                                      ++done;
                                  }),
                     std::runtime_error);
        EXPECT_LT(done.load(), 50);
    }
    std::atomic<int> sum{0};
    side_by_side(10, 3, [&](int i) { sum += i; });
    EXPECT_EQ(sum.load(), 45);
}
