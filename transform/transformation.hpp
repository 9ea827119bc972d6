// Transformation of magnitudes between the Sloan bands g r i z and the Johnson-Cousins bands
// B V Rc Ic by linear colour-term equations, in both directions, with the propagation of the two
// uncertainties every observation carries (measurement error and calibration error).
//
// Magnitudes and uncertainties are single precision; every equation is evaluated in double
// precision and rounded to single precision when its result is stored. A magnitude of exactly 0
// means "not observed": an output exists only when both magnitudes its equation tests are
// non-zero, and an absent output keeps 0 as magnitude and as uncertainties.
#pragma once

#include <array>

namespace snphot {

// The square of a value, as every term of the uncertainty formulas is formed.
double h(double x);

// The single equations. Each takes the magnitudes (or uncertainties) it needs and returns the
// stored, single-precision result; none tests for presence.
float johnson_B(double g, double r);
float johnson_V(double g, double r);
float cousins_Rc(double r, double i);
float cousins_Ic(double Rc, double r, double i); // from the stored Rc of the same epoch
float cousins_Ic_from_iz(double i, double z);    // only for epochs without r or without i
float sloan_g(double V, double B);
float sloan_r(double V, double Rc);
float sloan_i(double Rc, double Ic);

float sigma_B(double sg, double sr);
float sigma_V(double sg, double sr);
float sigma_Rc(double sr, double si);
float sigma_Ic(double sRc, double sr, double si); // from the stored sigma of Rc
float sigma_Ic_from_iz(double si, double sz);
float sigma_g(double sV, double sB);
float sigma_r(double sV, double sRc);
float sigma_i(double sRc, double sIc);

// One band of one epoch: magnitude and its two uncertainties (0, 0, 0 when absent).
struct Observation {
    float mag = 0;
    float error = 0; // measurement error
    float calib = 0; // calibration error
};

// The four band slots of one epoch.
using Bands = std::array<Observation, 4>;

// The V Rc Ic B magnitudes of a catalogue star from its g r i magnitudes, all three taken as
// measured: B and V from g and r, Rc from r and i, Ic from the stored Rc.
struct JohnsonCousins {
    float V = 0, Rc = 0, Ic = 0, B = 0;
};
JohnsonCousins johnson_cousins_of_star(double g, double r, double i);

// g r i z -> V Rc Ic B.
Bands forward_transformation(const Bands& griz);
// V Rc Ic B -> g r i z; z is never produced.
Bands reverse_transformation(const Bands& VRcIcB);

} // namespace snphot
