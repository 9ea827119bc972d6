#include "transformation.hpp"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using namespace snphot;

namespace {

// The four slots of an epoch as printed with six decimals, "mag error calib | ...", so that a
// swapped slot or uncertainty shows at once.
std::string printed(const Bands& bands) {
    std::string text;
    for (const Observation& o : bands) {
        char field[96];
        std::snprintf(field, sizeof field, "%s%f %f %f", text.empty() ? "" : " | ", o.mag, o.error,
                      o.calib);
        text += field;
    }
    return text;
}

const Observation g0{16.54f, 0.02f, 0.01f};
const Observation r0{16.14f, 0.03f, 0.012f};
const Observation i0{16.0f, 0.04f, 0.015f};
const Observation z0{15.9f, 0.05f, 0.02f};
const Observation none{};

} // namespace

TEST(Transformation, ForwardWorkedValuesWithBothUncertainties) {
    // V Rc Ic B of the first comparison star; sigma B = sqrt(1.72*0.02^2 + 0.1*0.03^2) = 0.027893,
    // and sigma Ic adds the stored sigma Rc to 0.86 of the squares of sigma r and sigma i.
    EXPECT_EQ(printed(forward_transformation({g0, r0, i0, z0})),
              "16.298000 0.019079 0.008067 | 16.001579 0.026077 0.010401 | "
              "15.612380 0.053198 0.020628 | 16.884201 0.027893 0.013653");
    // Without z the same: the second form of Ic is not used while r and i are both observed.
    EXPECT_EQ(printed(forward_transformation({g0, r0, i0, none})),
              printed(forward_transformation({g0, r0, i0, z0})));
}

TEST(Transformation, ForwardPresenceRules) {
    // g without r: no B and no V, whatever i and z hold; without r there is no Rc either, and Ic
    // comes from its second form, i - 0.386 (i - z) - 0.397.
    EXPECT_EQ(printed(forward_transformation({g0, none, i0, z0})),
              "0.000000 0.000000 0.000000 | 0.000000 0.000000 0.000000 | "
              "15.564400 0.031353 0.012062 | 0.000000 0.000000 0.000000");
    // r without g and i: nothing at all.
    EXPECT_EQ(printed(forward_transformation({none, r0, none, z0})), printed(Bands{}));
    // z without i: the second form needs both.
    EXPECT_EQ(forward_transformation({g0, r0, none, z0})[2].mag, 0.0f);
}

TEST(Transformation, ZeroMagnitudeWithAnErrorIsAbsent) {
    const Observation unmeasured_r{0.0f, 0.03f, 0.012f};
    const Bands out = forward_transformation({g0, unmeasured_r, i0, none});
    for (const Observation& o : out) {
        EXPECT_EQ(o.mag, 0.0f);
        EXPECT_EQ(o.error, 0.0f);
        EXPECT_EQ(o.calib, 0.0f);
    }
    const Observation unmeasured_V{0.0f, 0.02f, 0.01f};
    EXPECT_EQ(reverse_transformation({unmeasured_V, r0, i0, z0})[0].mag, 0.0f);
    EXPECT_EQ(reverse_transformation({unmeasured_V, r0, i0, z0})[0].error, 0.0f);
}

TEST(Transformation, ReverseWorkedValuesAndPresenceRules) {
    const Observation V{16.298f, 0.02f, 0.01f}, Rc{16.001579f, 0.03f, 0.012f},
        Ic{15.61238f, 0.04f, 0.015f}, B{16.884201f, 0.05f, 0.02f};
    // g = V + 0.63 (B - V) - 0.124, r = Rc + 0.267 (V - Rc) + 0.088, i = Ic + 0.247 (Rc - Ic) +
    // 0.329; z never.
    EXPECT_EQ(printed(reverse_transformation({V, Rc, Ic, B})),
              "16.543306 0.032496 0.013191 | 16.168724 0.022672 0.009207 | "
              "16.037512 0.031081 0.011700 | 0.000000 0.000000 0.000000");
    // g needs V and B, r needs V and Rc, i needs Rc and Ic.
    EXPECT_EQ(printed(reverse_transformation({V, Rc, Ic, none})),
              "0.000000 0.000000 0.000000 | 16.168724 0.022672 0.009207 | "
              "16.037512 0.031081 0.011700 | 0.000000 0.000000 0.000000");
    EXPECT_EQ(printed(reverse_transformation({none, Rc, Ic, B})),
              "0.000000 0.000000 0.000000 | 0.000000 0.000000 0.000000 | "
              "16.037512 0.031081 0.011700 | 0.000000 0.000000 0.000000");
    EXPECT_EQ(printed(reverse_transformation({V, none, Ic, B})),
              "16.543306 0.032496 0.013191 | 0.000000 0.000000 0.000000 | "
              "0.000000 0.000000 0.000000 | 0.000000 0.000000 0.000000");
}
