#include "quadrature.hpp"

#include <cmath>

namespace cumquad {

double h(double x) {
    return x * x;
}

double signed_profile(const LineProfile& p, double x) {
    const double g1 = std::exp(-h((x - p.centre) / p.s1) / 2);
    const double g2 = std::exp(-h((x - (1 - p.shift) * p.centre) / p.s2) / 2);
    return p.A1 * g1 - p.A2 * g2;
}

double Integrand::af(double /*y*/, double x) {
    save = signed_profile(profile_, x);
    return std::fabs(save);
}

// The step index n runs over whole numbers held as a double; the wavelength of index n is
// n * step. Since the integrand does not depend on y, each step is Simpson's rule on its interval.
Quadrature integrate(const LineProfile& profile, const Range& range) {
    Integrand f(profile);
    Quadrature q;
    const double step = range.step;
    const double end = range.end / step;
    double y = 0;
    for (double n = range.start / step; end > n; n = n + 1) {
        const double k1 = step * f.af(y, n * step);
        const double k2 = step * f.af(y + 0.5 * k1, (n + 0.5) * step);
        const double k3 = step * f.af(y + 0.5 * k2, (n + 0.5) * step);
        const double k4 = step * f.af(y + k3, (n + 1) * step);
        y = y + 0.16666666666666666 * k1 + 0.3333333333333333 * k2 + 0.3333333333333333 * k3 +
            0.16666666666666666 * k4;
        // f.save is now the signed profile at the end of the step
        if (f.save > range.threshold && !q.emission) {
            q.emission = true;
            q.emission_start = n * step;
            q.emission_integral = y;
        }
    }
    q.total = y;
    return q;
}

} // namespace cumquad
