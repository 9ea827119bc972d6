// bolcurve on the B and I light curves of a Type II-P supernova at 13.2 Mpc in its first weeks.
#include "e2e.hpp"

#include <gtest/gtest.h>

using e2e::lines;

namespace {

// Night 57824 and 57833 only in B (57833.90 and the I row at 57834.10 lie on different nights),
// 57826 and 57834 only in I; two B images on night 57827 (the I row goes to the first) and two I
// images on night 57836; on night 57830 B was taken at 57830.30 and I at 57830.95.
const std::string kB = lines({
    "57818.30 14.230 0.0153 0.018",
    "57820.31 14.086 0.0139 0.022",
    "57822.32 13.942 0.0124 0.026",
    "57824.33 14.038 0.0134 0.030",
    "57827.34 14.179 0.0148 0.018",
    "57827.41 14.185 0.0151 0.019",
    "57830.30 14.311 0.0161 0.022",
    "57833.90 14.452 0.0175 0.026",
    "57836.35 14.597 0.0190 0.030",
    "57840.36 14.775 0.0207 0.018",
});

const std::string kI = lines({
    "57818.3125 13.648 0.0115 0.015",
    "57820.3225 13.597 0.0112 0.018",
    "57822.3325 13.546 0.0109 0.021",
    "57826.34 13.450 0.0103 0.015",
    "57827.3525 13.437 0.0102 0.018",
    "57830.95 13.420 0.0101 0.021",
    "57834.10 13.431 0.0102 0.015",
    "57836.3625 13.441 0.0103 0.018",
    "57836.4042 13.459 0.0105 0.022",
    "57840.3725 13.452 0.0104 0.021",
});

const std::string kTableHead = "\nA szinek (extinkcio korrigalt):\n"
                               "JD, g/B, r/I, g-r/B-I, hiba, BC, BC hiba\n";

} // namespace

TEST(Bolcurve, PairsNightsCorrectsExtinctionAndWritesTheBolometricCurve) {
    e2e::Scratch s;
    s.write("B-gorbeA.txt", kB);
    s.write("I-gorbeA.txt", kI);
    const auto r = s.run("bolcurve");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // B - 0.146, I - 0.061; colours below 0.54 take the linear correction; on night 57836 the
    // colour error is sqrt(0.022^2 + 0.018^2 + 0.030^2).
    EXPECT_EQ(r.out,
              "\nBeolvasva:\n"
              "szamolt hossz: 10, g/B\n"
              "szamolt hossz: 10, r/I\n" +
                  kTableHead +
                  lines({
                      "57818.300781 14.084000 13.587000 0.497000 0.023431 -0.226530 0.035314",
                      "57820.308594 13.940001 13.536000 0.404000 0.028425 -0.273960 0.040435",
                      "57822.320312 13.796000 13.485000 0.311001 0.033422 -0.321390 0.044040",
                      "57827.339844 14.033000 13.376000 0.657000 0.025456 -0.255444 0.040370",
                      "57830.300781 14.165000 13.359000 0.806000 0.030414 -0.332178 0.050165",
                      "57836.351562 14.451000 13.398000 1.053000 0.041328 -0.473954 0.069177",
                      "57840.359375 14.629000 13.391000 1.238000 0.027659 -0.592050 0.044980",
                  }) +
                  "\n\n");
    // B + BC - 30.602870
    EXPECT_EQ(s.read("bol-gorbe.txt"), lines({
                                           "57818.300781 -16.745400 0.035314",
                                           "57820.308594 -16.936829 0.040435",
                                           "57822.320312 -17.128259 0.044040",
                                           "57827.339844 -16.825314 0.040370",
                                           "57830.300781 -16.770047 0.050165",
                                           "57836.351562 -16.625823 0.069177",
                                           "57840.359375 -16.565920 0.044980",
                                       }));
    EXPECT_EQ(s.read("B-gorbeA.txt"), kB);
    EXPECT_EQ(s.read("I-gorbeA.txt"), kI);
}

TEST(Bolcurve, ColourZeroIsPrintedButNotWritten) {
    e2e::Scratch s;
    // 14.5 - 0.146 = 14.415 - 0.061: colour 0, BC = -0.48
    s.write("B-gorbeA.txt", lines({"57850.30 14.500 0.02 0.030", "57851.30 14.600 0.02 0.030"}));
    s.write("I-gorbeA.txt", lines({"57850.31 14.415 0.02 0.040", "57851.31 14.000 0.02 0.040"}));
    const auto r = s.run("bolcurve");
    EXPECT_EQ(r.status, 0);
    // bolomh(0, 0.05) = -0.398507 * 0.05; bolomh(0.515, 0.05) = -1.313785 * 0.05
    EXPECT_EQ(r.out,
              "\nBeolvasva:\nszamolt hossz: 2, g/B\nszamolt hossz: 2, r/I\n" + kTableHead +
                  lines({
                      "57850.300781 14.354000 14.354000 0.000000 0.050000 -0.480000 0.036014",
                      "57851.300781 14.454000 13.939000 0.515000 0.050000 -0.217350 0.072215",
                  }) +
                  "\n\n");
    EXPECT_EQ(s.read("bol-gorbe.txt"), "57851.300781 -16.366219 0.072215\n");
}

TEST(Bolcurve, HeaderLineInTheBCurveLeavesNoEpoch) {
    e2e::Scratch s;
    s.write("B-gorbeA.txt", "JD B err cal\n" + kB);
    s.write("I-gorbeA.txt", kI);
    s.write("bol-gorbe.txt", "earlier result\n");
    const auto r = s.run("bolcurve");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "bolcurve: B-gorbeA.txt:1: not a row of four numbers; the rest of the file is "
                     "not read\n");
    EXPECT_EQ(r.out, "\nBeolvasva:\nszamolt hossz: 0, g/B\nszamolt hossz: 10, r/I\n" + kTableHead +
                         "\n\n");
    EXPECT_EQ(s.read("bol-gorbe.txt"), "");
}

TEST(Bolcurve, MissingInputStopsBeforeTheOutputIsTouched) {
    e2e::Scratch s;
    s.write("B-gorbeA.txt", kB);
    s.write("bol-gorbe.txt", "earlier result\n");
    const auto r = s.run("bolcurve");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "bolcurve: I-gorbeA.txt: cannot open: No such file or directory\n");
    EXPECT_EQ(s.read("bol-gorbe.txt"), "earlier result\n");
}
