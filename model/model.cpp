#include "model.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace snmodel {

using namespace settings;

double psi(double x) {
    if (x == 1.0) return 0.0;
    if (x > 0.0) return std::sin(kPi * x) / (kPi * x);
    return 1.0;
}

double eta(double x, double a) {
    if (x < kCoreEdge) return 1.0;
    return std::exp(-a * (x - kCoreEdge));
}

double theta(double x, double s) {
    if (x < kCoreEdge) return 1.0;
    return std::pow(x / kCoreEdge, -s);
}

namespace {

// Powers of u as double-double numbers (hi + lo, |lo| below half an ulp of hi), exact to about
// 1e-30 relative: products split after Dekker, so that no fused multiply-add is needed.
struct Wide {
    double hi, lo;
};

void dekker_split(double a, double& high, double& low) {
    const double c = 134217729.0 * a; // 2^27 + 1
    high = c - (c - a);
    low = a - high;
}

Wide exact_product(double a, double b) {
    double ah, al, bh, bl;
    dekker_split(a, ah, al);
    dekker_split(b, bh, bl);
    const double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

Wide times(Wide a, Wide b) {
    const Wide p = exact_product(a.hi, b.hi);
    const double lo = p.lo + (a.hi * b.lo + a.lo * b.hi);
    const double hi = p.hi + lo;
    return {hi, lo - (hi - p.hi)};
}

// The double nearest to v, when v lies at least a tenth of an ulp away from a tie: there pow,
// whose error stays below 0.54 ulp, returns that double too. NaN where it cannot be told.
double nearest_double(Wide v) {
    const double r = v.hi + v.lo;
    const double off = (v.hi - r) + v.lo;
    const auto bits = std::bit_cast<std::uint64_t>(r);
    if ((bits & 0x000fffffffffffffULL) == 0) return std::numeric_limits<double>::quiet_NaN();
    const double ulp = std::bit_cast<double>(bits & 0x7ff0000000000000ULL) * 0x1p-52;
    return std::abs(off) < 0.4 * ulp ? r : std::numeric_limits<double>::quiet_NaN();
}

// pow(u, n) to the bit for the exact power `power` of u; pow itself decides the rare close cases.
double power_as_pow(Wide power, double u, double n) {
    const double r = nearest_double(power);
    return std::isnan(r) ? std::pow(u, n) : r;
}

} // namespace

double series(double x) {
    const double u = kPi * x;
    if (!(std::abs(u) > 1e-30 && std::abs(u) < 1e30)) // beyond the reach of the exact powers
        return ((1.0 - std::pow(u, 2.0) / 6.0) + std::pow(u, 4.0) / 120.0) -
               std::pow(u, 6.0) / 5040.0 + std::pow(u, 8.0) / 362880.0;
    const Wide u2 = exact_product(u, u);
    const Wide u4 = times(u2, u2);
    const Wide u6 = times(u4, u2);
    const Wide u8 = times(u4, u4);
    return ((1.0 - power_as_pow(u2, u, 2.0) / 6.0) + power_as_pow(u4, u, 4.0) / 120.0) -
           power_as_pow(u6, u, 6.0) / 5040.0 + power_as_pow(u8, u, 8.0) / 362880.0;
}

namespace {

// Simpson's rule from 0 in panels of kPanelWidth while the panel start lies below x; z
// accumulates its rounding, so for x = 1 the last of the 10001 panels ends near 1.0001.
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


// The same rule when the integrand at a panel's start is the one at the previous panel's end: z
// advances by the very sum z + h at which that end was evaluated, so it is taken over.
template <class Integrand> double simpson_from_zero(double x, Integrand f) {
    const double h = kPanelWidth;
    double z = 0.0;
    double sum = 0.0;
    double at_start = f(z);
    while (x > z) {
        const double at_end = f(z + h);
        sum = sum + h * (at_start + 4.0 * f(z + h / 2.0) + at_end) / 6.0;
        at_start = at_end;
        z = z + h;
    }
    return sum;
}

// The envelope integral over [0, 1] of the latest (a, p) of this thread: a fit that leaves a fixed
// asks for the same two integrals at every run.
double IM_int_to_one(double a, double p) {
    thread_local struct {
        double a = std::numeric_limits<double>::quiet_NaN(), p = 0, value = 0;
    } last[2];
    auto& slot = last[p == 2.0 ? 0 : 1];
    if (slot.a != a || slot.p != p) slot = {a, p, IM_int(1.0, a, p)};
    return slot.value;
}

} // namespace

double IM_int(double x, double a, double p) {
    return simpson_from_zero(x, [a, p](double z) { return eta(z, a) * std::pow(z, p); });
}

double Ith_int(double x) {
    auto f = [](double z) { return psi(z) * std::pow(z, 2.0); };
    auto f_start = [](double z) { return psi(z) * z * z; };
    return simpson_from_zero(x, f_start, f);
}

namespace {

// The thermal shape integral to 1 depends on no parameter: it is summed once.
double thermal_shape_integral() {
    static const double value = Ith_int(1.0);
    return value;
}

} // namespace

double mass_integral(double a, double s) {
    if (s == 0.0) return IM_int_to_one(a, 2.0);
    return (3.0 * std::pow(kCoreEdge, s) - 0.064 * s) / (3.0 * (3.0 - s)); // 0.064 = 0.4^3
}

double kinetic_integral(double a, double s) {
    if (s == 0.0) return IM_int_to_one(a, 4.0);
    return (5.0 * std::pow(kCoreEdge, s) - std::pow(kCoreEdge, 5.0) * s) / (5.0 * (5.0 - s));
}

double temp(const ModelState& m, double Tc, double xmax) {
    double lo = kCoreEdge;
    double hi = xmax;
    double mid;
    while (hi - lo >= kFrontTolerance) {
        mid = (lo + hi) / 2.0;
        const double T = std::pow(psi(mid), 0.25) * Tc;
        if (T == m.Tion) break;
        // Beyond x = 1 psi is negative and T not a number: neither test holds, hi comes down.
        if (T > m.Tion)
            lo = mid;
        else
            hi = mid;
    }
    mid = (lo + hi) / 2.0;
    if (xmax > mid) return mid + kFrontTolerance / 2.0;
    return xmax;
}


ProfilePoint profile_point(double x) {
    const double u = kPi * x;
    const double sine = std::sin(u);
    const double value = sine / u;
    const double slope = (std::cos(u) - value) / x;
    return {x, value, slope, -kPi * kPi * value - 2.0 * slope / x};
}

double profile_root(double c, ProfilePoint& from) {
    // psi falls from 1 to 0 over [0, 1]: psi - c changes sign once there. The bracket [lo, hi]
    // keeps the root; a Halley step that would leave it is replaced by a halving.
    double lo = 0.0, hi = 1.0;
    ProfilePoint at = from.x > lo && from.x < hi ? from : profile_point(0.9);
    for (int i = 0; i < 100; ++i) {
        const double g = at.value - c;
        if (g > 0.0)
            lo = at.x;
        else
            hi = at.x;
        const double next =
            at.x - 2.0 * g * at.slope / (2.0 * at.slope * at.slope - g * at.curvature);
        if (next > lo && next < hi) {
            // The error after a Halley step is below 3 times the step cubed over [0.3, 1]
            // (where psi falls steeply), under 4e-10 for the steps taken here.
            if (std::abs(next - at.x) < 5e-4) {
                from = at;
                return next;
            }
            at = profile_point(next);
        } else {
            at = profile_point(0.5 * (lo + hi));
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

namespace {

// Midpoints farther than this from the root of the profile need no evaluation of it: the
// temperature there differs from Tion by far more than its rounding.
constexpr double kRootMargin = 1e-8;

// The centre of the ejecta at one stage: F = y at the radius ratio r. Its temperature
// Tc = y^(1/4) T0 / r is evaluated (exactly as written) only when a decision needs it.
struct Centre {
    const ModelState& m;
    double y, r;
    double Tc() const { return std::pow(y, 0.25) * m.T0 / r; }
    // (Tion / Tc)^4, the value of psi at the front; NaN where it is no plain positive number.
    double front_level() const {
        const double q = m.Tion * r / m.T0;
        const double level = (q * q) * (q * q) / y;
        return y > 0.0 && std::isfinite(y) && level > 0.0 && std::isfinite(level)
                   ? level
                   : std::numeric_limits<double>::quiet_NaN();
    }
};

// Whether Tc > Tion, as the plain comparison decides it: by the level where it is clear.
bool hotter_than_recombination(const Centre& centre, double level) {
    if (level < 1.0 - 1e-9) return true;
    if (level > 1.0 + 1e-9) return false;
    return centre.Tc() > centre.m.Tion;
}

double bisection_result(double lo, double hi, double xmax) {
    const double mid = (lo + hi) / 2.0;
    if (xmax > mid) return mid + kFrontTolerance / 2.0;
    return xmax;
}

// The bisection of temp, each midpoint decided by its side of the root, from the bracket of
// level `level` of `path` on; the brackets of the deeper levels are recorded there. False when a
// midpoint came within kRootMargin of the root and needs the profile itself: every midpoint below
// the root became lo and every other one hi, so the nearest ones are the final lo and hi (unless
// these are still the ends of the search, which are no midpoints).
bool bisect_by_root(double root, ModelMemo::FrontPath& path, int level) {
    double lo = path.lo[level];
    double hi = path.hi[level];
    while (hi - lo >= kFrontTolerance && level + 1 < static_cast<int>(path.lo.size())) {
        const double mid = (lo + hi) / 2.0;
        const bool hotter = mid < root;
        lo = hotter ? mid : lo;
        hi = hotter ? hi : mid;
        ++level;
        path.lo[level] = lo;
        path.hi[level] = hi;
    }
    path.depth = level;
    const bool close_below = lo != path.lo[0] && root - lo <= kRootMargin;
    const bool close_above = hi != path.hi[0] && hi - root <= kRootMargin;
    return hi - lo < kFrontTolerance && !close_below && !close_above;
}

// The bisection of temp with the profile evaluated (as temp does) at the midpoints within
// kRootMargin of the root, and the others decided by their side of it.
double bisect_carefully(const ModelState& m, const Centre& centre, double root, double xmax) {
    double lo = kCoreEdge;
    double hi = xmax;
    while (hi - lo >= kFrontTolerance) {
        const double mid = (lo + hi) / 2.0;
        if (mid < root - kRootMargin) {
            lo = mid;
        } else if (mid > root + kRootMargin) {
            hi = mid;
        } else {
            const double T = std::pow(psi(mid), 0.25) * centre.Tc();
            if (T == m.Tion) break;
            if (T > m.Tion)
                lo = mid;
            else
                hi = mid;
        }
    }
    return bisection_result(lo, hi, xmax);
}

// temp(m, Tc, xmax) to the bit. The four stages of a step search below the same bound xmax: the
// decisions of the previous search hold down to the deepest bracket that holds the root well
// inside, and the bisection goes on from there.
double front_radius(ModelState& m, const Centre& centre, double level, double xmax) {
    const double root = level < 1.0 && xmax <= 1.5 ? profile_root(level, m.memo.profile)
                                                   : std::numeric_limits<double>::quiet_NaN();
    if (std::isnan(root)) return temp(m, centre.Tc(), xmax);
    auto& path = m.memo.path;
    int shared = 0;
    if (path.xmax == xmax) {
        // The brackets nest: find the deepest one that holds the root well inside by halving.
        auto holds = [&](int level) {
            return root > path.lo[level] + kRootMargin && root < path.hi[level] - kRootMargin;
        };
        int deepest = path.depth;
        while (shared < deepest) {
            const int level = (shared + deepest + 1) / 2;
            if (holds(level))
                shared = level;
            else
                deepest = level - 1;
        }
    } else {
        path.xmax = xmax;
        path.lo[0] = kCoreEdge;
        path.hi[0] = xmax;
    }
    if (!bisect_by_root(root, path, shared)) {
        path.xmax = std::numeric_limits<double>::quiet_NaN();
        return bisect_carefully(m, centre, root, xmax);
    }
    return bisection_result(path.lo[path.depth], path.hi[path.depth], xmax);
}

double remembered_series(ModelState& m, double x) {
    for (const auto& slot : m.memo.series)
        if (slot.x == x) return slot.value;
    auto& slot = m.memo.series[m.memo.series_next];
    m.memo.series_next = (m.memo.series_next + 1) % static_cast<int>(m.memo.series.size());
    slot = {x, series(x)};
    return slot.value;
}

// The series at the bound of the search, the same for every stage of a step.
double bound_series(ModelState& m) {
    if (m.memo.bound.x != m.xh) m.memo.bound = {m.xh, remembered_series(m, m.xh)};
    return m.memo.bound.value;
}

// The series with its powers by multiplication, for the fast integration.
double multiplied_series(double x) {
    const double u = kPi * x;
    const double u2 = u * u;
    return 1.0 + u2 * (-1.0 / 6.0 + u2 * (1.0 / 120.0 + u2 * (-1.0 / 5040.0 + u2 / 362880.0)));
}

double extra_power(const ModelState& m, double t) {
    if (m.tp == 0.0) return 0.0;
    const double q = 1.0 + t / m.tp;
    return m.Ep / (m.tp * (q * q));
}

// Nickel and cobalt left at t, as exp(-t/tni) and exp(-t/tco) give them.
DecayState decay_at(const ModelState& m, double t) {
    const double nickel = std::exp(-t / m.tni);
    const double cobalt = std::exp(-t / m.tco);
    return {t, nickel, (cobalt - nickel) / (-m.tni * (1.0 / m.tco - 1.0 / m.tni)), cobalt};
}

// The decay moved on from `from` by d, as exp(-(t + d)/tau) = exp(-t/tau) exp(-d/tau), for the
// fast integration: the factors of half a step recur, and their rounding adds up over the steps
// to some 1e-13.
DecayState moved_decay(ModelState& m, const DecayState& from, double d) {
    auto& f = m.memo.decay_factors;
    if (f.interval != d || f.tni != m.tni || f.tco != m.tco)
        f = {d, m.tni, m.tco, std::exp(-d / m.tni), std::exp(-d / m.tco)};
    const double nickel = from.Xni * f.nickel;
    const double cobalt = from.cobalt * f.cobalt;
    return {from.t + d, nickel, (cobalt - nickel) / (-m.tni * (1.0 / m.tco - 1.0 / m.tni)), cobalt};
}

// The decay at the start of a step: the end of the previous step, which computed it already.
DecayState decay_at_start(ModelState& m, double t) {
    const auto& known = m.memo.decay;
    if (known.state.t == t && known.tni == m.tni && known.tco == m.tco) return known.state;
    return decay_at(m, t);
}

} // namespace

namespace {

// dF/d(t/tni) of one stage, with the decay at t given.
double stage_rate(ModelState& m, double t, double y, double c, const DecayState& decay) {
    const double Lp = extra_power(m, t);
    const double r = (m.v * t + m.R0) / m.R0;
    double xn = kCoreEdge;
    if (m.xi >= kCoreEdge) {
        const Centre centre{m, y, r};
        const double level = centre.front_level();
        if (std::isnan(level)) {
            const double Tc = centre.Tc();
            if (Tc > m.Tion) xn = temp(m, Tc, m.xh);
        } else if (hotter_than_recombination(centre, level)) {
            xn = front_radius(m, centre, level, m.xh);
        }
    }
    m.segedvalt1 = xn;
    m.memo.stiffest = std::max(m.memo.stiffest, r / (xn * xn));
    const double D = m.integration == Integration::fast
                         ? xn * (multiplied_series(m.xh) - multiplied_series(xn)) / c
                         : xn * (bound_series(m) - remembered_series(m, xn)) / c;
    m.segedvalt2 = D;
    m.Xni = decay.Xni;
    m.Xco = decay.Xco;
    const double S = m.p5 * m.Xco + m.Xni;
    // Radioactive heating, diffusion loss, the moving front, the extra power source.
    return (r / (xn * xn * xn)) *
           (m.p1 * S - m.p2 * y * xn - 2.0 * y * xn * xn * D * m.tni / (r * m.dt) + m.p3 * Lp);
}

} // namespace

double Frk(ModelState& m, double t, double y, double c) {
    return stage_rate(m, t, y, c, decay_at(m, t));
}

void initial_temperature(ModelState& m) {
    m.T0 = std::pow(kPi * m.E / (4.0 * kRadiationConstant * m.R0 * m.R0 * m.R0), 0.25);
}

void derive_quantities(ModelState& m) {
    m.Q = (m.Z * kRecombinationEnergy / m.A) * std::pow(m.Z, kRecombinationExponent);
    m.Ith = thermal_shape_integral();
    m.mass_integral = mass_integral(m.a, m.s);
    m.kinetic_integral = kinetic_integral(m.a, m.s);
    m.v = std::sqrt(2.0 * m.Ek * m.mass_integral / (m.kinetic_integral * m.M));
    m.rho = m.M / (kFourPi * m.R0 * m.R0 * m.R0 * m.mass_integral);
    m.td = 3.0 * m.kappa * m.rho * m.R0 * m.R0 / kDiffusionConstant;
    m.th = m.R0 / m.v;
    m.Eth = kFourPi * m.R0 * m.R0 * m.R0 * kRadiationConstant * std::pow(m.T0, 4.0) * m.Ith;
    m.t0 = std::pow(2.0 * m.th * m.td, 0.5);
}

void heating_coefficients(ModelState& m) {
    m.p1 = m.Mni * kNickelHeatingRate * m.tni / m.Eth;
    m.p2 = m.tni / m.td;
    m.p3 = m.tni / m.Eth;
    m.p5 = kCobaltWeight;
}

void start_integration(ModelState& m) {
    m.t = 0.0;
    m.dt = kStep;
    m.F = 1.0;
    m.xh = 1.0;
    m.xi = 1.0;
    m.Xni = 1.0;
    m.Xco = 0.0;
}

namespace {

// The luminosity of the matter recombining at the front as it moves in by dr during the step.
double recombination_luminosity(const ModelState& m) {
    // A standing front gives a zero of the sign the full product would give (-0 for dr = +0):
    // the factors before dr are negative and, bounded by 4 pi rho Q ri^2, finite.
    if (m.dr == 0.0 && kFourPi * m.rho * m.Q * m.ri * m.ri < 1e300) return -m.dr;
    const double shape = m.s == 0.0 ? eta(m.xi, m.a) : theta(m.xi, m.s);
    const double dilution = m.integration == Integration::fast
                                ? 1.0 / (m.sigma * m.sigma * m.sigma)
                                : std::pow(m.sigma, -3.0);
    const double Lion = -kFourPi * m.rho * shape * dilution * m.Q * m.ri * m.ri * m.dr / m.dt;
    return Lion < 0.0 ? 0.0 : Lion;
}

// What one Runge-Kutta step leaves: the new F, the front at its start, the weighted front motion,
// and its stiffness dt r / (xn^2 td) at the stiffest stage.
struct Step {
    double F, front, dxi, stiffness;
};

Step plain_step(ModelState& m, double t, double F) {
    m.memo.stiffest = 0.0;
    const DecayState start = decay_at_start(m, t);
    const double half = 0.5 * m.dt;
    const bool fast = m.integration == Integration::fast;
    const DecayState middle = fast ? moved_decay(m, start, half) : decay_at(m, t + half);
    const DecayState end = fast ? moved_decay(m, middle, half) : decay_at(m, t + m.dt);
    m.memo.decay = {end, m.tni, m.tco};

    const double k1 = stage_rate(m, t, F, 1.0, start);
    const double front = m.segedvalt1;
    double dxi = m.segedvalt2 / 6.0;
    const double k2 = stage_rate(m, t + half, F + 0.5 * k1 * m.dt / m.tni, 1.5, middle);
    dxi = dxi + 2.0 * m.segedvalt2 / 6.0;
    const double k3 = stage_rate(m, t + half, F + 0.5 * k2 * m.dt / m.tni, 1.5, middle);
    dxi = dxi + 2.0 * m.segedvalt2 / 6.0;
    const double k4 = stage_rate(m, t + m.dt, F + k3 * m.dt / m.tni, 2.0, end);
    dxi = dxi + m.segedvalt2 / 6.0;
    m.memo.step_start = start;
    return {F + m.dt * (k1 + 2.0 * k2 + 2.0 * k3 + k4) / (6.0 * m.tni), front, dxi,
            m.dt * m.memo.stiffest / m.td};
}

bool step_fails(const Step& step, double F_before) {
    return step.stiffness > kStabilityLimit || (!std::isfinite(step.F) && std::isfinite(F_before));
}

// The step from m.t over m.dt as n equal steps; each takes the front at its start as the bound of
// the next, as consecutive steps do. The front and F of the whole step come back, with the front
// motion summed; `ok` is false when a part still fails.
Step split_step(ModelState m, int n, bool& ok) {
    const double dt = m.dt;
    m.dt = dt / n;
    Step whole{m.F, 0.0, 0.0, 0.0};
    ok = true;
    for (int i = 0; i < n && ok; ++i) {
        const Step part = plain_step(m, m.t + i * m.dt, whole.F);
        ok = !step_fails(part, whole.F);
        if (i == 0) whole.front = part.front;
        whole.F = part.F;
        whole.dxi += part.dxi;
        whole.stiffness = std::max(whole.stiffness, part.stiffness);
        m.xi = part.front;
        m.xh = part.front;
    }
    return whole;
}

// A step that fails as one is split into enough parts to bring each well inside the stability
// region, four times as many if a part still fails. A step that would need more than
// kMaxSubsteps parts, or that still fails, stays the plain step: its trouble is not the step size.
Step stable_step(ModelState& m, const Step& plain) {
    const double wanted = std::max(2.0, std::ceil(plain.stiffness / kSplitStiffness));
    if (!(wanted <= kMaxSubsteps)) return plain;
    for (int n = static_cast<int>(wanted); n <= kMaxSubsteps; n *= 4) {
        bool ok = false;
        const Step split = split_step(m, n, ok);
        if (ok) {
            m.substeps = n;
            return split;
        }
    }
    return plain;
}

} // namespace

void runge_kutta_step(ModelState& m) {
    const double G = 1.0 - std::exp(-m.Ag / (m.t * m.t)); // gamma rays kept in the ejecta
    m.R = m.v * m.t + m.R0;
    m.sigma = m.R / m.R0;

    m.substeps = 1;
    Step step = plain_step(m, m.t, m.F);
    if (step_fails(step, m.F)) step = stable_step(m, step);
    m.segedvalt3 = step.front;
    m.dxi = step.dxi;
    m.F = step.F;

    m.xi = m.segedvalt3;
    m.ri = m.xi * m.R;
    m.dr = m.dxi * m.R;
    if (m.dr > 0.0) m.dr = 0.0;
    m.Lion = recombination_luminosity(m);
    m.L = m.xi * m.F * m.Eth * G / m.td;
    m.Lsn = m.L + m.Lion;

    const DecayState now = m.memo.step_start.t == m.t ? m.memo.step_start : decay_at(m, m.t);
    m.Xni = now.Xni;
    m.Xco = now.Xco;
    m.g = m.p5 * m.Xco + m.Xni;
}

void advance_time(ModelState& m, int& faint_steps) {
    m.xh = m.xi;
    m.t = m.t + m.dt;
    if (m.Lion < kFaintRecombination) {
        if (faint_steps < std::numeric_limits<int>::max()) ++faint_steps; // saturates
    } else {
        faint_steps = 0;
    }
    m.dt = faint_steps > kFaintStepsBeforeLongStep ? kLongStep : kStep;
}

} // namespace snmodel
