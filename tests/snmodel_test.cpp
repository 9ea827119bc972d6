// snmodel end to end: parameter files in, the whole "kimenet.out" and console out. The expected
// rows were worked out separately from the model's equations in double precision.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using e2e::lines;

// A typical hydrogen-rich explosion, one number per line; tmax (days) is left to each test.
std::string parameters(const std::string& tmax, const std::string& Tion = "5500",
                       const std::string& s = "2", const std::string& Ep = "0",
                       const std::string& tp = "0", const std::string& Ag = "90000") {
    return lines({"5e13", "10", Tion, "0.05", "1.5", "1.0", "0", s, "0.3", Ep, tp, Ag, tmax});
}

// The printed values of the header; the defaults are those of the typical explosion.
struct Header {
    std::string Trec = "5500";
    std::string s = "2";
    std::string Ep = "0";
    std::string tp = "0";
    std::string Ag = "90000";
    std::string v = "5835.61";
    std::string rho0 = "1.07918e-07";
    std::string td = "9523.38";
    std::string th = "0.991677";
    std::string t0 = "137.435";
};

std::vector<std::string> header(const Header& h) {
    return {"#Supernova light curve model based on Arnett & Fu ApJ 340, 396 (1989)",
            "#",
            "#Inital model parameters",
            "#R0 = 5e+13 cm",
            "#Mej = 10 M_sol",
            "#MNi = 0.05 M_sol",
            "#Eth = 1e+51 erg",
            "#Ekin = 1.5e+51 erg",
            "#Trec = " + h.Trec + " K",
            "#kappa = 0.3 cm^2/g",
            "#a = 0 ",
            "#s = " + h.s + " ",
            "#Ep = " + h.Ep + " erg",
            "#tp= " + h.tp + " d",
            "#Ag = " + h.Ag + " d^2",
            "#",
            "#Calaculated physical properties ",
            "#v = " + h.v + " km/s",
            "#rho0 = " + h.rho0 + " g/cm^3",
            "#td = " + h.td + " d",
            "#th = " + h.th + " d",
            "#t0 = " + h.t0 + " d",
            "#",
            "#t/day    Lsn    logLsn     Ldiff      Lrec \t  xi    g_rad"};
}

std::string file(std::vector<std::string> head, const std::vector<std::string>& rows) {
    head.insert(head.end(), rows.begin(), rows.end());
    return lines(head);
}

// The sign the C library shows for a not-a-number depends on the processor; compare without it.
std::string unsigned_nan(std::string text) {
    for (std::size_t at; (at = text.find("-nan")) != std::string::npos;) text.erase(at, 1);
    return text;
}

const std::string kFirstTwoRows[] = {"0.000000 1.2154e+42 42.0847 1.2154e+42 -0 1 1.000000",
                                     "1.157407 1.21592e+42 42.0849 1.21592e+42 -0 1 0.898188"};

} // namespace

TEST(Snmodel, TypicalExplosionWritesTheHeaderAndARowEveryFifthStep) {
    e2e::Scratch s;
    s.write("parameters.inp", parameters("1.2"));
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // Six steps (t = 0 ... 100000 s <= 1.2 d); rows at steps 0 and 5.
    EXPECT_EQ(r.out, lines({"0.000000 20000.000000   ", "1.157407 20000.000000   "}));
    EXPECT_EQ(s.read("kimenet.out"), file(header({}), {kFirstTwoRows[0], kFirstTwoRows[1]}));
}

TEST(Snmodel, EndTimeBeforeTheExplosionWritesTheHeaderOnlyAndZeroOneRow) {
    e2e::Scratch s;
    s.write("parameters.inp", parameters("-1"));
    auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(s.read("kimenet.out"), file(header({}), {}));

    s.write("parameters.inp", parameters("0"));
    r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0.000000 20000.000000   \n");
    EXPECT_EQ(s.read("kimenet.out"), file(header({}), {kFirstTwoRows[0]}));
}

