#include "reference_model.hpp"

#include <cmath>

namespace snmodel::reference {

using namespace settings;

namespace {

template <class AtStart, class Integrand>
double simpson_from_zero(double x, AtStart f_start, Integrand f) {
    const double h = kPanelWidth;
    double z = 0.0;
    double sum = 0.0;
    while (x > z) {
        sum = sum + h * (f_start(z) + 4.0 * f(z + h / 2.0) + f(z + h)) / 6.0;
        z = z + h;
    }
    return sum;
}

double IM_int(double x, double a, double p) {
    auto f = [a, p](double z) { return eta(z, a) * std::pow(z, p); };
    return simpson_from_zero(x, f, f);
}

double Ith_int(double x) {
    auto f = [](double z) { return psi(z) * std::pow(z, 2.0); };
    auto f_start = [](double z) { return psi(z) * z * z; };
    return simpson_from_zero(x, f_start, f);
}

double mass_integral(double a, double s) {
    if (s == 0.0) return IM_int(1.0, a, 2.0);
    return (3.0 * std::pow(kCoreEdge, s) - 0.064 * s) / (3.0 * (3.0 - s));
}

double kinetic_integral(double a, double s) {
    if (s == 0.0) return IM_int(1.0, a, 4.0);
    return (5.0 * std::pow(kCoreEdge, s) - std::pow(kCoreEdge, 5.0) * s) / (5.0 * (5.0 - s));
}

ModelState prepare(const ModelState& parameters) {
    ModelState m = parameters;
    m.M = m.M * kSolarMass;
    m.Mni = m.Mni * kSolarMass;
    m.E = m.E * kFoe;
    m.Ek = m.Ek * kFoe;
    m.Ep = m.Ep * kFoe;
    m.tp = m.tp * kDay;
    m.Ag = m.Ag * kDaySquared;
    m.T0 = std::pow(kPi * m.E / (4.0 * kRadiationConstant * m.R0 * m.R0 * m.R0), 0.25);
    m.tmax = m.tmax * kDay;
    start_integration(m);
    m.Q = (m.Z * kRecombinationEnergy / m.A) * std::pow(m.Z, kRecombinationExponent);
    m.Ith = Ith_int(1.0);
    m.mass_integral = mass_integral(m.a, m.s);
    m.kinetic_integral = kinetic_integral(m.a, m.s);
    m.v = std::sqrt(2.0 * m.Ek * m.mass_integral / (m.kinetic_integral * m.M));
    m.rho = m.M / (kFourPi * m.R0 * m.R0 * m.R0 * m.mass_integral);
    m.td = 3.0 * m.kappa * m.rho * m.R0 * m.R0 / kDiffusionConstant;
    m.th = m.R0 / m.v;
    m.Eth = kFourPi * m.R0 * m.R0 * m.R0 * kRadiationConstant * std::pow(m.T0, 4.0) * m.Ith;
    m.t0 = std::pow(2.0 * m.th * m.td, 0.5);
    heating_coefficients(m);
    return m;
}

double series(double x) {
    const double u = kPi * x;
    return ((1.0 - std::pow(u, 2.0) / 6.0) + std::pow(u, 4.0) / 120.0) - std::pow(u, 6.0) / 5040.0 +
           std::pow(u, 8.0) / 362880.0;
}

double temp(ModelState& m, double Tc, double xmax) {
    double lo = kCoreEdge;
    double hi = xmax;
    double mid;
    while (hi - lo >= kFrontTolerance) {
        mid = (lo + hi) / 2.0;
        const double T = std::pow(psi(mid), 0.25) * Tc;
        if (T == m.Tion) break;
        if (T > m.Tion)
            lo = mid;
        else
            hi = mid;
    }
    mid = (lo + hi) / 2.0;
    if (xmax > mid) return mid + kFrontTolerance / 2.0;
    return xmax;
}

double extra_power(const ModelState& m, double t) {
    if (m.tp == 0.0) return 0.0;
    const double q = 1.0 + t / m.tp;
    return m.Ep / (m.tp * (q * q));
}

void decay(ModelState& m, double t) {
    m.Xni = std::exp(-t / m.tni);
    m.Xco = (std::exp(-t / m.tco) - std::exp(-t / m.tni)) / (-m.tni * (1.0 / m.tco - 1.0 / m.tni));
}

double Frk(ModelState& m, double t, double y, double c) {
    const double Lp = extra_power(m, t);
    const double r = (m.v * t + m.R0) / m.R0;
    const double Tc = std::pow(y, 0.25) * m.T0 / r;
    double xn = kCoreEdge;
    if (m.xi >= kCoreEdge && Tc > m.Tion) xn = reference::temp(m, Tc, m.xh);
    m.segedvalt1 = xn;
    const double D = xn * (series(m.xh) - series(xn)) / c;
    m.segedvalt2 = D;
    decay(m, t);
    const double S = m.p5 * m.Xco + m.Xni;
    return (r / (xn * xn * xn)) *
           (m.p1 * S - m.p2 * y * xn - 2.0 * y * xn * xn * D * m.tni / (r * m.dt) + m.p3 * Lp);
}

double recombination_luminosity(const ModelState& m) {
    const double shape = m.s == 0.0 ? eta(m.xi, m.a) : theta(m.xi, m.s);
    const double Lion =
        -kFourPi * m.rho * shape * std::pow(m.sigma, -3.0) * m.Q * m.ri * m.ri * m.dr / m.dt;
    return Lion < 0.0 ? 0.0 : Lion;
}

// Returns log10 Lsn, which the step computed for every row.
double runge_kutta_step(ModelState& m) {
    const double G = 1.0 - std::exp(-m.Ag / (m.t * m.t));
    m.R = m.v * m.t + m.R0;
    m.sigma = m.R / m.R0;

    const double k1 = reference::Frk(m, m.t, m.F, 1.0);
    m.segedvalt3 = m.segedvalt1;
    m.dxi = m.segedvalt2 / 6.0;
    const double k2 = reference::Frk(m, m.t + 0.5 * m.dt, m.F + 0.5 * k1 * m.dt / m.tni, 1.5);
    m.dxi = m.dxi + 2.0 * m.segedvalt2 / 6.0;
    const double k3 = reference::Frk(m, m.t + 0.5 * m.dt, m.F + 0.5 * k2 * m.dt / m.tni, 1.5);
    m.dxi = m.dxi + 2.0 * m.segedvalt2 / 6.0;
    const double k4 = reference::Frk(m, m.t + m.dt, m.F + k3 * m.dt / m.tni, 2.0);
    m.dxi = m.dxi + m.segedvalt2 / 6.0;
    m.F = m.F + m.dt * (k1 + 2.0 * k2 + 2.0 * k3 + k4) / (6.0 * m.tni);

    m.xi = m.segedvalt3;
    m.ri = m.xi * m.R;
    m.dr = m.dxi * m.R;
    if (m.dr > 0.0) m.dr = 0.0;
    m.Lion = recombination_luminosity(m);
    m.L = m.xi * m.F * m.Eth * G / m.td;
    m.Lsn = m.L + m.Lion;
    const double logL = std::log10(m.Lsn);

    decay(m, m.t);
    m.g = m.p5 * m.Xco + m.Xni;
    return logL;
}

} // namespace

std::vector<ModelRow> model_rows(const ModelState& parameters) {
    ModelState m = prepare(parameters);
    std::vector<ModelRow> rows;
    int faint_steps = 0;
    while (m.tmax >= m.t) {
        const double logL = reference::runge_kutta_step(m);
        rows.push_back({m.t, m.Lsn, logL, m.L, m.Lion, m.xi, m.g});
        advance_time(m, faint_steps);
    }
    return rows;
}

} // namespace snmodel::reference
