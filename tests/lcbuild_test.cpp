// End-to-end runs of the light-curve builders lcbuild-bvri and lcbuild-griz. Every expected value
// was worked out by hand from the photometry: magnitudes, errors and dates held in single
// precision, each difference formed in higher precision, every sum rounded to single precision
// after each addition, and the light curves read back through their own six-decimal text.
#include "e2e.hpp"

#include <filesystem>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using e2e::lines;
using Files = std::map<std::string, std::string>;

const char* const kTable = "Eredmeny.txt";

// The nine files a builder writes: standard and final light curves, and the colour curve.
std::vector<std::string> outputs_of(const std::string& program) {
    const std::string bands = program == "lcbuild-griz" ? "griz" : "VRIB";
    std::vector<std::string> names;
    for (char b : bands) names.push_back(std::string(1, b) + "-gorbeS.txt");
    for (char b : bands) names.push_back(std::string(1, b) + "-gorbe.txt");
    names.push_back("szin-gorbe.txt");
    return names;
}

// Every output of the run, whole; a file not listed must be empty.
void expect_outputs(const e2e::Scratch& s, const std::string& program, const Files& expected) {
    for (const std::string& name : outputs_of(program)) {
        const auto it = expected.find(name);
        EXPECT_EQ(s.read(name), it == expected.end() ? "" : it->second) << name;
    }
}

// Light curves and a colour curve left behind by an earlier run.
void plant_earlier_outputs(const e2e::Scratch& s, const std::string& program) {
    for (const std::string& name : outputs_of(program)) s.write(name, "earlier " + name + "\n");
}

void expect_earlier_outputs(const e2e::Scratch& s, const std::string& program) {
    for (const std::string& name : outputs_of(program))
        EXPECT_EQ(s.read(name), "earlier " + name + "\n") << name;
}

// Six measurement lines of one image, stars 0 to 5 in identifier order (5 is the supernova);
// the comparison stars carry the errors 0.010 to 0.014.
std::string image(const std::string& band, const std::string& jd,
                  const std::array<std::string, 6>& mags, const std::string& target_error) {
    std::string text;
    for (int i = 0; i < 6; ++i) {
        const std::string error = i == 5 ? target_error : "0.01" + std::to_string(i);
        text += std::to_string(i) + " " + band + " " + jd + " " + mags[i] + " " + error + "\n";
    }
    return text;
}

// The lines of a diagnostic text; every line must be complete.
std::vector<std::string> lines_of(const std::string& text) {
    EXPECT_TRUE(text.empty() || text.back() == '\n') << "unterminated line: " << text;
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

// True when `word` stands in `line` as a word of its own.
bool has_word(const std::string& line, const std::string& word) {
    auto letter = [&](std::size_t at) {
        return std::isalnum(static_cast<unsigned char>(line[at]));
    };
    for (auto at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !letter(at - 1)) && (end == line.size() || !letter(end))) return true;
    }
    return false;
}

// A warning about one image of the table: names the program, the table, the date and the band.
void expect_image_warning(const std::string& line, const std::string& program,
                          const std::string& date, const std::string& band) {
    EXPECT_TRUE(line.starts_with(program + ": " + kTable + ":")) << line;
    EXPECT_NE(line.find(date), std::string::npos) << line;
    EXPECT_TRUE(has_word(line, band)) << line;
}

// "%f" of the not-a-number that 0/0 gives on this machine ("-nan" with glibc on x86-64).
std::string nan_text() {
    volatile float zero = 0.0f;
    char text[16];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(zero / zero));
    return text;
}

// The V images of the worked example below: four comparison stars whose differences from the
// catalogue are -15.045, -14.955, -15.015 and -14.985 (zero point -15, scatter sqrt(0.0045/4)).
const std::array<std::string, 6> kWorkedV = {"1.6",    "1.1987",  "1.754751",
                                             "0.9917", "0.49435", "2.5"};

