#include "bolometric_settings.hpp"
#include "cli.hpp"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace snphot;

// A_B / E(B-V) and A_I / E(B-V) at R_V = 3.1, worked out by hand from the Cardelli, Clayton &
// Mathis (1989) optical law, A/E(B-V) = a(x) R_V + b(x) with y = x - 1.82:
//   a = 1 + 0.17699 y - 0.50447 y^2 - 0.02427 y^3 + 0.72085 y^4 + 0.01979 y^5 - 0.77530 y^6
//         + 0.32999 y^7
//   b = 1.41338 y + 2.28305 y^2 + 1.07233 y^3 - 5.38434 y^4 - 0.62251 y^5 + 5.30260 y^6
//         - 2.09002 y^7
// B, 0.438 um: x = 1 / 0.438 = 2.283105, y = 0.463105; y^2..y^7 = 0.214466, 0.099320,
//   0.045996, 0.021301, 0.009865, 0.004568.
//   a = 1 + 0.081965 - 0.108192 - 0.002410 + 0.033156 + 0.000422 - 0.007648 + 0.001507
//     = 0.998800
//   b = 0.654543 + 0.489637 + 0.106504 - 0.247658 - 0.013260 + 0.052310 - 0.009547 = 1.032529
//   A_B / E(B-V) = 3.1 * 0.998800 + 1.032529 = 3.096280 + 1.032529 = 4.128809
// I, 0.798 um: x = 1 / 0.798 = 1.253133, y = -0.566867; y^2..y^7 = 0.321338, -0.182156,
//   0.103258, -0.058534, 0.033181, -0.018809.
//   a = 1 - 0.100330 - 0.162105 + 0.004421 + 0.074434 - 0.001158 - 0.025725 - 0.006207
//     = 0.783330
//   b = -0.801198 + 0.733631 - 0.195331 - 0.555976 + 0.036438 + 0.175946 + 0.039311
//     = -0.567179
//   A_I / E(B-V) = 3.1 * 0.783330 - 0.567179 = 2.428323 - 0.567179 = 1.861144
// (Each term is rounded to six decimals, so the sums may be off by a few 1e-6.)
TEST(ExtinctionLaw, BAndIPerReddeningAtRv31AreTheHandWorkedValues) {
    EXPECT_NEAR(extinction_per_reddening(kJohnsonBMicron, 3.1), 4.128809, 2e-5);
    EXPECT_NEAR(extinction_per_reddening(kCousinsIMicron, 3.1), 1.861144, 2e-5);
    // A_V / E(B-V) = R_V at 0.549 um (y = 0), and A_B - A_V is E(B-V) near B and V.
    EXPECT_NEAR(extinction_per_reddening(1 / 1.82, 3.1), 3.1, 1e-12);
    EXPECT_NEAR(extinction_per_reddening(kJohnsonBMicron, 3.1) -
                    extinction_per_reddening(0.545, 3.1), 1.0, 0.05);
    // The infrared law, x^1.61 (0.574 R_V - 0.527); J, 1.25 um (x = 0.8): 0.8^1.61 = 0.698192,
    // times 1.779400 - 0.527 = 1.252400 gives 0.874416.
    EXPECT_NEAR(extinction_per_reddening(1.25, 3.1), 0.874416, 2e-6);
}

struct Read {
    BolometricSettings settings;
    std::string refusal; // "where: reason", empty when the text is read
    std::string printed; // the table as --print-settings prints it
};

Read read(const std::string& text) {
    Read r;
    std::vector<SettingsTable> tables = {bolometric_table(r.settings)};
    try {
        read_settings_text(text, "snphot.toml", tables);
    } catch (const RunFailure& e) {
        r.refusal = e.where() + ": " + e.what();
        return r;
    }
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    print_settings(out, tables);
    std::fclose(out);
    r.printed.assign(buffer, size);
    std::free(buffer);
    return r;
}

TEST(BolometricTable, ReddeningGivesTheExtinctionInBAndIAndPrintsIt) {
    const Read r = read("[bolometric]\nebv = 0.41\ndistance_pc = 5.5e6\n");
    ASSERT_EQ(r.refusal, "");
    EXPECT_NEAR(r.settings.extinction_B, 0.41 * 4.128809, 1e-5);
    EXPECT_NEAR(r.settings.extinction_I, 0.41 * 1.861144, 1e-5);
    // R_V = 2: A_B = E(B-V) (2 a + b).
    const Read low = read("[bolometric]\nebv = 0.2\nrv = 2\n");
    EXPECT_NEAR(low.settings.extinction_B, 0.2 * (2 * 0.998800 + 1.032529), 2e-5);
    // The A_B and A_I in use are shown, as comments, and the table printed reads back the same.
    EXPECT_NE(r.printed.find("# extinction_B = 1.69281"), std::string::npos) << r.printed;
    EXPECT_NE(r.printed.find("\nebv = 0.41"), std::string::npos) << r.printed;
    const Read again = read(r.printed);
    ASSERT_EQ(again.refusal, "");
    EXPECT_EQ(again.settings.extinction_B, r.settings.extinction_B);
    EXPECT_EQ(again.settings.extinction_I, r.settings.extinction_I);
    // Without a reddening the extinction keys hold, and ebv and rv are shown as not given.
    const Read plain = read("[bolometric]\nextinction_B = 0.3\n");
    EXPECT_EQ(plain.settings.extinction_B, 0.3f);
    EXPECT_EQ(plain.settings.extinction_I, 0.061f);
    EXPECT_NE(plain.printed.find("# ebv = ?"), std::string::npos) << plain.printed;
    EXPECT_EQ(read(plain.printed).settings.extinction_B, 0.3f);
}

TEST(BolometricTable, BothFormsOrRvAloneAreRefusedAtTheLine) {
    EXPECT_EQ(read("[bolometric]\nebv = 0.4\n\nextinction_I = 0.1\n").refusal,
              "snphot.toml:4: [bolometric] extinction_I and ebv cannot both be given: they set "
              "the same values two ways");
    EXPECT_EQ(read("[bolometric]\nextinction_B = 0.4\nrv = 3\nebv = 0.1\n").refusal,
              "snphot.toml:4: [bolometric] extinction_B and ebv cannot both be given: they set "
              "the same values two ways");
    EXPECT_EQ(read("[bolometric]\ndistance_pc = 1e7\nrv = 3.1\n").refusal,
              "snphot.toml:3: [bolometric] rv is given without ebv");
    EXPECT_EQ(read("[bolometric]\nebv = 0.4\nrv = 0\n").refusal,
              "snphot.toml:3: [bolometric] rv must be greater than 0");
    EXPECT_EQ(read("[bolometric]\nebv = 3e38\n").refusal,
              "snphot.toml:2: [bolometric] ebv must be less than 10");
}

} // namespace
