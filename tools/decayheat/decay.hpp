// The nickel-56 -> cobalt-56 -> iron-56 decay chain: explicit Euler steps of the three masses,
// the gamma-ray deposition factor, the deposited heating power and its magnitude.
#pragma once

namespace decayheat {

// Masses in grams.
struct Masses {
    double Ni = 0, Co = 0, Fe = 0;
};

// Rates of change of the masses, grams per day.
struct Rates {
    double dNi = 0, dCo = 0, dFe = 0;
};

// Decay rates per day.
struct DecayRates {
    double lambdaNi = 0, lambdaCo = 0;
};

// Heating of the decays per unit mass and the constant of the gamma-ray factor.
struct Heating {
    double epsilonNi = 0; // W/g
    double epsilonCo = 0; // W/g
    double k = 0;
};

// Rates of change for the current masses.
Rates rates(const Masses& m, const DecayRates& lambda);

// One explicit Euler step of `step` days.
Masses euler_step(const Masses& m, const Rates& r, double step);

// Fraction of the gamma rays deposited at time t (days): 1 - 2.718281^(k * -0.033 * 11.575 / t^2).
// At t = 0 the exponent is -infinity and the factor is 1.
double gamma_factor(double k, double t);

// Heating power S in watts: the nickel heating scaled by D; of the cobalt heating the share 0.96795
// is scaled by D and the share 0.03205 (positron kinetic energy) is deposited in full.
double heating_power(const Heating& heating, double D, const Masses& m);

// Magnitude of a heating power: -2.5 log10(S) + 71.21.
double magnitude(double S);

} // namespace decayheat