TEST(Snmodel, NoGammaRayTrappingLeavesNoDiffusionLuminosityAfterTheExplosion) {
    // Ag = 0: G = 1 - exp(-0/0) is not a number at t = 0 and 0 afterwards, so Lsn = 0 and its
    // logarithm is minus infinity. Uniform density (s = 0, a = 0) takes the numerical integrals.
    e2e::Scratch s;
    s.write("parameters.inp", parameters("2", "5500", "0", "0", "0", "0"));
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, lines({"0.000000 20000.000000   ", "1.157407 20000.000000   "}));
    Header h;
    h.s = "0";
    h.Ag = "0";
    h.v = "5013.31";
    h.rho0 = "3.79757e-08";
    h.td = "3351.23";
    h.th = "1.15434";
    h.t0 = "87.9595";
    EXPECT_EQ(
        unsigned_nan(s.read("kimenet.out")),
        file(header(h), {"0.000000 nan nan nan -0 1 1.000000", "1.157407 0 -inf 0 -0 1 0.898188"}));
}

TEST(Snmodel, ExtraPowerSourceActsOnlyWithATimeScale) {
    e2e::Scratch s;
    Header h;
    h.Ep = "5e+51";

    // tp = 0: the energy is printed but the light curve is that of no extra power.
    s.write("parameters.inp", parameters("1.2", "5500", "2", "5", "0"));
    auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(s.read("kimenet.out"), file(header(h), {kFirstTwoRows[0], kFirstTwoRows[1]}));

    h.tp = "10";
    s.write("parameters.inp", parameters("1.2", "5500", "2", "5", "10"));
    r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(s.read("kimenet.out"),
              file(header(h), {"0.000000 1.3688e+42 42.1363 1.3688e+42 -0 1 1.000000",
                               "1.157407 2.45327e+42 42.3897 2.45327e+42 -0 1 0.898188"}));
}

TEST(Snmodel, StepDoublesAfterAHundredAndOneStepsWithoutRecombination) {
    // Tion far above any temperature: the front falls to the core edge in the first step (a
    // burst of recombination) and stays there, Lion = -0 from then on. After 101 such steps, from
    // t = 102 x 20000 s, the step is 40000 s; rows stay at every fifth step: 100 and 105.
    e2e::Scratch s;
    s.write("parameters.inp", parameters("26", "1e30"));
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out,
        lines(
            {"0.000000 20000.000000   ",  "1.157407 20000.000000   ",  "2.314815 20000.000000   ",
             "3.472222 20000.000000   ",  "4.629630 20000.000000   ",  "5.787037 20000.000000   ",
             "6.944444 20000.000000   ",  "8.101852 20000.000000   ",  "9.259259 20000.000000   ",
             "10.416667 20000.000000   ", "11.574074 20000.000000   ", "12.731481 20000.000000   ",
             "13.888889 20000.000000   ", "15.046296 20000.000000   ", "16.203704 20000.000000   ",
             "17.361111 20000.000000   ", "18.518519 20000.000000   ", "19.675926 20000.000000   ",
             "20.833333 20000.000000   ", "21.990741 20000.000000   ", "23.148148 20000.000000   ",
             "25.000000 40000.000000   "}));
    Header h;
    h.Trec = "1e+30";
    EXPECT_EQ(s.read("kimenet.out"),
              file(header(h), {"0.000000 5.92755e+42 42.7729 1.37924e+42 4.54832e+42 0.4 1.000000",
                               "1.157407 1.38226e+42 42.1406 1.38226e+42 -0 0.4 0.898188",
                               "2.314815 1.38642e+42 42.1419 1.38642e+42 -0 0.4 0.808702",
                               "3.472222 1.3912e+42 42.1434 1.3912e+42 -0 0.4 0.730025",
                               "4.629630 1.39619e+42 42.1449 1.39619e+42 -0 0.4 0.660827",
                               "5.787037 1.40106e+42 42.1465 1.40106e+42 -0 0.4 0.599942",
                               "6.944444 1.40552e+42 42.1478 1.40552e+42 -0 0.4 0.546348",
                               "8.101852 1.40937e+42 42.149 1.40937e+42 -0 0.4 0.499148",
                               "9.259259 1.41244e+42 42.15 1.41244e+42 -0 0.4 0.457557",
                               "10.416667 1.4146e+42 42.1506 1.4146e+42 -0 0.4 0.420886",
                               "11.574074 1.41576e+42 42.151 1.41576e+42 -0 0.4 0.388530",
                               "12.731481 1.41584e+42 42.151 1.41584e+42 -0 0.4 0.359960",
                               "13.888889 1.41481e+42 42.1507 1.41481e+42 -0 0.4 0.334711",
                               "15.046296 1.41264e+42 42.15 1.41264e+42 -0 0.4 0.312377",
                               "16.203704 1.40932e+42 42.149 1.40932e+42 -0 0.4 0.292599",
                               "17.361111 1.40486e+42 42.1476 1.40486e+42 -0 0.4 0.275064",
                               "18.518519 1.39927e+42 42.1459 1.39927e+42 -0 0.4 0.259499",
                               "19.675926 1.39257e+42 42.1438 1.39257e+42 -0 0.4 0.245663",
                               "20.833333 1.3848e+42 42.1414 1.3848e+42 -0 0.4 0.233344",
                               "21.990741 1.37599e+42 42.1386 1.37599e+42 -0 0.4 0.222358",
                               "23.148148 1.36619e+42 42.1355 1.36619e+42 -0 0.4 0.212542",
                               "25.000000 1.34618e+42 42.1291 1.34618e+42 -0 0.4 0.198921"}));
}

