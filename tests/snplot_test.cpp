// snplot, the figures of a working directory: what it draws from which files, and the failure
// contract of the suite (nothing to draw, an unknown argument, an earlier figure left as it was).
#include "e2e.hpp"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

bool have_gnuplot() {
    return std::system("command -v gnuplot >/dev/null 2>&1") == 0;
}

bool png(const std::string& bytes) {
    return bytes.size() > 1000 && bytes.substr(1, 3) == "PNG";
}

// A plateau and a tail: light curves in B and I, the fit's model and residuals.
void write_reduction(const e2e::Scratch& s, bool with_fit) {
    std::string b, i, residuals, model = "# JD-2400000 M_bol(model)\n";
    for (int day = 0; day < 200; day += 4) {
        const double mag = day < 100 ? 13 + 0.005 * day : 16 + 0.01 * (day - 100);
        b += std::to_string(53300 + day) + " " + std::to_string(mag + 1) + " 0.02 0.03\n";
        i += std::to_string(53300 + day) + " " + std::to_string(mag) + " 0.02 0.03\n";
        residuals += std::to_string(53300 + day) + " " + std::to_string(mag - 30) + " 0.05 " +
                     std::to_string(mag - 30.01) + " 0.2 " + (day > 10 ? "1" : "0") + "\n";
        model += std::to_string(53300 + day) + " " + std::to_string(mag - 30.01) + "\n";
    }
    s.write("B-gorbeA.txt", b);
    s.write("I-gorbeA.txt", i);
    s.write("bol-gorbe.txt", "53300.0 -17.0 0.05\n53310.0 -16.9 0.05\n");
    if (with_fit) {
        s.write("fit-residuals.txt", residuals);
        s.write("fit-model.txt", model);
        s.write("fit.txt", "explosion_date   53290.0          at a bound   JD-2400000\n");
    }
}

TEST(Snplot, DrawsTheLightCurvesAndTheFitOrTheBolometricCurve) {
    if (!have_gnuplot()) GTEST_SKIP() << "no gnuplot";
    e2e::Scratch fitted;
    write_reduction(fitted, true);
    const e2e::Result r = fitted.run("snplot");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "snplot: drew lightcurves.png fit.png\n");
    EXPECT_TRUE(png(fitted.read("lightcurves.png")));
    EXPECT_TRUE(png(fitted.read("fit.png")));
    EXPECT_FALSE(fitted.exists("bolometric.png"));

    e2e::Scratch unfitted;
    write_reduction(unfitted, false);
    const e2e::Result u = unfitted.run("snplot");
    EXPECT_EQ(u.status, 0) << u.err;
    EXPECT_EQ(u.out, "snplot: drew lightcurves.png bolometric.png\n");
    EXPECT_TRUE(png(unfitted.read("bolometric.png")));
}

// snpost's outputs of two sampled parameters, a truth for one of them.
void write_posterior(const e2e::Scratch& s) {
    std::string samples = "# R0 Mni log_likelihood log_posterior\n", band = "# header\n";
    for (int k = 0; k < 300; ++k)
        samples += std::to_string(3e13 * (1 + 0.001 * (k % 17))) + " " +
                   std::to_string(0.05 + 0.0001 * (k % 13)) + " -10.0 -11.0\n";
    for (int day = 0; day < 20; ++day)
        band += std::to_string(53300 + day) + " -17.0 -17.1 -16.9 -17.2 -16.8 -17.0\n";
    s.write("posterior-samples.txt", samples);
    s.write("posterior-band.txt", band);
}

TEST(Snplot, DrawsThePosteriorWithTheTruthWhenTruthTxtGivesIt) {
    if (!have_gnuplot()) GTEST_SKIP() << "no gnuplot";
    e2e::Scratch s;
    write_reduction(s, true);
    write_posterior(s);
    s.write("truth.txt", "# the synthetic explosion\nR0 3e13\nTion 5500\n");
    const e2e::Result r = s.run("snplot");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "snplot: drew lightcurves.png fit.png posterior.png posterior-band.png\n");
    EXPECT_TRUE(png(s.read("posterior.png")));
    EXPECT_TRUE(png(s.read("posterior-band.png")));

    // A truth that is not a name and a number is refused with its line; nothing is drawn.
    for (const auto& [truth, reason] :
         {std::pair<std::string, std::string>{"R0 3e13\nMni lots\n",
                                              "truth.txt:2: not a number: lots"},
          {"R0\n", "truth.txt:1: a name and a value expected"},
          {"R0 3e13 5\n", "truth.txt:1: a name and a value expected"},
          {"\"R0\" 3e13\n", "truth.txt:1: not a parameter name: \"R0\""}}) {
        e2e::Scratch bad;
        write_reduction(bad, true);
        write_posterior(bad);
        bad.write("truth.txt", truth);
        const e2e::Result refused = bad.run("snplot");
        EXPECT_EQ(refused.status, 1) << truth;
        EXPECT_EQ(refused.err, "snplot: " + reason + "\n") << truth;
        EXPECT_FALSE(bad.exists("posterior.png")) << truth;
        EXPECT_FALSE(bad.exists("fit.png")) << truth;
    }
}

TEST(Snplot, FollowsTheFailureContract) {
    e2e::Scratch s;
    s.write("fit.png", "an earlier figure");
    const e2e::Result nothing = s.run("snplot");
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.out, "");
    if (have_gnuplot()) {
        EXPECT_EQ(nothing.err, "snplot: .: nothing to draw: no light curve X-gorbeA.txt or "
                               "X-gorbe.txt, no bol-gorbe.txt, no fit of snfit\n");
    }
    EXPECT_EQ(s.read("fit.png"), "an earlier figure");

    const e2e::Result wrong = s.run("snplot", "--bogus");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err, "usage: snplot [--help | --version]\n");
    for (const char* arg : {"--help", "--version"}) {
        const e2e::Result r = s.run("snplot", arg);
        EXPECT_EQ(r.status, 0) << arg;
        EXPECT_NE(r.out.find("snplot"), std::string::npos) << arg;
        EXPECT_EQ(r.err, "") << arg;
    }
    EXPECT_EQ(s.files(), std::vector<std::string>{"fit.png"});
}

} // namespace
