// Removing the flux of a reference night from a light-curve row, in the two forms of lcsub and
// lcsub-err.
//
// With f(x) = 10^(-0.4 x), a point of magnitude m and a reference of magnitude ref, the flux left
// after the reference flux is taken away has the magnitude m - d with the correction
// d = 2.5 log10(1 - f(ref - m)). A point that is not brighter than the reference gets d = -100:
// it is written 100 magnitudes fainter, which marks it.
#pragma once

#include "lightcurve.hpp"

namespace lcsub {

// The band's reference night: magnitude and error (1000 and 0 while the band has none).
struct Reference {
    float mag = 1000.0f;
    float error = 0.0f;
};

// A corrected row, as written: time, magnitude, photometric error, zero-point scatter.
struct CorrectedRow {
    double time = 0, mag = 0, error = 0, calib = 0;
};

inline constexpr float kNotBrighter = -100.0f; // the correction of a point not brighter

// f(x) = 10^(-0.4 x), the flux ratio of two magnitudes x apart.
double f(long double x);
// d = 2.5 log10(1 - f(x)) for a point x magnitudes brighter than the reference, as stored.
float correction(long double x);

// lcsub: the error of the reference is carried analytically into the zero-point column.
namespace analytic {
double h(float a, float b); // a^2 + b^2
float reference_error(const snphot::LightCurveRow& reference_row);
CorrectedRow subtract(const snphot::LightCurveRow& row, const Reference& ref);
} // namespace analytic

// lcsub-err: the photometric column is replaced by finite differences of the correction.
namespace finite {
float h(float a, float b); // sqrt(a^2 + b^2)
float reference_error(const snphot::LightCurveRow& reference_row);
CorrectedRow subtract(const snphot::LightCurveRow& row, const Reference& ref);
} // namespace finite

} // namespace lcsub