TEST(LcbuildBvri, WorkedZeroPointsSortAndDateCheck) {
    e2e::Scratch s;
    // Image 1: lines in identifier order 5, 3, 1, 0, 4, 2; the target's JD 2456789.33 and the
    // others' 2456789.30 are both held as 2456789.25 (Datum JO). Image 2: the differences -15.0,
    // -15.2, -14.8, -15.0; the target's 2456789.45 is held as 2456789.5 (Datum ROSSZ).
    s.write(kTable, lines({
                        "5 V 2456789.33 2.5 0.021",
                        "3 V 2456789.30 0.9917 0.014",
                        "1 V 2456789.30 1.1987 0.012",
                        "0 V 2456789.30 1.6 0.011",
                        "4 V 2456789.30 0.49435 0.015",
                        "2 V 2456789.30 1.754751 0.013",
                        "0 V 2456789.30 1.7 0.010",
                        "1 V 2456789.30 1.2437 0.010",
                        "2 V 2456789.30 1.509751 0.010",
                        "3 V 2456789.30 1.2067 0.010",
                        "4 V 2456789.30 0.47935 0.010",
                        "5 V 2456789.45 3.1 0.010",
                    }));
    const e2e::Result r = s.run("lcbuild-bvri");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, lines({
                         "Beolvasva:",
                         "5  V  2456789.250000  2.500000  0.021000",
                         "3  V  2456789.250000  0.991700  0.014000",
                         "1  V  2456789.250000  1.198700  0.012000",
                         "0  V  2456789.250000  1.600000  0.011000",
                         "4  V  2456789.250000  0.494350  0.015000",
                         "2  V  2456789.250000  1.754751  0.013000",
                         "",
                         "0  V  2456789.250000  1.700000  0.010000",
                         "1  V  2456789.250000  1.243700  0.010000",
                         "2  V  2456789.250000  1.509751  0.010000",
                         "3  V  2456789.250000  1.206700  0.010000",
                         "4  V  2456789.250000  0.479350  0.010000",
                         "5  V  2456789.500000  3.100000  0.010000",
                         "",
                         "szamolt kepek: 2",
                         "Datum JO",
                         "-15.045000  0.045000",
                         "-14.955000  -0.045000",
                         "-15.015001  0.015001",
                         "-14.985000  -0.015000",
                         "-15.000000 0.033541 17.500000 V",
                         "",
                         "Datum ROSSZ",
                         "-15.000000  0.000000",
                         "-15.200000  0.200000",
                         "-14.800001  -0.199999",
                         "-15.000000  0.000000",
                         "-15.000000 0.141421 18.100000 V",
                         "",
                         "egyeni atlag, atlagtol valo elteres",
                         "kulonbseg, szorasa, eredmeny, szuro",
                         "Beolvasva:",
                         "szamolt hossz: 2, g",
                         "szamolt hossz: 0, i",
                         "",
                         "A szinek:",
                         "JD, g, i, g-i",
                         "56789.250000 17.500000 0.000000 0.000000",
                         "56789.500000 18.100000 0.000000 0.000000",
                         "",
                         "",
                     }));
    // The colour phase finds no I row: the final light curve equals the standard one.
    const std::string v = lines({
        "56789.250000 17.500000 0.021000 0.033541",
        "56789.500000 18.100000 0.010000 0.141421",
    });
    expect_outputs(s, "lcbuild-bvri", {{"V-gorbeS.txt", v}, {"V-gorbe.txt", v}});
}

