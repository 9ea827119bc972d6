// lcsub and lcsub-err on the standard light curves of a supernova that appears after the
// reference night 57834: rows of that night and before it are written 100 mag fainter, later rows
// lose the flux of the reference night.
#include "e2e.hpp"

#include <gtest/gtest.h>

using e2e::lines;

namespace {

// Twelve V rows; two on the reference night (57834.00, then 57834.99, which is the one that
// counts), 57833.99 and 57835.00 beside it.
const std::string kV = lines({
    "57826.25 17.962 0.041 0.022",
    "57828.50 17.948 0.040 0.021",
    "57830.25 17.955 0.043 0.023",
    "57833.99 17.931 0.039 0.022",
    "57834.00 17.950 0.042 0.024",
    "57834.99 17.905 0.038 0.021",
    "57835.00 17.412 0.030 0.019",
    "57836.25 16.874 0.026 0.018",
    "57838.25 16.215 0.022 0.017",
    "57839.50 15.990 0.021 0.016",
    "57840.25 15.842 0.020 0.016",
    "57841.25 15.731 0.019 0.015",
});

// No R image on the reference night: the magnitudes stay.
const std::string kR = lines({
    "57826.25 17.604 0.035 0.019",
    "57830.25 17.598 0.036 0.020",
    "57835.00 17.150 0.027 0.017",
    "57838.25 15.988 0.020 0.015",
    "57841.25 15.520 0.018 0.014",
});

// The sixth B row holds text where the error is due: it and the rows after it are not read.
const std::string kB = lines({
    "57826.25 18.511 0.062 0.031",
    "57830.25 18.497 0.060 0.030",
    "57834.75 18.460 0.058 0.029",
    "57836.25 17.233 0.041 0.026",
    "57838.25 16.602 0.033 0.024",
    "57840.25 16.31 n/a 0.023",
    "57841.25 16.20 0.030 0.022",
});

void write_inputs(const e2e::Scratch& s) {
    s.write("V-gorbeS.txt", kV);
    s.write("R-gorbeS.txt", kR);
    s.write("I-gorbeS.txt", "");
    s.write("B-gorbeS.txt", kB);
}

const std::string kConsole = "\n\nBeolvasva:\nszamolt hossz: 12, g\n\n\nLefutott\n";

void expect_inputs_untouched(const e2e::Scratch& s) {
    EXPECT_EQ(s.read("V-gorbeS.txt"), kV);
    EXPECT_EQ(s.read("B-gorbeS.txt"), kB);
}

} // namespace

TEST(Lcsub, FourBandsAnalyticErrorInColumnFour) {
    e2e::Scratch s;
    write_inputs(s);
    const auto r = s.run("lcsub");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kConsole);
    EXPECT_EQ(r.err, "lcsub: B-gorbeS.txt:6: not a row of four numbers; the rest of the file is "
                     "not read\n");
    // Reference V 17.905 +- sqrt(0.038^2 + 0.021^2)
    EXPECT_EQ(s.read("V-gorbeR.txt"), lines({
                                          "57826.250000 117.962000 0.041000 0.022000",
                                          "57828.500000 117.948000 0.040000 0.021000",
                                          "57830.250000 117.955000 0.043000 0.023000",
                                          "57833.988281 117.931000 0.039000 0.022000",
                                          "57834.000000 117.950001 0.042000 0.024000",
                                          "57834.988281 117.905001 0.038000 0.021000",
                                          "57835.000000 18.506383 0.030000 0.077898",
                                          "57836.250000 17.405174 0.026000 0.032782",
                                          "57838.250000 16.472119 0.022000 0.020581",
                                          "57839.500000 16.194132 0.021000 0.018348",
                                          "57840.250000 16.017884 0.020000 0.017728",
                                          "57841.250000 15.888485 0.019000 0.016460",
                                      }));
    EXPECT_EQ(s.read("R-gorbeR.txt"), lines({
                                          "57826.250000 17.604000 0.035000 0.019000",
                                          "57830.250000 17.598000 0.036000 0.020000",
                                          "57835.000000 17.150000 0.027000 0.017000",
                                          "57838.250000 15.988000 0.020000 0.015000",
                                          "57841.250000 15.520000 0.018000 0.014000",
                                      }));
    EXPECT_EQ(s.read("I-gorbeR.txt"), "");
    // Reference B 18.460 +- sqrt(0.058^2 + 0.029^2)
    EXPECT_EQ(s.read("B-gorbeR.txt"), lines({
                                          "57826.250000 118.511000 0.062000 0.031000",
                                          "57830.250000 118.497000 0.060000 0.030000",
                                          "57834.750000 118.459999 0.058000 0.029000",
                                          "57836.250000 17.656525 0.041000 0.040412",
                                          "57838.250000 16.818305 0.033000 0.027935",
                                      }));
    expect_inputs_untouched(s);
}

