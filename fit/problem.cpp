#include "problem.hpp"

#include "cli.hpp"
#include "light_curve.hpp"
#include "parameters.hpp"
#include "fit_constants.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace snfit {

namespace {

using snphot::RunFailure;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string interval(const Bound& b) {
    return "[" + number(b.low) + ", " + number(b.high) + "]";
}

struct Bounds {
    Bound bound;
    std::string where; // the line of the [fit] table, or "" for the defaults
};

Bounds bounds_of(int index, const FitSettings& settings, double first_date) {
    const auto given = settings.bounds.find(index);
    if (given != settings.bounds.end()) return {given->second, settings.bound_source.at(index)};
    Bound bound = parameter_info(index).default_bound;
    if (index == kExplosionDate) bound = {first_date + bound.low, first_date + bound.high};
    return {bound, ""};
}

// A bound must itself be a value the model accepts; the envelope index must not cross 0 (where
// the exponential envelope takes over) nor the forbidden 3 and 5.
void check_physical(int index, const Bounds& b) {
    if (index == kExplosionDate || b.where.empty()) return;
    const std::string key = std::string("[fit] bounds.") + parameter_info(index).name + ": ";
    for (double value : {b.bound.low, b.bound.high}) {
        const std::string fault = snmodel::parameter_fault(index, value);
        if (!fault.empty()) throw RunFailure(b.where, key + number(value) + " " + fault);
    }
    if (index == kS) {
        const auto contains = [&](double s) { return b.bound.low <= s && s <= b.bound.high; };
        if (b.bound.low <= 0.0 || contains(3.0) || contains(5.0))
            throw RunFailure(b.where, key + "s must stay within (0, 3), (3, 5) or above 5");
    }
}

// A start value, where it stands (for messages) and what it is.
struct Start {
    double value = 0;
    std::string where; // "parameters.inp", "snphot.toml:LINE" or the data file
    std::string what;  // for the message when given bounds exclude it
};

void check_start(int index, const Bounds& b, const Start& start) {
    if (b.bound.low <= start.value && start.value <= b.bound.high) return;
    const std::string name = parameter_info(index).name;
    if (b.where.empty())
        throw RunFailure(start.where, name + " = " + number(start.value) +
                                          " lies outside the default bounds " + interval(b.bound) +
                                          " of the fit: give bounds." + name +
                                          " in the [fit] table of snphot.toml");
    throw RunFailure(b.where, "[fit] bounds." + name + " = " + interval(b.bound) +
                                  " do not contain the start value " + number(start.value) + " (" +
                                  start.what + ")");
}

Start explosion_start(const FitSettings& settings, const Bounds& b, double first_date) {
    if (settings.explosion_date)
        return {*settings.explosion_date, settings.explosion_date_source,
                "explosion_date in " + settings.explosion_date_source};
    const double start = first_date - settings::kDefaultStartBeforeData;
    // Bounds given without a start: a default start outside them would only be a trap.
    if (!b.where.empty() && (start < b.bound.low || start > b.bound.high))
        return {0.5 * (b.bound.low + b.bound.high), b.where, "the middle of the bounds"};
    return {start, kBolometricCurve, "10 days before the first data point"};
}

void select_points(Problem& problem, const FitSettings& settings, const std::string& curve_name) {
    for (const Point& p : problem.points) {
        const bool in =
            !settings.dates || (settings.dates->low <= p.date && p.date <= settings.dates->high);
        const double sigma =
            std::sqrt(p.error * p.error + settings.systematic * settings.systematic);
        if (in && !(sigma > 0.0))
            throw RunFailure(snphot::at_line(curve_name, p.line),
                             "an uncertainty of 0 and no systematic: the point has no weight");
        problem.in_fit.push_back(in);
        problem.sigma.push_back(sigma);
        if (in) ++problem.fitted;
    }
}

// Every model run integrates from the explosion to the last point: a date mistyped as a full JD
// (2458100 for 58100) would make each run hours long.
void check_span(const std::vector<Point>& points, double latest_explosion) {
    for (const Point& p : points)
        if (p.date - latest_explosion > settings::kLongestSpan)
            throw RunFailure(snphot::at_line(kBolometricCurve, p.line),
                             "JD-2400000 " + number(p.date) + " is more than " +
                                 number(settings::kLongestSpan) +
                                 " days after the latest explosion date of the fit, " +
                                 number(latest_explosion) + " (a full JD?)");
}

// A Gaussian prior is one more term of chi^2 on a free parameter; on a fixed one it would say
// nothing, and is refused as a slip.
void add_priors(Problem& problem, const FitSettings& settings) {
    for (const auto& [index, prior] : settings.priors) {
        const int parameter = index; // a structured binding cannot be captured before C++20
        const bool free = std::any_of(problem.free.begin(), problem.free.end(),
                                      [&](const FreeParameter& p) { return p.index == parameter; });
        const std::string name = parameter_info(index).name;
        if (!free)
            throw RunFailure(settings.prior_source.at(index),
                             "[fit] priors." + name + ": " + name + " is not free");
        problem.priors.push_back({index, prior});
    }
}

} // namespace