TEST(LcbuildBvri, ThreeNightsFourBands) {
    e2e::Scratch s;
    // Night 56789: V, R and B at .25, I at .75 (the same night, so V - I = 17.5 - 16.875).
    // Night 56790: V at .25 and no I (the I of 56789.75 is not this night's). Night 56791: V at
    // .5, I at .25. The colour curve gets the first and the third night.
    s.write(kTable, image("V", "2456789.25",
                          {"1.5", "1.256", "1.689", "1.011", "0.488", "2.501125"}, "0.021") +
                        image("R", "2456789.25",
                              {"1.5", "0.637", "1.207", "0.486", "-0.112", "2.050392"}, "0.024") +
                        image("I", "2456789.75",
                              {"1.5", "0.029", "0.598", "-0.133", "-0.761", "1.473567"}, "0.027") +
                        image("B", "2456789.25",
                              {"1.5", "2.126", "2.458", "1.694", "1.348", "3.225674"}, "0.035") +
                        image("V", "2456790.25",
                              {"1.5", "1.437", "1.921", "1.212", "0.667", "2.824374"}, "0.022") +
                        image("V", "2456791.5",
                              {"1.5", "1.153", "1.595", "0.908", "0.383", "2.649873"}, "0.023") +
                        image("I", "2456791.25",
                              {"1.5", "0.109", "0.708", "-0.007", "-0.671", "1.700067"}, "0.028"));
    const e2e::Result r = s.run("lcbuild-bvri");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, lines({
                         "Beolvasva:",
                         "0  V  2456789.250000  1.500000  0.010000",
                         "1  V  2456789.250000  1.256000  0.011000",
                         "2  V  2456789.250000  1.689000  0.012000",
                         "3  V  2456789.250000  1.011000  0.013000",
                         "4  V  2456789.250000  0.488000  0.014000",
                         "5  V  2456789.250000  2.501125  0.021000",
                         "",
                         "0  R  2456789.250000  1.500000  0.010000",
                         "1  R  2456789.250000  0.637000  0.011000",
                         "2  R  2456789.250000  1.207000  0.012000",
                         "3  R  2456789.250000  0.486000  0.013000",
                         "4  R  2456789.250000  -0.112000  0.014000",
                         "5  R  2456789.250000  2.050392  0.024000",
                         "",
                         "0  I  2456789.750000  1.500000  0.010000",
                         "1  I  2456789.750000  0.029000  0.011000",
                         "2  I  2456789.750000  0.598000  0.012000",
                         "3  I  2456789.750000  -0.133000  0.013000",
                         "4  I  2456789.750000  -0.761000  0.014000",
                         "5  I  2456789.750000  1.473567  0.027000",
                         "",
                         "0  B  2456789.250000  1.500000  0.010000",
                         "1  B  2456789.250000  2.126000  0.011000",
                         "2  B  2456789.250000  2.458000  0.012000",
                         "3  B  2456789.250000  1.694000  0.013000",
                         "4  B  2456789.250000  1.348000  0.014000",
                         "5  B  2456789.250000  3.225674  0.035000",
                         "",
                         "0  V  2456790.250000  1.500000  0.010000",
                         "1  V  2456790.250000  1.437000  0.011000",
                         "2  V  2456790.250000  1.921000  0.012000",
                         "3  V  2456790.250000  1.212000  0.013000",
                         "4  V  2456790.250000  0.667000  0.014000",
                         "5  V  2456790.250000  2.824374  0.022000",
                         "",
                         "0  V  2456791.500000  1.500000  0.010000",
                         "1  V  2456791.500000  1.153000  0.011000",
                         "2  V  2456791.500000  1.595000  0.012000",
                         "3  V  2456791.500000  0.908000  0.013000",
                         "4  V  2456791.500000  0.383000  0.014000",
                         "5  V  2456791.500000  2.649873  0.023000",
                         "",
                         "0  I  2456791.250000  1.500000  0.010000",
                         "1  I  2456791.250000  0.109000  0.011000",
                         "2  I  2456791.250000  0.708000  0.012000",
                         "3  I  2456791.250000  -0.007000  0.013000",
                         "4  I  2456791.250000  -0.671000  0.014000",
                         "5  I  2456791.250000  1.700067  0.028000",
                         "",
                         "szamolt kepek: 7",
                         "Datum JO",
                         "-14.987700  -0.011175",
                         "-15.020751  0.021876",
                         "-14.995700  -0.003174",
                         "-14.991350  -0.007525",
                         "-14.998875 0.012944 17.500000 V",
                         "",
                         "Datum JO",
                         "-15.208460  0.008852",
                         "-15.184581  -0.015027",
                         "-15.210990  0.011382",
                         "-15.194399  -0.005208",
                         "-15.199608 0.010734 17.250000 R",
                         "",
                         "Datum JO",
                         "-15.390061  -0.011371",
                         "-15.404378  0.002946",
                         "-15.412890  0.011458",
                         "-15.398400  -0.003032",
                         "-15.401432 0.008344 16.875000 I",
                         "",
                         "Datum JO",
                         "-14.897062  -0.002264",
                         "-14.881850  -0.017476",
                         "-14.916460  0.017135",
                         "-14.901929  0.002604",
                         "-14.899325 0.012358 18.125000 B",
                         "",
                         "Datum JO",
                         "-14.806700  0.006074",
                         "-14.788751  -0.011875",
                         "-14.794701  -0.005925",
                         "-14.812350  0.011724",
                         "-14.800626 0.009360 17.625000 V",
                         "",
                         "Datum JO",
                         "-15.090700  -0.009426",
                         "-15.114751  0.014625",
                         "-15.098701  -0.001426",
                         "-15.096350  -0.003776",
                         "-15.100126 0.008931 17.750000 V",
                         "",
                         "Datum JO",
                         "-15.310061  0.010128",
                         "-15.294378  -0.005554",
                         "-15.286890  -0.013042",
                         "-15.308400  0.008467",
                         "-15.299932 0.009685 17.000000 I",
                         "",
                         "egyeni atlag, atlagtol valo elteres",
                         "kulonbseg, szorasa, eredmeny, szuro",
                         "Beolvasva:",
                         "szamolt hossz: 3, g",
                         "szamolt hossz: 2, i",
                         "",
                         "A szinek:",
                         "JD, g, i, g-i",
                         "56789.250000 17.500000 16.875000 0.625000",
                         "56790.250000 17.625000 0.000000 0.000000",
                         "56791.500000 17.750000 17.000000 0.750000",
                         "",
                         "",
                     }));
    // All colour coefficients are 0: every final light curve equals its standard light curve.
    const std::string v = lines({
        "56789.250000 17.500000 0.021000 0.012944",
        "56790.250000 17.625000 0.022000 0.009360",
        "56791.500000 17.750000 0.023000 0.008931",
    });
    const std::string rr = lines({
        "56789.250000 17.250000 0.024000 0.010734",
    });
    const std::string i = lines({
        "56789.750000 16.875000 0.027000 0.008344",
        "56791.250000 17.000000 0.028000 0.009685",
    });
    const std::string b = lines({
        "56789.250000 18.125000 0.035000 0.012358",
    });
    expect_outputs(s, "lcbuild-bvri",
                   {{"V-gorbeS.txt", v},
                    {"V-gorbe.txt", v},
                    {"R-gorbeS.txt", rr},
                    {"R-gorbe.txt", rr},
                    {"I-gorbeS.txt", i},
                    {"I-gorbe.txt", i},
                    {"B-gorbeS.txt", b},
                    {"B-gorbe.txt", b},
                    {"szin-gorbe.txt", lines({
                                           "56789.250000 0.625000",
                                           "56791.500000 0.750000",
                                       })}});
}

