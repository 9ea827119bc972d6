// Integral of the absolute value of a two-Gaussian line profile (an emission Gaussian minus a
// blueshifted absorption Gaussian) with classical fourth-order Runge-Kutta steps.
#pragma once

namespace cumquad {

struct LineProfile {
    double A1 = 0, s1 = 1; // emission amplitude and width
    double A2 = 0, s2 = 1; // absorption amplitude and width
    double centre = 0;     // emission centre
    double shift = 0;      // the absorption lies at (1 - shift) * centre
};

struct Range {
    double start = 0, end = 0, step = 1;
    double threshold = 0; // net emission that the first report waits for
};

double h(double x);

// Emission minus absorption at wavelength x.
double signed_profile(const LineProfile& p, double x);

// The integrand: the absolute value of the profile at x. The current value y of the integral is
// not used. The signed profile of the latest call stays in `save`.
class Integrand {
  public:
    explicit Integrand(const LineProfile& profile) : profile_(profile) {}
    double af(double y, double x);
    double save = 0;

  private:
    LineProfile profile_;
};

struct Quadrature {
    double total = 0;
    // The first step whose end shows net emission above the threshold: its start and the
    // integral up to its end.
    bool emission = false;
    double emission_start = 0;
    double emission_integral = 0;
};

Quadrature integrate(const LineProfile& profile, const Range& range);

} // namespace cumquad
