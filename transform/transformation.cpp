#include "transformation.hpp"

#include <cmath>

namespace snphot {

double h(double x) {
    return x * x;
}

// The equations and their coefficients, one function each: evaluated in double precision, the
// result rounded to single precision as it is stored.

// ---- g r i z -> B V Rc Ic ----
float johnson_B(double g, double r) {
    return static_cast<float>(g + 0.313 * (g - r) + 0.219);
}
float johnson_V(double g, double r) {
    return static_cast<float>(g - 0.565 * (g - r) - 0.016);
}
float cousins_Rc(double r, double i) {
    return static_cast<float>(r - 0.153 * (r - i) - 0.117);
}
float cousins_Ic(double Rc, double r, double i) {
    return static_cast<float>(Rc - 0.93 * (r - i) - 0.259);
}
float cousins_Ic_from_iz(double i, double z) {
    return static_cast<float>(i - 0.386 * (i - z) - 0.397);
}

JohnsonCousins johnson_cousins_of_star(double g, double r, double i) {
    JohnsonCousins star;
    star.B = johnson_B(g, r);
    star.V = johnson_V(g, r);
    star.Rc = cousins_Rc(r, i);
    star.Ic = cousins_Ic(star.Rc, r, i);
    return star;
}

float sigma_B(double sg, double sr) {
    return static_cast<float>(std::sqrt(1.72 * h(sg) + 0.1 * h(sr)));
}
float sigma_V(double sg, double sr) {
    return static_cast<float>(std::sqrt(0.19 * h(sg) + 0.32 * h(sr)));
}
float sigma_Rc(double sr, double si) {
    return static_cast<float>(std::sqrt(0.72 * h(sr) + 0.02 * h(si)));
}
float sigma_Ic(double sRc, double sr, double si) {
    return static_cast<float>(std::sqrt(h(sRc) + 0.86 * h(sr) + 0.86 * h(si)));
}
float sigma_Ic_from_iz(double si, double sz) {
    return static_cast<float>(std::sqrt(0.38 * h(si) + 0.15 * h(sz)));
}

// ---- V Rc Ic B -> g r i ----
float sloan_g(double V, double B) {
    return static_cast<float>(V + 0.63 * (B - V) - 0.124);
}
float sloan_r(double V, double Rc) {
    return static_cast<float>(Rc + 0.267 * (V - Rc) + 0.088);
}
float sloan_i(double Rc, double Ic) {
    return static_cast<float>(Ic + 0.247 * (Rc - Ic) + 0.329);
}

float sigma_g(double sV, double sB) {
    return static_cast<float>(std::sqrt(0.14 * h(sV) + 0.4 * h(sB)));
}
float sigma_r(double sV, double sRc) {
    return static_cast<float>(std::sqrt(0.54 * h(sRc) + 0.07 * h(sV)));
}
float sigma_i(double sRc, double sIc) {
    return static_cast<float>(std::sqrt(0.57 * h(sIc) + 0.06 * h(sRc)));
}

namespace {

// An equation's output exists only when the product of the two magnitudes it tests is non-zero,
// that is when both are observed; the uncertainties are never tested.
bool observed(const Observation& a, const Observation& b) {
    return a.mag != 0.0f && b.mag != 0.0f;
}

// Applies an uncertainty formula to both uncertainties, each on its own.
template <typename Sigma, typename... In>
void propagate(Observation& out, Sigma sigma, const In&... in) {
    out.error = sigma(in.error...);
    out.calib = sigma(in.calib...);
}

} // namespace

Bands forward_transformation(const Bands& griz) {
    const auto& [g, r, i, z] = griz;
    Bands out;
    auto& [V, Rc, Ic, B] = out;
    if (observed(g, r)) {
        B.mag = johnson_B(g.mag, r.mag);
        V.mag = johnson_V(g.mag, r.mag);
        propagate(B, sigma_B, g, r);
        propagate(V, sigma_V, g, r);
    }
    if (observed(r, i)) {
        Rc.mag = cousins_Rc(r.mag, i.mag);
        Ic.mag = cousins_Ic(Rc.mag, r.mag, i.mag);
        propagate(Rc, sigma_Rc, r, i);
        propagate(Ic, sigma_Ic, Rc, r, i);
    } else if (observed(i, z)) {
        Ic.mag = cousins_Ic_from_iz(i.mag, z.mag);
        propagate(Ic, sigma_Ic_from_iz, i, z);
    }
    return out;
}

Bands reverse_transformation(const Bands& VRcIcB) {
    const auto& [V, Rc, Ic, B] = VRcIcB;
    Bands out; // slot 4, z, stays absent
    auto& [g, r, i, z] = out;
    (void)z;
    if (observed(V, B)) {
        g.mag = sloan_g(V.mag, B.mag);
        propagate(g, sigma_g, V, B);
    }
    if (observed(V, Rc)) {
        r.mag = sloan_r(V.mag, Rc.mag);
        propagate(r, sigma_r, V, Rc);
    }
    if (observed(Rc, Ic)) {
        i.mag = sloan_i(Rc.mag, Ic.mag);
        propagate(i, sigma_i, Rc, Ic);
    }
    return out;
}

} // namespace snphot