TEST(LcbuildGriz, ThreeNightsFourBandsWithColourCorrection) {
    e2e::Scratch s;
    // Zero points: comparison star 1 has g - i = 0.8, so its g difference is m - 16.61 + 0.1.
    // The z catalogue is all 0: the z zero point is the mean of 14, 14.2, 13.9 and 14.1.
    // Night 56801: g 16.6 and i 15.8 give the colour 0.8, so the final g row gains 0.1 (0.125 *
    // 0.8), r 0.0072, i 0.076, z nothing. Night 56802: two g rows (.25 and .75) and two i rows;
    // the later i row (16.15) pairs with the first g row only, and every row of that night is
    // corrected with that colour 0.75. Night 56803: an i row without a g row.
    s.write(
        kTable,
        image("g", "2456801.25", {"1.5", "2.622", "2.959", "2.264", "1.849", "2.688187"}, "0.018") +
            image("r", "2456801.25", {"1.5", "1.682", "2.245", "1.529", "0.936", "1.956777"},
                  "0.022") +
            image("i", "2456801.5", {"1.5", "1.320", "1.886", "1.157", "0.532", "1.365012"},
                  "0.025") +
            image("z", "2456801.5", {"13.5", "14", "14.2", "13.9", "14.1", "14.9"}, "0.030") +
            image("g", "2456802.25", {"1.5", "2.713", "3.098", "2.344", "1.938", "3.087936"},
                  "0.019") +
            image("i", "2456802.5", {"1.5", "1.403", "2.001", "1.275", "0.618", "2.015513"},
                  "0.027") +
            image("i", "2456802.75", {"1.5", "1.219", "1.775", "1.071", "0.434", "1.616011"},
                  "0.026") +
            image("g", "2456802.75", {"1.5", "2.500", "2.886", "2.173", "1.732", "2.862438"},
                  "0.021") +
            image("i", "2456803.5", {"1.5", "1.614", "2.181", "1.482", "0.824", "1.966512"},
                  "0.031"));
    const e2e::Result r = s.run("lcbuild-griz");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, lines({
                         "Beolvasva:",
                         "0  g  2456801.250000  1.500000  0.010000",
                         "1  g  2456801.250000  2.622000  0.011000",
                         "2  g  2456801.250000  2.959000  0.012000",
                         "3  g  2456801.250000  2.264000  0.013000",
                         "4  g  2456801.250000  1.849000  0.014000",
                         "5  g  2456801.250000  2.688187  0.018000",
                         "",
                         "0  r  2456801.250000  1.500000  0.010000",
                         "1  r  2456801.250000  1.682000  0.011000",
                         "2  r  2456801.250000  2.245000  0.012000",
                         "3  r  2456801.250000  1.529000  0.013000",
                         "4  r  2456801.250000  0.936000  0.014000",
                         "5  r  2456801.250000  1.956777  0.022000",
                         "",
                         "0  i  2456801.500000  1.500000  0.010000",
                         "1  i  2456801.500000  1.320000  0.011000",
                         "2  i  2456801.500000  1.886000  0.012000",
                         "3  i  2456801.500000  1.157000  0.013000",
                         "4  i  2456801.500000  0.532000  0.014000",
                         "5  i  2456801.500000  1.365012  0.025000",
                         "",
                         "0  z  2456801.500000  13.500000  0.010000",
                         "1  z  2456801.500000  14.000000  0.011000",
                         "2  z  2456801.500000  14.200000  0.012000",
                         "3  z  2456801.500000  13.900000  0.013000",
                         "4  z  2456801.500000  14.100000  0.014000",
                         "5  z  2456801.500000  14.900000  0.030000",
                         "",
                         "0  g  2456802.250000  1.500000  0.010000",
                         "1  g  2456802.250000  2.713000  0.011000",
                         "2  g  2456802.250000  3.098000  0.012000",
                         "3  g  2456802.250000  2.344000  0.013000",
                         "4  g  2456802.250000  1.938000  0.014000",
                         "5  g  2456802.250000  3.087936  0.019000",
                         "",
                         "0  i  2456802.500000  1.500000  0.010000",
                         "1  i  2456802.500000  1.403000  0.011000",
                         "2  i  2456802.500000  2.001000  0.012000",
                         "3  i  2456802.500000  1.275000  0.013000",
                         "4  i  2456802.500000  0.618000  0.014000",
                         "5  i  2456802.500000  2.015513  0.027000",
                         "",
                         "0  i  2456802.750000  1.500000  0.010000",
                         "1  i  2456802.750000  1.219000  0.011000",
                         "2  i  2456802.750000  1.775000  0.012000",
                         "3  i  2456802.750000  1.071000  0.013000",
                         "4  i  2456802.750000  0.434000  0.014000",
                         "5  i  2456802.750000  1.616011  0.026000",
                         "",
                         "0  g  2456802.750000  1.500000  0.010000",
                         "1  g  2456802.750000  2.500000  0.011000",
                         "2  g  2456802.750000  2.886000  0.012000",
                         "3  g  2456802.750000  2.173000  0.013000",
                         "4  g  2456802.750000  1.732000  0.014000",
                         "5  g  2456802.750000  2.862438  0.021000",
                         "",
                         "0  i  2456803.500000  1.500000  0.010000",
                         "1  i  2456803.500000  1.614000  0.011000",
                         "2  i  2456803.500000  2.181000  0.012000",
                         "3  i  2456803.500000  1.482000  0.013000",
                         "4  i  2456803.500000  0.824000  0.014000",
                         "5  i  2456803.500000  1.966512  0.031000",
                         "",
                         "szamolt kepek: 9",
                         "Datum JO",
                         "-13.888001  -0.023812",
                         "-13.947249  0.035437",
                         "-13.922250  0.010437",
                         "-13.889750  -0.022063",
                         "-13.911813 0.024589 16.600000 g",
                         "",
                         "Datum JO",
                         "-14.300800  0.007577",
                         "-14.279691  -0.013532",
                         "-14.305690  0.012468",
                         "-14.286710  -0.006513",
                         "-14.293222 0.010469 16.250000 r",
                         "",
                         "Datum JO",
                         "-14.414000  -0.020988",
                         "-14.447949  0.012961",
                         "-14.456950  0.021962",
                         "-14.421050  -0.013938",
                         "-14.434988 0.017924 15.800000 i",
                         "",
                         "Datum JO",
                         "14.000000  0.049999",
                         "14.200000  -0.150001",
                         "13.900000  0.150000",
                         "14.100000  -0.050001",
                         "14.049999 0.111804 0.850000 z",
                         "",
                         "Datum JO",
                         "-13.797001  -0.015063",
                         "-13.808249  -0.003814",
                         "-13.842250  0.030187",
                         "-13.800750  -0.011313",
                         "-13.812063 0.017893 16.900000 g",
                         "",
                         "Datum JO",
                         "-14.331000  -0.003487",
                         "-14.332949  -0.001538",
                         "-14.338950  0.004463",
                         "-14.335050  0.000563",
                         "-14.334487 0.002948 16.350000 i",
                         "",
                         "Datum JO",
                         "-14.515000  -0.018988",
                         "-14.558949  0.024961",
                         "-14.542950  0.008962",
                         "-14.519050  -0.014938",
                         "-14.533988 0.017938 16.150000 i",
                         "",
                         "Datum JO",
                         "-14.010001  -0.002561",
                         "-14.020250  0.007688",
                         "-14.013250  0.000688",
                         "-14.006750  -0.005812",
                         "-14.012562 0.004998 16.875000 g",
                         "",
                         "Datum JO",
                         "-14.120000  -0.013487",
                         "-14.152949  0.019462",
                         "-14.131950  -0.001538",
                         "-14.129050  -0.004438",
                         "-14.133488 0.012070 16.100000 i",
                         "",
                         "egyeni atlag, atlagtol valo elteres",
                         "kulonbseg, szorasa, eredmeny, szuro",
                         "Beolvasva:",
                         "szamolt hossz: 3, g",
                         "szamolt hossz: 4, i",
                         "",
                         "A szinek:",
                         "JD, g, i, g-i",
                         "56801.250000 16.600000 15.800000 0.800000",
                         "56802.250000 16.900000 16.150000 0.750000",
                         "56802.750000 16.875000 0.000000 0.000000",
                         "",
                         "",
                     }));
    // z has no colour term: its final light curve equals the standard one.
    const std::string z = lines({
        "56801.500000 0.850000 0.030000 0.111804",
    });
    expect_outputs(s, "lcbuild-griz",
                   {{"g-gorbeS.txt", lines({
                                         "56801.250000 16.600000 0.018000 0.024589",
                                         "56802.250000 16.900000 0.019000 0.017893",
                                         "56802.750000 16.875000 0.021000 0.004998",
                                     })},
                    {"g-gorbe.txt", lines({
                                        "56801.250000 16.700000 0.018000 0.024589",
                                        "56802.250000 16.993750 0.019000 0.017893",
                                        "56802.750000 16.968750 0.021000 0.004998",
                                    })},
                    {"r-gorbeS.txt", lines({
                                         "56801.250000 16.250000 0.022000 0.010469",
                                     })},
                    {"r-gorbe.txt", lines({
                                        "56801.250000 16.257200 0.022000 0.010469",
                                    })},
                    {"i-gorbeS.txt", lines({
                                         "56801.500000 15.800000 0.025000 0.017924",
                                         "56802.500000 16.350000 0.027000 0.002948",
                                         "56802.750000 16.150000 0.026000 0.017938",
                                         "56803.500000 16.100000 0.031000 0.012070",
                                     })},
                    {"i-gorbe.txt", lines({
                                        "56801.500000 15.876000 0.025000 0.017924",
                                        "56802.500000 16.421250 0.027000 0.002948",
                                        "56802.750000 16.221250 0.026000 0.017938",
                                        "56803.500000 16.100000 0.031000 0.012070",
                                    })},
                    {"z-gorbeS.txt", z},
                    {"z-gorbe.txt", z},
                    {"szin-gorbe.txt", lines({
                                           "56801.250000 0.800000",
                                           "56802.250000 0.750000",
                                       })}});
}

