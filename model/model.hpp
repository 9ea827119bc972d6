// The semi-analytic light curve of Arnett & Fu (ApJ 340, 396, 1989): a homologously expanding
// sphere of ejecta heated by nickel-56 and cobalt-56 decay and an optional extra power source,
// cooling by photon diffusion while a recombination front recedes through it.
//
// T^4(x, t) = T0^4 psi(x) F(t) (R0/R(t))^4, x = r/R(t), R(t) = R0 + v t; the integration advances
// the temperature function F with a fixed-step fourth-order Runge-Kutta scheme and locates the
// front by bisection at every stage. Everything is in CGS units and double precision.
//
// The exact integration gives the numbers of the plain scheme (a bisection that evaluates the
// profile at every midpoint, the series and the decay evaluated afresh at every stage) to the bit,
// only faster: the front's bisection takes its decisions from the root of the profile, found by
// a step or two of Halley's method from the previous one, and evaluates the profile only at a
// midpoint too close to that root to tell; the powers of the series come from exact products,
// the series and the decay are computed once for each argument. The fast integration (see
// Integration) gives up the last digits for more speed. Where the fixed step would leave the
// stability region of the scheme, that step is split (see runge_kutta_step).
#pragma once

#include "model_constants.hpp"

#include <array>
#include <limits>

namespace snmodel {

// The profile psi and its first two derivatives at x.
struct ProfilePoint {
    double x = std::numeric_limits<double>::quiet_NaN();
    double value = 0, slope = 0, curvature = 0;
};
ProfilePoint profile_point(double x);

// Nickel-56 left and cobalt-56 (relative to the initial nickel) at t, with exp(-t/tco).
struct DecayState {
    double t = std::numeric_limits<double>::quiet_NaN();
    double Xni = 0, Xco = 0, cobalt = 0;
};

// Values the integration has already computed, by their exact arguments: they save work and
// never change a result, so a copy of a state may carry them along.
struct ModelMemo {
    struct Value {
        double x = std::numeric_limits<double>::quiet_NaN(); // never equal: an empty slot
        double value = 0;
    };
    Value bound;                   // series at the bound of the search, xh
    std::array<Value, 4> series{}; // series at the latest fronts
    int series_next = 0;
    struct KnownDecay {
        DecayState state;
        double tni = 0, tco = 0;
    } decay;              // at the end of the latest step: the start of the next
    DecayState step_start; // at the start of the latest step
    struct DecayFactors {
        double interval = std::numeric_limits<double>::quiet_NaN();
        double tni = 0, tco = 0, nickel = 0, cobalt = 0;
        double scale = 0; // -tni (1/tco - 1/tni), the divisor of Xco
    } decay_factors; // exp(-interval/tni), exp(-interval/tco), for the fast integration
    ProfilePoint profile;  // where the latest search for the root of the profile ended
    // The brackets [lo, hi] of the latest bisection of the front below xmax, level by level (the
    // bisection of at most 1.5 to 1e-6 takes 21 levels).
    struct FrontPath {
        double xmax = std::numeric_limits<double>::quiet_NaN();
        int depth = 0;
        std::array<double, 40> lo{}, hi{};
    } path;
    double stiffest = 0;   // the largest r / xn^2 of the stages since the last reset
};

// How the integration computes: `exact` gives the same numbers as the plain scheme to the bit (as
// snmodel writes them); `fast`, for fitting, takes the powers of the series and the dilution of
// the recombining matter by multiplication, moves the decay on by the factors of half a step, and
// finds the front's bisection cell from the root without halving: this moves results in their
// last digits only.
enum class Integration { exact, fast };

// The whole model: parameters (converted to CGS), constants, derived quantities and the state of
// the integration, under the physicist's names. Everything starts at 0 but the constants.
struct ModelState {
    // Parameters, in the order of "parameters.inp".
    double R0 = 0;    // initial radius, cm
    double M = 0;     // ejected mass, g
    double Tion = 0;  // recombination temperature, K
    double Mni = 0;   // initial nickel-56 mass, g
    double Ek = 0;    // kinetic energy, erg
    double E = 0;     // initial thermal energy, erg (only sets T0)
    double a = 0;     // exponent of the exponential envelope
    double s = 0;     // index of the power-law envelope; 0 selects the exponential one
    double kappa = 0; // opacity, cm^2/g
    double Ep = 0;    // energy of the extra power source, erg
    double tp = 0;    // time scale of the extra power source, s; 0 switches it off
    double Ag = 0;    // gamma-ray leakage, s^2
    double tmax = 0;  // end of the light curve, s

    // Constants.
    double tni = settings::kNickelLifetime;
    double tco = settings::kCobaltLifetime;
    double Z = settings::kChargeNumber;
    double A = settings::kMassNumber;

