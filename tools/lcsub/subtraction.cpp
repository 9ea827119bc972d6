#include "subtraction.hpp"

#include "photometry.hpp"

#include <cmath>

namespace lcsub {

double f(long double x) {
    return std::pow(10.0, static_cast<double>(-0.4L * x));
}

float correction(long double x) {
    return static_cast<float>(2.5L * std::log10(1.0L - f(x)));
}

namespace analytic {

double h(float a, float b) {
    return static_cast<double>(static_cast<long double>(a) * a + static_cast<long double>(b) * b);
}

float reference_error(const snphot::LightCurveRow& r) {
    return snphot::root_sum_of_squares(r.error, r.calib);
}

// Column 3 stays; column 4 becomes sqrt(scatter^2 + e^2) with e = -sigma_ref f / (1 - f), the
// change of the corrected magnitude per unit change of the reference magnitude times its error.
CorrectedRow subtract(const snphot::LightCurveRow& row, const Reference& ref) {
    float d = kNotBrighter;
    float e = 0.0f;
    if (row.mag < ref.mag) {
        const long double x = static_cast<long double>(ref.mag) - row.mag;
        const long double fr = f(x);
        d = correction(x);
        e = static_cast<float>((-static_cast<long double>(ref.error) * fr) / (1.0L - fr));
    }
    return {row.time, static_cast<double>(row.mag) - d, row.error, std::sqrt(h(row.calib, e))};
}

} // namespace analytic

namespace finite {

float h(float a, float b) {
    return snphot::root_sum_of_squares(a, b);
}

float reference_error(const snphot::LightCurveRow& r) {
    return r.error;
}

// Column 3 becomes the root sum of squares of two finite differences of the correction: one for
// the reference moved by its error (d2), one for the point moved by its own error (d1).
CorrectedRow subtract(const snphot::LightCurveRow& row, const Reference& ref) {
    float d0 = kNotBrighter, d1 = kNotBrighter, d2 = kNotBrighter;
    if (row.mag < ref.mag) {
        const long double x = static_cast<long double>(ref.mag) - row.mag;
        d0 = correction(x);
        d1 = correction(x + row.error);
        d2 = correction(static_cast<long double>(ref.mag) + ref.error - row.mag);
    }
    const float dd2 = static_cast<float>(static_cast<long double>(d2) - d0);
    const float dd1 = static_cast<float>(static_cast<long double>(d1) - d0);
    return {row.time, static_cast<double>(row.mag) - d0, h(dd2, dd1), row.calib};
}

} // namespace finite

} // namespace lcsub