TEST(LcbuildBvri, BandWordsAndIdentifiers) {
    e2e::Scratch s;
    plant_earlier_outputs(s, "lcbuild-bvri");
    // Image 1: a 300-character band word starting with V, identifiers 7 to 12 (10 sorts after 9).
    // Image 2: "vis" selects no band (the letters are case-sensitive): nothing after its date
    // message. Image 3: the last line's word R decides the band; fields separated by tabs, two
    // stars on a line, identifiers 0.9 and 3.9 echoed as 0 and 3.
    const std::string w = "V" + std::string(299, 'x');
    s.write(kTable, lines({
                        "12 " + w + " 2456795.25 2.4 0.019",
                        "7 " + w + " 2456795.25 1.5 0.010",
                        "10 " + w + " 2456795.25 1.011 0.013",
                        "8 " + w + " 2456795.25 1.256 0.011",
                        "11 " + w + " 2456795.25 0.488 0.014",
                        "9 " + w + " 2456795.25 1.689 0.012",
                    }) +
                        image("vis", "2456795.5",
                              {"1.5", "1.256", "1.689", "1.011", "0.488", "2.7"}, "0.010") +
                        lines({
                            "0.9\tV\t2456796.25\t1.5\t0.010\t1 V 2456796.25 0.637 0.011",
                            "2 V 2456796.25 1.207 0.012  3.9 V 2456796.25 0.486 0.013",
                            "4\tV\t2456796.25\t-0.112\t0.014",
                            "5\tR\t2456796.25\t2.1\t0.024",
                        }));
    const e2e::Result r = s.run("lcbuild-bvri");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, lines({
                         "Beolvasva:",
                         "12  " + w + "  2456795.250000  2.400000  0.019000",
                         "7  " + w + "  2456795.250000  1.500000  0.010000",
                         "10  " + w + "  2456795.250000  1.011000  0.013000",
                         "8  " + w + "  2456795.250000  1.256000  0.011000",
                         "11  " + w + "  2456795.250000  0.488000  0.014000",
                         "9  " + w + "  2456795.250000  1.689000  0.012000",
                         "",
                         "0  vis  2456795.500000  1.500000  0.010000",
                         "1  vis  2456795.500000  1.256000  0.011000",
                         "2  vis  2456795.500000  1.689000  0.012000",
                         "3  vis  2456795.500000  1.011000  0.013000",
                         "4  vis  2456795.500000  0.488000  0.014000",
                         "5  vis  2456795.500000  2.700000  0.010000",
                         "",
                         "0  R  2456796.250000  1.500000  0.010000",
                         "1  R  2456796.250000  0.637000  0.011000",
                         "2  R  2456796.250000  1.207000  0.012000",
                         "3  R  2456796.250000  0.486000  0.013000",
                         "4  R  2456796.250000  -0.112000  0.014000",
                         "5  R  2456796.250000  2.100000  0.024000",
                         "",
                         "szamolt kepek: 3",
                         "Datum JO",
                         "-14.987700  -0.011175",
                         "-15.020751  0.021876",
                         "-14.995700  -0.003174",
                         "-14.991350  -0.007525",
                         "-14.998875 0.012944 17.398874 " + w + "",
                         "",
                         "Datum JO",
                         "Datum JO",
                         "-15.208460  0.008852",
                         "-15.184581  -0.015027",
                         "-15.210990  0.011382",
                         "-15.194399  -0.005208",
                         "-15.199608 0.010734 17.299608 R",
                         "",
                         "egyeni atlag, atlagtol valo elteres",
                         "kulonbseg, szorasa, eredmeny, szuro",
                         "Beolvasva:",
                         "szamolt hossz: 1, g",
                         "szamolt hossz: 0, i",
                         "",
                         "A szinek:",
                         "JD, g, i, g-i",
                         "56795.250000 17.398874 0.000000 0.000000",
                         "",
                         "",
                     }));
    // The earlier files are emptied; bands without images get empty light curves.
    const std::string v = lines({
        "56795.250000 17.398874 0.019000 0.012944",
    });
    const std::string rr = lines({
        "56796.250000 17.299608 0.024000 0.010734",
    });
    expect_outputs(
        s, "lcbuild-bvri",
        {{"V-gorbeS.txt", v}, {"V-gorbe.txt", v}, {"R-gorbeS.txt", rr}, {"R-gorbe.txt", rr}});
}