Problem make_problem(const snmodel::ModelState& parameters, const std::string& parameter_file,
                     std::vector<Point> points, const FitSettings& settings) {
    if (snmodel::forbidden_index(parameters.s))
        throw RunFailure(parameter_file, "parameter 8 (s) must not be 3 or 5");
    Problem problem;
    problem.points = std::move(points);
    problem.velocity = settings.velocity;
    problem.systematic = settings.systematic;
    double first = 0.0, last = 0.0;
    if (!problem.points.empty()) {
        const auto [lo, hi] =
            std::minmax_element(problem.points.begin(), problem.points.end(),
                                [](const Point& a, const Point& b) { return a.date < b.date; });
        first = lo->date;
        last = hi->date;
    }
    problem.end_date = last + settings::kModelCurvePastData;
    select_points(problem, settings, kBolometricCurve);

    const Start date = explosion_start(settings, bounds_of(kExplosionDate, settings, first), first);
    problem.start = values_of(parameters, date.value);
    if (!problem.points.empty() && date.value > first)
        throw RunFailure(date.where, "[fit] explosion_date " + number(date.value) +
                                         " is after the first data point " + number(first));

    double latest = date.value; // the latest explosion date the fit may reach
    for (int index : settings.free)
        if (index == kExplosionDate) latest = bounds_of(index, settings, first).bound.high;
    check_span(problem.points, latest);

    for (int index : settings.free) {
        const Bounds b = bounds_of(index, settings, first);
        check_physical(index, b);
        check_start(index, b,
                    index == kExplosionDate
                        ? date
                        : Start{problem.start[index], parameter_file, "parameters.inp"});
        if (index == kExplosionDate && !problem.points.empty() && b.bound.high > first)
            throw RunFailure(b.where, "[fit] bounds.explosion_date: the explosion could fall "
                                      "after the first data point " +
                                          number(first));
        const bool positive = index != kExplosionDate && b.bound.low > 0.0;
        problem.free.push_back({index, b.bound, positive});
    }

    add_priors(problem, settings);
    problem.distance_modulus_sigma = settings.distance_modulus_sigma;

    const int needed = static_cast<int>(problem.free.size()) + 1;
    if (problem.fitted < needed)
        throw RunFailure(kBolometricCurve,
                         std::to_string(problem.fitted) + " data points in the fit for " +
                             std::to_string(problem.free.size()) + " free parameters: at least " +
                             std::to_string(needed) + " are needed");
    return problem;
}

double magnitude_of(double Lsn) {
    return settings::kSunMagnitude - 2.5 * std::log10(Lsn / settings::kSunLuminosity);
}

std::vector<double> model_magnitudes(const Values& values, std::span<const double> dates) {
    std::vector<double> times;
    times.reserve(dates.size());
    for (double date : dates)
        times.push_back(std::max(0.0, (date - values[kExplosionDate]) * snmodel::settings::kDay));
    std::vector<double> mags = snmodel::luminosity_at(parameters_of(values), times);
    for (double& m : mags) m = magnitude_of(m);
    return mags;
}

double model_velocity(const Values& values) {
    return snmodel::expansion_velocity(parameters_of(values)) / snmodel::settings::kVelocityUnit;
}

Residuals::Residuals(const Problem& problem)
    : velocity_(problem.velocity), priors_(problem.priors),
      distance_sigma_(problem.distance_modulus_sigma) {
    for (std::size_t i = 0; i < problem.points.size(); ++i) {
        if (!problem.in_fit[i]) continue;
        dates_.push_back(problem.points[i].date);
        observed_.push_back(problem.points[i].mag);
        sigma_.push_back(problem.sigma[i]);
    }
}

bool Residuals::evaluate(const Values& values, double* residuals) const {
    const std::vector<double> model = model_magnitudes(values, dates_);
    for (std::size_t i = 0; i < model.size(); ++i) {
        residuals[i] = (observed_[i] - model[i]) / sigma_[i];
        if (!std::isfinite(residuals[i])) return false;
    }
    if (velocity_) {
        const double r = (model_velocity(values) - velocity_->value) / velocity_->sigma;
        residuals[model.size()] = r;
        if (!std::isfinite(r)) return false;
    }
    double* prior_terms = residuals + model.size() + (velocity_ ? 1 : 0);
    for (const PriorTerm& p : priors_)
        *prior_terms++ = (values[p.index] - p.prior.mean) / p.prior.sigma;
    if (distance_sigma_ > 0) {
        const double offset = distance_offset(residuals);
        for (std::size_t i = 0; i < model.size(); ++i) residuals[i] -= offset / sigma_[i];
        *prior_terms = offset / distance_sigma_;
    }
    return true;
}

double Residuals::distance_offset(const double* data_residuals) const {
    if (!(distance_sigma_ > 0)) return 0.0;
    double weighted = 0.0, weight = 1.0 / (distance_sigma_ * distance_sigma_);
    for (std::size_t i = 0; i < sigma_.size(); ++i) {
        weighted += data_residuals[i] / sigma_[i];
        weight += 1.0 / (sigma_[i] * sigma_[i]);
    }
    return weighted / weight;
}

double distance_offset_at(const Problem& problem, const Values& values) {
    if (!(problem.distance_modulus_sigma > 0)) return 0.0;
    const Residuals residuals(problem);
    std::vector<double> r(residuals.count());
    if (!residuals.evaluate(values, r.data())) return NAN;
    return r.back() * problem.distance_modulus_sigma;
}

double prior_chi_square(const Problem& problem, const Values& values) {
    double sum = 0.0;
    for (const PriorTerm& p : problem.priors) {
        const double r = (values[p.index] - p.prior.mean) / p.prior.sigma;
        sum += r * r;
    }
    return sum;
}

double chi_square(const Problem& problem, const Values& values) {
    const Residuals residuals(problem);
    std::vector<double> r(residuals.count());
    if (!residuals.evaluate(values, r.data())) return NAN;
    double sum = 0.0;
    for (double x : r) sum += x * x;
    return sum;
}

} // namespace snfit
