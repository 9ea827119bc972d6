#include "decay.hpp"

#include <cmath>

namespace decayheat {

Rates rates(const Masses& m, const DecayRates& lambda) {
    Rates r;
    r.dNi = -m.Ni * lambda.lambdaNi;
    r.dCo = m.Ni * lambda.lambdaNi - m.Co * lambda.lambdaCo;
    r.dFe = m.Co * lambda.lambdaCo;
    return r;
}

Masses euler_step(const Masses& m, const Rates& r, double step) {
    return {m.Ni + r.dNi * step, m.Co + r.dCo * step, m.Fe + r.dFe * step};
}

double gamma_factor(double k, double t) {
    // A power of 2.718281, not exp(): the base is the truncated constant. For t = 0 the quotient
    // is -infinity and the power 0.
    return 1 - std::pow(2.718281, (k * (-0.033) * 11.575) / (t * t));
}

double heating_power(const Heating& heating, double D, const Masses& m) {
    return heating.epsilonNi * D * m.Ni + (0.96795 * D + 0.03205) * heating.epsilonCo * m.Co;
}

double magnitude(double S) {
    return -2.5 * std::log10(S) + 71.21;
}

} // namespace decayheat