TEST(LcbuildBvri, UnmeasuredComparisonStarsAndSupernova) {
    e2e::Scratch s;
    // The V image has no measured comparison star (zero point 0/0): its lines are printed, with
    // not-a-number values, but no light-curve row is written. The I image leaves star 2 out (a
    // mean of three) and has the supernova at magnitude 0: its row holds 0 minus the zero point.
    s.write(kTable,
            image("V", "2456790.25", {"1.5", "0", "0", "0", "0", "2.5"}, "0.021") +
                image("I", "2456791.5", {"1.5", "0.029", "0", "-0.133", "-0.761", "0"}, "0.099"));
    const e2e::Result r = s.run("lcbuild-bvri");
    EXPECT_EQ(r.status, 0);
    const std::string nan = nan_text();
    const std::string expected_out = lines({
        "Beolvasva:",
        "0  V  2456790.250000  1.500000  0.010000",
        "1  V  2456790.250000  0.000000  0.011000",
        "2  V  2456790.250000  0.000000  0.012000",
        "3  V  2456790.250000  0.000000  0.013000",
        "4  V  2456790.250000  0.000000  0.014000",
        "5  V  2456790.250000  2.500000  0.021000",
        "",
        "0  I  2456791.500000  1.500000  0.010000",
        "1  I  2456791.500000  0.029000  0.011000",
        "2  I  2456791.500000  0.000000  0.012000",
        "3  I  2456791.500000  -0.133000  0.013000",
        "4  I  2456791.500000  -0.761000  0.014000",
        "5  I  2456791.500000  0.000000  0.099000",
        "",
        "szamolt kepek: 2",
        "Datum JO",
        nan + " " + nan + " " + nan + " V",
        "",
        "Datum JO",
        "-15.390061  -0.010390",
        "-15.412890  0.012439",
        "-15.398400  -0.002051",
        "-15.400451 0.009432 15.400451 I",
        "",
        "egyeni atlag, atlagtol valo elteres",
        "kulonbseg, szorasa, eredmeny, szuro",
        "Beolvasva:",
        "szamolt hossz: 0, g",
        "szamolt hossz: 1, i",
        "",
        "A szinek:",
        "JD, g, i, g-i",
        "",
        "",
    });
    EXPECT_EQ(r.out, expected_out);
    const std::vector<std::string> warnings = lines_of(r.err);
    ASSERT_EQ(warnings.size(), 2u) << r.err;
    expect_image_warning(warnings[0], "lcbuild-bvri", "56790.25", "V");
    expect_image_warning(warnings[1], "lcbuild-bvri", "56791.5", "I");
    // No V row, so the slot-1 light curve is empty and no night has a colour.
    const std::string i = lines({
        "56791.500000 15.400451 0.099000 0.009432",
    });
    expect_outputs(s, "lcbuild-bvri", {{"I-gorbeS.txt", i}, {"I-gorbe.txt", i}});
}