    // Derived quantities.
    double T0 = 0;               // initial central temperature, K
    double Q = 0;                // recombination energy, erg/g
    double Ith = 0;              // shape integral of the thermal energy
    double mass_integral = 0;    // of the density shape times x^2 over [0, 1]
    double kinetic_integral = 0; // of the density shape times x^4 over [0, 1]
    double v = 0;                // expansion velocity of the outer edge, cm/s
    double rho = 0;              // initial central density, g/cm^3
    double td = 0;               // diffusion time, s
    double th = 0;               // expansion time, s
    double Eth = 0;              // initial thermal energy from T0, erg
    double t0 = 0;               // effective light-curve time scale, s
    double p1 = 0, p2 = 0, p3 = 0, p5 = 0;

    // Integration.
    Integration integration = Integration::exact;
    double t = 0;
    double dt = settings::kStep;
    double F = 0;
    double xi = 0;    // front radius of the current step
    double xh = 0;    // front radius of the previous step, upper bound of the search
    double Xni = 0;   // nickel-56 left
    double Xco = 0;   // cobalt-56, relative to the initial nickel
    double g = 0;     // relative radioactive heating
    double R = 0;     // outer radius, cm
    double sigma = 0; // R / R0
    double ri = 0;    // front radius, cm
    double dxi = 0;   // Runge-Kutta weighted front-motion term
    double dr = 0;    // dxi R, never positive
    double Lion = 0;  // recombination luminosity, erg/s
    double L = 0;     // diffusion luminosity, erg/s
    double Lsn = 0;   // L + Lion
    double segedvalt1 = 0; // front found by the latest Frk call
    double segedvalt2 = 0; // front-motion term of the latest Frk call
    double segedvalt3 = 0; // front found by the first Frk call of the step
    int substeps = 1;      // the steps the latest Runge-Kutta step was split into

    ModelMemo memo;
};

// Spatial temperature profile sin(pi x)/(pi x); 0 at x = 1 exactly, 1 for x <= 0.
double psi(double x);
// Density shapes of the exponential and the power-law envelope (1 inside the core, x < 0.4).
double eta(double x, double a);
double theta(double x, double s);
// Taylor polynomial of sin(u)/u to u^8, u = pi x: the profile used for the motion of the front.
// Its powers are those pow(u, n) gives, to the bit, mostly found as exact products.
double series(double x);
// Simpson integrals from 0 to (about) x in panels of 1e-4, the last panel not cut at x:
// of eta(z, a) z^p, and of psi(z) z^2.
double IM_int(double x, double a, double p);
double Ith_int(double x);
// Integrals of the density shape times x^2 and x^4 over [0, 1]: numerical for the exponential
// envelope (s = 0), closed forms for the power law (s must not be 3 or 5).
double mass_integral(double a, double s);
double kinetic_integral(double a, double s);

// Radius of the recombination front for the central temperature Tc, searched by bisection between
// 0.4 and xmax: the radius where the profile T = psi(x)^(1/4) Tc falls to Tion.
double temp(const ModelState& m, double Tc, double xmax);
// The root of psi(x) = c in (0, 1) for 0 < c < 1, by safeguarded Halley steps starting from the
// point `from` (anywhere in (0, 1), else from 0.9), to within 4e-10 for roots in [0.3, 1]; NaN
// if the iteration does not settle. `from` becomes the last point evaluated, the start of the next search.
double profile_root(double c, ProfilePoint& from);
// dF/d(t/tni) at time t for F = y; c divides the front-motion term. Writes segedvalt1,
// segedvalt2, Xni and Xco, and raises memo.stiffest to r / xn^2 of this stage.
double Frk(ModelState& m, double t, double y, double c);

// Initial central temperature T0 from the thermal energy E and the radius R0.
void initial_temperature(ModelState& m);
// Recombination energy, shape integrals, velocity, density, time scales and Eth, in this order.
void derive_quantities(ModelState& m);
// The dimensionless coefficients p1, p2, p3, p5 of Frk.
void heating_coefficients(ModelState& m);
// t = 0, F = 1, front at the surface, all nickel.
void start_integration(ModelState& m);

// One Runge-Kutta step from m.t: advances F and fills xi, ri, dr, Lion, L, Lsn, Xni, Xco
// and g for the time m.t.
//
// Diffusion makes dF/dt stiff as the ejecta expand: its rate is r / (xn^2 td), and the explicit
// step is stable only while dt r / (xn^2 td) stays below the real stability limit of the
// fourth-order scheme. Fast, light ejecta cross it within the light curve, and F then grows
// without bound. A step that crosses it (or that leaves F not finite) is done again as `substeps`
// equal steps that each stay well inside; every other step is the plain step, to the bit.
void runge_kutta_step(ModelState& m);

// Moves to the next step: the front becomes the search bound, t advances, and the step size
// doubles once Lion has stayed faint for more than 100 consecutive steps (faint_steps counts
// them).
void advance_time(ModelState& m, int& faint_steps);

} // namespace snmodel