TEST(LcsubErr, FourBandsFiniteDifferenceErrorInColumnThree) {
    e2e::Scratch s;
    write_inputs(s);
    const auto r = s.run("lcsub-err");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kConsole);
    EXPECT_EQ(r.err, "lcsub-err: B-gorbeS.txt:6: not a row of four numbers; the rest of the file "
                     "is not read\n");
    // Reference V 17.905 +- 0.038
    EXPECT_EQ(s.read("V-gorbeR.txt"), lines({
                                          "57826.250000 117.962000 0.000000 0.022000",
                                          "57828.500000 117.948000 0.000000 0.021000",
                                          "57830.250000 117.955000 0.000000 0.023000",
                                          "57833.988281 117.931000 0.000000 0.022000",
                                          "57834.000000 117.950001 0.000000 0.024000",
                                          "57834.988281 117.905001 0.000000 0.021000",
                                          "57835.000000 18.506383 0.080702 0.019000",
                                          "57836.250000 17.405174 0.028328 0.018000",
                                          "57838.250000 16.472119 0.011504 0.017000",
                                          "57839.500000 16.194132 0.008814 0.016000",
                                          "57840.250000 16.017884 0.007414 0.016000",
                                          "57841.250000 15.888485 0.006513 0.015000",
                                      }));
    EXPECT_EQ(s.read("R-gorbeR.txt"), lines({
                                          "57826.250000 17.604000 0.000000 0.019000",
                                          "57830.250000 17.598000 0.000000 0.020000",
                                          "57835.000000 17.150000 0.000000 0.017000",
                                          "57838.250000 15.988000 0.000000 0.015000",
                                          "57841.250000 15.520000 0.000000 0.014000",
                                      }));
    EXPECT_EQ(s.read("I-gorbeR.txt"), "");
    // Reference B 18.460 +- 0.058
    EXPECT_EQ(s.read("B-gorbeR.txt"), lines({
                                          "57826.250000 118.511000 0.000000 0.031000",
                                          "57830.250000 118.497000 0.000000 0.030000",
                                          "57834.750000 118.459999 0.000000 0.029000",
                                          "57836.250000 17.656525 0.032719 0.026000",
                                          "57838.250000 16.818305 0.014293 0.024000",
                                      }));
    expect_inputs_untouched(s);
}

TEST(Lcsub, EmptyLightCurvesGiveCountZeroAndEmptyOutputs) {
    e2e::Scratch s;
    for (const char* band : {"V", "R", "I", "B"}) s.write(std::string(band) + "-gorbeS.txt", "");
    const auto r = s.run("lcsub");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\n\nBeolvasva:\nszamolt hossz: 0, g\n\n\nLefutott\n");
    EXPECT_EQ(r.err, "");
    for (const char* band : {"V", "R", "I", "B"})
        EXPECT_EQ(s.read(std::string(band) + "-gorbeR.txt"), "") << band;
}

TEST(Lcsub, LastRowWithoutLineEndIsRead) {
    e2e::Scratch s;
    s.write("V-gorbeS.txt", "57834.25 17.5 0.02 0.03\n57840.25 15.0 0.02 0.03");
    for (const char* band : {"R", "I", "B"}) s.write(std::string(band) + "-gorbeS.txt", "");
    const auto r = s.run("lcsub-err");
    EXPECT_EQ(r.out, "\n\nBeolvasva:\nszamolt hossz: 2, g\n\n\nLefutott\n");
    EXPECT_EQ(r.err, "");
    // -2.5 log10(10^-6 - 10^-7) = 15.114394; the point and the reference, each moved by 0.02,
    // change the correction by 0.002200: sqrt(2) * 0.002200 = 0.003111
    EXPECT_EQ(s.read("V-gorbeR.txt"), lines({
                                          "57834.250000 117.500000 0.000000 0.030000",
                                          "57840.250000 15.114394 0.003111 0.030000",
                                      }));
}

TEST(Lcsub, MissingInputStopsBeforeAnyOutputIsTouched) {
    for (const char* program : {"lcsub", "lcsub-err"}) {
        e2e::Scratch s;
        s.write("V-gorbeS.txt", kV);
        s.write("R-gorbeS.txt", kR);
        s.write("I-gorbeS.txt", "");
        s.write("V-gorbeR.txt", "earlier result\n");
        const auto r = s.run(program);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string(program) +
                             ": B-gorbeS.txt: cannot open: No such file or directory\n");
        EXPECT_EQ(s.read("V-gorbeR.txt"), "earlier result\n");
        EXPECT_EQ(s.files(), (std::vector<std::string>{"I-gorbeS.txt", "R-gorbeS.txt",
                                                       "V-gorbeR.txt", "V-gorbeS.txt"}));
    }
}