TEST(Snmodel, MissingParameterFileLeavesAnEmptyOutput) {
    e2e::Scratch s;
    s.write("kimenet.out", "an earlier model\n");
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "No paramter file!\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(s.read("kimenet.out"), "");
}

TEST(Snmodel, PowerLawIndexThreeOrFiveIsRefusedButNotItsNeighbours) {
    for (const char* forbidden : {"3", "5.0"}) {
        e2e::Scratch s;
        s.write("kimenet.out", "an earlier model\n");
        s.write("parameters.inp", parameters("1", "5500", forbidden));
        const auto r = s.run("snmodel");
        EXPECT_EQ(r.status, 1) << forbidden;
        EXPECT_EQ(r.out, "Parameter error! The n = 3.0 and n = 5.0 are forbidden!\n");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(s.read("kimenet.out"), "");
    }
    // Close to 3 the closed forms hold: the mass integral tends to 0.064/3 + 0.064 ln 2.5.
    e2e::Scratch s;
    s.write("parameters.inp", parameters("0", "5500", "3.0001"));
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 0);
    Header h;
    h.s = "3.0001";
    h.v = "6457.56";
    h.rho0 = "1.58333e-07";
    h.td = "13972.3";
    h.th = "0.896165";
    h.t0 = "158.25";
    EXPECT_EQ(s.read("kimenet.out"),
              file(header(h), {"0.000000 8.28414e+41 41.9182 8.28414e+41 -0 1 1.000000"}));
}

TEST(Snmodel, MissingOrMalformedParameterIsNamedAndNothingIsModelled) {
    e2e::Scratch s;
    s.write("kimenet.out", "an earlier model\n");
    s.write("parameters.inp", "5e13\n10\n5500\n0.05\n1.5\n1.0\n0\n2\n");
    auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "snmodel: parameters.inp: parameter 9 (kappa) is missing: the file holds 8 "
                     "of the 13 numbers\n");
    EXPECT_EQ(s.read("kimenet.out"), "");

    s.write("parameters.inp", "5e13 10 5500\n0.05\n1.5\n1.0\n0\n2\nopacity 0 0 9e4 400\n");
    r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "snmodel: parameters.inp:7: parameter 9 (kappa) is not a number\n");
    EXPECT_EQ(s.read("kimenet.out"), "");

    s.write("parameters.inp", "");
    r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "snmodel: parameters.inp: parameter 1 (R0) is missing: the file holds 0 of "
                     "the 13 numbers\n");
}

