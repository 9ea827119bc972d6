#include "report.hpp"

#include "cli.hpp"
#include "fit_constants.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace snfit {

namespace {

double rounded(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", settings::kSignificantDigits, value);
    return std::strtod(text, nullptr);
}

// The shortest text that reads back as the same double.
std::string exact(double value) {
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

bool is_free(const Problem& problem, int index, int& j) {
    for (j = 0; j < static_cast<int>(problem.free.size()); ++j)
        if (problem.free[j].index == index) return true;
    return false;
}

double chi_square_of(const Problem& problem, const Outcome& o) {
    // With an uncertain distance the residuals are taken after the common shift of the distance
    // modulus that fits them best, and the shift's own prior term is one more term of chi2.
    if (problem.distance_modulus_sigma > 0) return chi_square(problem, o.best);
    double sum = 0.0;
    for (std::size_t i = 0; i < problem.points.size(); ++i) {
        if (!problem.in_fit[i]) continue;
        const double r = (problem.points[i].mag - o.model[i]) / problem.sigma[i];
        sum += r * r;
    }
    if (problem.velocity) {
        const double r = (o.velocity - problem.velocity->value) / problem.velocity->sigma;
        sum += r * r;
    }
    return sum + prior_chi_square(problem, o.best);
}

const char* unit_of(int index) {
    const char* unit = parameter_info(index).unit;
    return *unit ? unit : "-";
}

// A model that gives no light (Ag = 0 keeps no gamma rays: nothing heats the ejecta once the
// plateau ends) has no finite magnitude; a curve of nan or inf is no curve, so no output is
// written.
void refuse_non_finite(const Problem& problem, const Outcome& o) {
    auto refuse = [](double date) {
        char reason[160];
        std::snprintf(reason, sizeof reason,
                      "the best model's magnitude at JD-2400000 %.6f is not a finite number: the "
                      "model gives no light there; nothing is written",
                      date);
        throw snphot::RunFailure(settings::kModelCurve, reason);
    };
    for (const snmodel::ModelRow& row : o.curve)
        if (!std::isfinite(magnitude_of(row.Lsn)))
            refuse(o.best[kExplosionDate] + row.t / snmodel::settings::kDay);
    for (std::size_t i = 0; i < o.model.size(); ++i)
        if (!std::isfinite(o.model[i])) refuse(problem.points[i].date);
}

} // namespace

Outcome outcome_of(const Problem& problem, const FitResult& fit) {
    Outcome o;
    o.fit = fit;
    o.best = fit.best;
    for (const FreeParameter& p : problem.free) o.best[p.index] = rounded(o.best[p.index]);
    o.best[kTmax] = rounded(problem.end_date - o.best[kExplosionDate]);

    std::vector<double> dates;
    for (const Point& p : problem.points) dates.push_back(p.date);
    o.model = model_magnitudes(o.best, dates);
    o.velocity = model_velocity(o.best);
    o.chi2 = chi_square_of(problem, o);
    o.distance_offset = distance_offset_at(problem, o.best);
    o.curve = snmodel::model_rows(parameters_of(o.best), true);
    refuse_non_finite(problem, o);
    return o;
}

void write_table(std::FILE* out, const Problem& problem, const Outcome& o) {
    std::fprintf(out, "%-16s %-16s %-12s %s\n", "parameter", "best value", "1 sigma", "unit");
    auto row = [&](int index) {
        int j;
        const char* name = parameter_info(index).name;
        if (!is_free(problem, index, j)) {
            std::fprintf(out, "%-16s %-16.10g %-12s %s\n", name, o.best[index], "fixed",
                         unit_of(index));
            return;
        }
        char error[32] = "undetermined";
        if (o.fit.at_bound[j])
            std::snprintf(error, sizeof error, "at a bound");
        else if (o.fit.covariance)
            std::snprintf(error, sizeof error, "%.4g", o.fit.error[j]);
        std::fprintf(out, "%-16s %-16.10g %-12s %s\n", name, o.best[index], error, unit_of(index));
    };
    row(kExplosionDate);
    for (int index = 0; index < kTmax; ++index) row(index);
    std::fprintf(out, "%-16s %-16.10g %-12s %s\n", "tmax", o.best[kTmax], "",
                 "d (to the end of fit-model.txt)");
    const int dof = problem.degrees_of_freedom();
    std::fprintf(out, "\nchi2: %.4f\n", o.chi2);
    std::fprintf(out, "degrees of freedom: %d\n", dof);
    std::fprintf(out, "reduced chi2: %.4f\n", o.chi2 / dof);
    std::fprintf(out, "model runs: %ld\n", o.fit.model_runs);
    std::fprintf(out, "converged: %s\n", o.fit.converged ? "yes" : "no");
}

namespace {

// One line on the parameters at a bound: held there for the errors of the others.
void write_held(std::FILE* out, const Problem& problem, const Outcome& o) {
    std::string held;
    for (std::size_t j = 0; j < problem.free.size(); ++j)
        if (o.fit.at_bound[j])
            held += (held.empty() ? "" : ", ") +
                    std::string(parameter_info(problem.free[j].index).name);
    if (!held.empty())
        std::fprintf(out,
                     "at a bound, held there for the errors of the others: %s (one-sided "
                     "interval: snpost)\n",
                     held.c_str());
}

} // namespace

void write_report(std::FILE* out, const Problem& problem, const Outcome& o, int threads) {
    std::fprintf(out, "snfit: the light-curve model fitted to %s\n\n", kBolometricCurve);
    double first = 0, last = 0;
    bool any = false;
    for (std::size_t i = 0; i < problem.points.size(); ++i) {
        if (!problem.in_fit[i]) continue;
        const double d = problem.points[i].date;
        first = any ? std::min(first, d) : d;
        last = any ? std::max(last, d) : d;
        any = true;
    }
    std::fprintf(out, "data: %zu points, %d in the fit, from %.6f to %.6f (JD-2400000)\n",
                 problem.points.size(), problem.fitted, first, last);
    std::fprintf(out, "uncertainties: those of the file, %g mag added in quadrature\n",
                 problem.systematic);
    if (problem.velocity)
        std::fprintf(out, "velocity constraint: %g +- %g km/s; the model's v = %.1f km/s\n",
                     problem.velocity->value, problem.velocity->sigma, o.velocity);
    else
        std::fprintf(out, "velocity constraint: none (the model's v = %.1f km/s)\n", o.velocity);
    if (problem.distance_modulus_sigma > 0)
        std::fprintf(out,
                     "distance: uncertain by %.4f mag in distance modulus ([bolometric] "
                     "distance_pc_sigma), a nuisance parameter of that Gaussian prior; the best "
                     "fit shifts the distance modulus by %+.4f mag (the model magnitudes of "
                     "fit-model.txt and fit-residuals.txt are shifted by it); the errors of the "
                     "parameters include the distance error\n",
                     problem.distance_modulus_sigma, o.distance_offset);
    for (const PriorTerm& p : problem.priors)
        std::fprintf(out, "prior: %s = %g +- %g %s (Gaussian, one more term of chi2)\n",
                     parameter_info(p.index).name, p.prior.mean, p.prior.sigma, unit_of(p.index));
    std::fprintf(out, "starts of the global stage: %d, on %d thread%s\n\n", o.fit.starts, threads,
                 threads == 1 ? "" : "s");

    write_table(out, problem, o);

    std::fprintf(out, "\nerrors: 1 sigma from the covariance (J^T J)^-1 at the optimum, J taken "
                      "along its principal axes\n        over one sigma; not scaled by the reduced "
                      "chi2\n");
    write_held(out, problem, o);
    std::fprintf(out, "correlation matrix (columns in the order of the rows):\n");
    for (std::size_t i = 0; i < problem.free.size(); ++i) {
        std::fprintf(out, "%-16s", parameter_info(problem.free[i].index).name);
        for (std::size_t j = 0; j < problem.free.size(); ++j) {
            if (o.fit.covariance && !o.fit.at_bound[i] && !o.fit.at_bound[j])
                std::fprintf(out, " %7.4f", o.fit.correlation[i][j]);
            else
                std::fprintf(out, " %7s", "-");
        }
        std::fprintf(out, "\n");
    }
}

void write_parameters(std::FILE* out, const Outcome& o) {
    for (int index = 0; index < kFileParameters; ++index)
        std::fprintf(out, "%s\n", exact(o.best[index]).c_str());
}

void write_model_curve(std::FILE* out, const Outcome& o) {
    std::fprintf(out, "# JD-2400000 M_bol(model)\n");
    for (const snmodel::ModelRow& row : o.curve)
        std::fprintf(out, "%.6f %.6f\n", o.best[kExplosionDate] + row.t / snmodel::settings::kDay,
                     magnitude_of(row.Lsn) + o.distance_offset);
}

void write_residuals(std::FILE* out, const Problem& problem, const Outcome& o) {
    std::fprintf(out, "# JD-2400000 M_bol sigma M_bol(model) (observed-model)/sigma in_fit\n");
    for (std::size_t i = 0; i < problem.points.size(); ++i) {
        const Point& p = problem.points[i];
        const double model = o.model[i] + o.distance_offset;
        std::fprintf(out, "%.6f %.6f %.6f %.6f %.4f %d\n", p.date, p.mag, problem.sigma[i], model,
                     (p.mag - model) / problem.sigma[i],
                     problem.in_fit[i] ? 1 : 0);
    }
}

} // namespace snfit