TEST(LcbuildBvri, ColourTableHasNoRowLimit) {
    e2e::Scratch s;
    // 105 V images on the nights 56700 to 56804, I images on the last three nights only: the
    // colours stand in rows 102 to 104 of the colour table.
    const int first = 56700, last = 56804, first_paired = 56802;
    std::string table;
    std::vector<std::string> out = {"Beolvasva:"}, work, colours, v_rows, i_rows, colour_rows;
    auto add_v = [&](int night) {
        const std::string n = std::to_string(night);
        table += image("V", "24" + n + ".25", kWorkedV, "0.021");
        for (const std::string& l : {"0  V  24" + n + ".250000  1.600000  0.010000",
                                     "1  V  24" + n + ".250000  1.198700  0.011000",
                                     "2  V  24" + n + ".250000  1.754751  0.012000",
                                     "3  V  24" + n + ".250000  0.991700  0.013000",
                                     "4  V  24" + n + ".250000  0.494350  0.014000",
                                     "5  V  24" + n + ".250000  2.500000  0.021000", std::string()})
            out.push_back(l);
        for (const char* l :
             {"Datum JO", "-15.045000  0.045000", "-14.955000  -0.045000", "-15.015001  0.015001",
              "-14.985000  -0.015000", "-15.000000 0.033541 17.500000 V", ""})
            work.push_back(l);
        v_rows.push_back(n + ".250000 17.500000 0.021000 0.033541");
        const bool paired = night >= first_paired;
        colours.push_back(n + ".250000 17.500000 " +
                          (paired ? "16.875000 0.625000" : "0.000000 0.000000"));
        if (paired) colour_rows.push_back(n + ".250000 0.625000");
    };
    auto add_i = [&](int night) {
        const std::string n = std::to_string(night);
        table += image("I", "24" + n + ".5",
                       {"1.5", "0.029", "0.598", "-0.133", "-0.761", "1.473567"}, "0.027");
        for (const std::string& l : {"0  I  24" + n + ".500000  1.500000  0.010000",
                                     "1  I  24" + n + ".500000  0.029000  0.011000",
                                     "2  I  24" + n + ".500000  0.598000  0.012000",
                                     "3  I  24" + n + ".500000  -0.133000  0.013000",
                                     "4  I  24" + n + ".500000  -0.761000  0.014000",
                                     "5  I  24" + n + ".500000  1.473567  0.027000", std::string()})
            out.push_back(l);
        for (const char* l :
             {"Datum JO", "-15.390061  -0.011371", "-15.404378  0.002946", "-15.412890  0.011458",
              "-15.398400  -0.003032", "-15.401432 0.008344 16.875000 I", ""})
            work.push_back(l);
        i_rows.push_back(n + ".500000 16.875000 0.027000 0.008344");
    };
    for (int night = first; night <= last; ++night) add_v(night);
    for (int night = first_paired; night <= last; ++night) add_i(night);
    s.write(kTable, table);

    out.push_back("szamolt kepek: 108");
    out.insert(out.end(), work.begin(), work.end());
    for (const char* l :
         {"egyeni atlag, atlagtol valo elteres", "kulonbseg, szorasa, eredmeny, szuro",
          "Beolvasva:", "szamolt hossz: 105, g", "szamolt hossz: 3, i", "",
          "A szinek:", "JD, g, i, g-i"})
        out.push_back(l);
    out.insert(out.end(), colours.begin(), colours.end());
    out.insert(out.end(), {"", ""});

    const e2e::Result r = s.run("lcbuild-bvri");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, lines(out));
    expect_outputs(s, "lcbuild-bvri",
                   {{"V-gorbeS.txt", lines(v_rows)},
                    {"V-gorbe.txt", lines(v_rows)},
                    {"I-gorbeS.txt", lines(i_rows)},
                    {"I-gorbe.txt", lines(i_rows)},
                    {"szin-gorbe.txt", lines(colour_rows)}});
}