TEST(Snmodel, ParameterFileThatCannotBeReadIsNotTakenForAMissingNumber) {
    e2e::Scratch s;
    std::filesystem::create_directory(s.dir() / "parameters.inp");
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "snmodel: parameters.inp: cannot be read: Is a directory\n");
    EXPECT_EQ(s.read("kimenet.out"), "");
}

TEST(Snmodel, OutputThatCannotBeCreatedEndsTheRunBeforeAnythingIsRead) {
    e2e::Scratch s;
    std::filesystem::create_directory(s.dir() / "kimenet.out");
    s.write("parameters.inp", parameters("1"));
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "snmodel: kimenet.out: cannot open: Is a directory\n");
}

TEST(Snmodel, OutputThatCannotBeWrittenInFullIsAFailure) {
    e2e::Scratch s;
    std::filesystem::create_symlink("/dev/full", s.dir() / "kimenet.out");
    s.write("parameters.inp", parameters("1"));
    const auto r = s.run("snmodel");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0.000000 20000.000000   \n");
    EXPECT_EQ(r.err, "snmodel: kimenet.out: cannot write: No space left on device\n");
}

TEST(Snmodel, HelpNamesBothFilesAndTouchesNone) {
    e2e::Scratch s;
    const auto r = s.run("snmodel", "--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("parameters.inp"), std::string::npos);
    EXPECT_NE(r.out.find("kimenet.out"), std::string::npos);
    EXPECT_TRUE(s.files().empty());
}

// A parameter that describes no physical explosion would give rows of NaN, or a run without end;
// it is refused like a missing one, naming it. A negative tmax (header only) and Ag = 0 stay valid.
TEST(Snmodel, UnphysicalParametersAreRefusedAndNothingIsModelled) {
    const std::vector<std::string> typical = {"5e13", "10",  "5500", "0.05", "1.5",   "1.0", "0",
                                              "2",    "0.3", "0",    "0",    "90000", "1"};
    struct Case {
        int index; // 1-based, in the order of the file
        const char* value;
        const char* fault;
    };
    const Case cases[] = {
        {1, "0", "(R0) must be positive"},
        {1, "-5e13", "(R0) must be positive"},
        {2, "0", "(M) must be positive"},
        {3, "-5500", "(Tion) must be positive"},
        {4, "-0.05", "(Mni) must not be negative"},
        {5, "0", "(Ek) must be positive"},
        {6, "-1", "(E) must not be negative"},
        {9, "0", "(kappa) must be positive"},
        {10, "-1", "(Ep) must not be negative"},
        {11, "-3", "(tp) must not be negative"},
        {12, "-1", "(Ag) must not be negative"},
        {13, "inf", "(tmax) is not a finite number"},
        {13, "1e30", "(tmax) must not exceed 36525 days (100 years)"},
        {13, "36525.001", "(tmax) must not exceed 36525 days (100 years)"},
        {2, "nan", "(M) is not a finite number"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> values = typical;
        values[c.index - 1] = c.value;
        e2e::Scratch s;
        s.write("parameters.inp", lines(values));
        const e2e::Result r = s.run("snmodel");
        EXPECT_EQ(r.status, 1) << c.fault;
        EXPECT_EQ(r.err, "snmodel: parameters.inp:" + std::to_string(c.index) + ": parameter " +
                             std::to_string(c.index) + " " + c.fault + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(s.read("kimenet.out"), "");
    }
    for (const auto& [index, value] : {std::pair{12, "0"}, {4, "0"}, {13, "-1"}}) {
        std::vector<std::string> values = typical;
        values[index - 1] = value;
        e2e::Scratch s;
        s.write("parameters.inp", lines(values));
        const e2e::Result r = s.run("snmodel");
        EXPECT_EQ(r.status, 0) << index << " = " << value << ": " << r.err;
        EXPECT_EQ(r.err, "");
    }
}