// A table the builders refuse: one line "program: where: reason" on standard error, status 1,
// and the light curves and colour curve of an earlier run left as they were.
void expect_refused(const std::string& program, const std::optional<std::string>& table,
                    const std::string& where) {
    e2e::Scratch s;
    plant_earlier_outputs(s, program);
    if (table) s.write(kTable, *table);
    const std::vector<std::string> before = s.files();
    const e2e::Result r = s.run(program);
    EXPECT_EQ(r.status, 1);
    expect_earlier_outputs(s, program);
    EXPECT_EQ(s.files(), before);
    const std::vector<std::string> diagnostics = lines_of(r.err);
    ASSERT_EQ(diagnostics.size(), 1u) << r.err;
    const std::string prefix = program + ": " + where + ": ";
    EXPECT_TRUE(diagnostics[0].starts_with(prefix))
        << "expected " << prefix << "...\n got " << r.err;
    EXPECT_GT(diagnostics[0].size(), prefix.size()) << "a reason follows: " << r.err;
}

const std::string kGoodV = image("V", "2456789.25", kWorkedV, "0.021");

TEST(LcbuildRefusedTable, Missing) {
    expect_refused("lcbuild-bvri", std::nullopt, "Eredmeny.txt");
}

TEST(LcbuildRefusedTable, Empty) {
    expect_refused("lcbuild-bvri", "", "Eredmeny.txt:1");
    expect_refused("lcbuild-griz", "", "Eredmeny.txt:1");
}

TEST(LcbuildRefusedTable, EndsInsideABlock) {
    // Cut after two complete lines of the second image: the table ends on line 8.
    expect_refused("lcbuild-bvri", kGoodV + "0 V 2456790.25 1.5 0.010\n1 V 2456790.25 1.2 0.011\n",
                   "Eredmeny.txt:8");
    // Line 9 breaks off before the error of star 2.
    expect_refused("lcbuild-bvri",
                   kGoodV +
                       "0 V 2456790.25 1.5 0.010\n1 V 2456790.25 1.2 0.011\n2 V 2456790.25 1.7\n",
                   "Eredmeny.txt:9");
}

TEST(LcbuildRefusedTable, NotANumber) {
    // A magnitude written as "abc" on line 8, in the second block.
    expect_refused("lcbuild-bvri",
                   kGoodV + "0 V 2456790.25 1.5 0.010\n1 V 2456790.25 abc 0.011\n" + kGoodV,
                   "Eredmeny.txt:8");
    // A header line: its first word is no identifier.
    expect_refused("lcbuild-griz",
                   "id band JD mag err\n" + image("g", "2456789.25", kWorkedV, "0.021"),
                   "Eredmeny.txt:1");
}

// A light curve that cannot be written in full (a full disk) is not reported as success.
TEST(LcbuildWriteFailure, AFullDiskEndsTheRunWithStatus1) {
    e2e::Scratch s;
    s.write(kTable, kGoodV);
    std::filesystem::create_symlink("/dev/full", s.dir() / "V-gorbe.txt");
    const e2e::Result r = s.run("lcbuild-bvri");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lcbuild-bvri: V-gorbe.txt: cannot write: No space left on device\n");
}

TEST(LcbuildCommandLine, HelpVersionAndRefusedArguments) {
    for (const std::string program : {"lcbuild-bvri", "lcbuild-griz"}) {
        SCOPED_TRACE(program);
        e2e::Scratch s;
        plant_earlier_outputs(s, program);
        s.write(kTable, kGoodV);
        const std::vector<std::string> before = s.files();

        const e2e::Result help = s.run(program, "--help");
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.err, "");
        EXPECT_NE(help.out.find(kTable), std::string::npos) << help.out;
        for (const std::string& name : outputs_of(program))
            EXPECT_NE(help.out.find(name), std::string::npos) << name;

        const e2e::Result version = s.run(program, "--version");
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.err, "");
        EXPECT_EQ(lines_of(version.out).size(), 1u) << version.out;

        const e2e::Result other = s.run(program, "--colour");
        EXPECT_EQ(other.status, 2);
        EXPECT_EQ(other.out, "");
        const std::vector<std::string> usage = lines_of(other.err);
        ASSERT_EQ(usage.size(), 1u) << other.err;
        std::string lower = usage[0];
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(lower.find("usage"), std::string::npos) << other.err;

        expect_earlier_outputs(s, program);
        EXPECT_EQ(s.read(kTable), kGoodV);
        EXPECT_EQ(s.files(), before);
    }
}

} // namespace
