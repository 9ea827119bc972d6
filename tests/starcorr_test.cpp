// starcorr end to end: zero-point corrections of a standard field, one line per image of band
// g, r, i or z, with the expected console output and files worked out by hand.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

// Images of bands g, r, V, g (band word "g" on the last line only) and G; "@" stands for the
// magnitude of position 2, which never enters a zero point.
std::string grg_table(const std::string& position_two) {
    std::string table = R"(1 g 2456789.45 15.614 0.012
2 g 2456789.45 @ 0.011
3 g 2456789.45 15.788 0.014
4 g 2456789.45 15.451 0.012
5 g 2456789.45 15.633 0.013
1 r 2456790.2 14.925 0.010
2 r 2456790.2 @ 0.009
3 r 2456790.2 15.231 0.012
4 r 2456790.2 14.946 0.011
5 r 2456790.2 15.122 0.011
1 V 2456790.2 14.802 0.010
2 V 2456790.2 @ 0.009
3 V 2456790.2 15.107 0.012
4 V 2456790.2 14.830 0.011
5 V 2456790.2 15.011 0.011
1 r 2456791.3 15.507 0.013
2 r 2456791.6 @ 0.012
3 r 2456791.6 15.694 0.015
4 r 2456791.6 15.352 0.013
5 g 2456791.6 15.531 0.014
1 G 2456791.3 15.499 0.013
2 G 2456791.3 @ 0.012
3 G 2456791.3 15.690 0.015
4 G 2456791.3 15.340 0.013
5 G 2456791.3 15.529 0.014
)";
    for (auto at = table.find('@'); at != std::string::npos; at = table.find('@'))
        table.replace(at, 1, position_two);
    return table;
}

const std::string kGCorrections = R"(56789.500000 0.399938 0.000000 0.003247
56791.250000 0.299438 0.000000 0.003655
)";
const std::string kRCorrections = "56790.250000 0.249508 0.000000 0.002606\n";

TEST(Starcorr, ImagesOfBandsGRGFillTheirCorrectionFilesInBlockOrder) {
    e2e::Scratch s;
    s.write("Eredmeny.txt", grg_table("15.371"));
    const e2e::Result r = s.run("starcorr");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, R"(Beolvasva:
1  g  2456789.500000  15.614000  0.012000
2  g  2456789.500000  15.371000  0.011000
3  g  2456789.500000  15.788000  0.014000
4  g  2456789.500000  15.451000  0.012000
5  g  2456789.500000  15.633000  0.013000

1  r  2456790.250000  14.925000  0.010000
2  r  2456790.250000  15.371000  0.009000
3  r  2456790.250000  15.231000  0.012000
4  r  2456790.250000  14.946000  0.011000
5  r  2456790.250000  15.122000  0.011000

1  V  2456790.250000  14.802000  0.010000
2  V  2456790.250000  15.371000  0.009000
3  V  2456790.250000  15.107000  0.012000
4  V  2456790.250000  14.830000  0.011000
5  V  2456790.250000  15.011000  0.011000

1  g  2456791.250000  15.507000  0.013000
2  g  2456791.500000  15.371000  0.012000
3  g  2456791.500000  15.694000  0.015000
4  g  2456791.500000  15.352000  0.013000
5  g  2456791.500000  15.531000  0.014000

1  G  2456791.250000  15.499000  0.013000
2  G  2456791.250000  15.371000  0.012000
3  G  2456791.250000  15.690000  0.015000
4  G  2456791.250000  15.340000  0.013000
5  G  2456791.250000  15.529000  0.014000

szamolt kepek: 5
0.404001  -0.004063
0.396750  0.003188
0.402250  -0.002313
0.396750  0.003188
0.399938 0.003247 g

0.252920  -0.003412
0.246670  0.002837
0.251130  -0.001623
0.247310  0.002198
0.249508 0.002606 r

0.297000  0.002437
0.302750  -0.003312
0.303250  -0.003813
0.294750  0.004688
0.299438 0.003655 g

elteresek kulon-kulon, elteres az atlagtol
elteres atlag, szoras, szuro


)");
    EXPECT_EQ(s.read("g-korr.txt"), kGCorrections);
    EXPECT_EQ(s.read("r-korr.txt"), kRCorrections);
    EXPECT_EQ(s.read("i-korr.txt"), "");
    EXPECT_EQ(s.read("z-korr.txt"), "");
}

TEST(Starcorr, ThePositionTwoMagnitudeChangesNoCorrection) {
    for (const char* position_two : {"9.999", "0"}) {
        e2e::Scratch s;
        s.write("Eredmeny.txt", grg_table(position_two));
        const e2e::Result r = s.run("starcorr");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "") << "position 2 is not used, so its magnitude 0 is no concern";
        EXPECT_EQ(s.read("g-korr.txt"), kGCorrections) << position_two;
        EXPECT_EQ(s.read("r-korr.txt"), kRCorrections) << position_two;
    }
}

TEST(Starcorr, EqualOffsetsHaveNoScatterZHasNoColourTermAndMagnitudeZeroEnters) {
    e2e::Scratch s;
    s.write("g-korr.txt", "from an earlier run\n");
    s.write("Eredmeny.txt", R"(1 i 2456790.2 14.6064 0.010
2 i 2456790.2 15.050 0.012
3 i 2456790.2 15.03015 0.012
4 i 2456790.2 14.74585 0.011
5 i 2456790.2 14.91395 0.011
1 z 2456790.2 14.493 0.011
2 z 2456790.2 14.404 0.011
3 z 2456790.2 14.968 0.013
4 z 2456790.2 14.671 0.012
5 z 2456790.2 14.859 0.013
1 r 2456790.2 14.925 0.010
2 r 2456790.2 14.690 0.009
3 r 2456790.2 15.231 0.012
4 r 2456790.2 0 0.011
5 r 2456790.2 15.122 0.011
)");
    const e2e::Result r = s.run("starcorr");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "starcorr: Eredmeny.txt:11: position 4 of the r image of JD 2456790.250000 has "
              "magnitude 0 (not measured?); it enters the zero point all the same\n");
    EXPECT_EQ(s.read("i-korr.txt"), "56790.250000 0.250000 0.000000 0.000000\n");
    // z: mean of 0.183, 0.178, 0.181, 0.179
    EXPECT_EQ(s.read("z-korr.txt"), "56790.250000 0.180250 0.000000 0.001920\n");
    EXPECT_EQ(s.read("r-korr.txt"), "56790.250000 -3.486993 0.000000 6.470871\n");
    EXPECT_EQ(s.read("g-korr.txt"), "");
}

TEST(Starcorr, ABrokenTableLeavesTheCorrectionFilesUntouched) {
    const std::string block = "1 g 2456789.4 15.614 0.012\n2 g 2456789.4 15.371 0.011\n"
                              "3 g 2456789.4 15.788 0.014\n4 g 2456789.4 15.451 0.012\n"
                              "5 g 2456789.4 15.633 0.013\n";
    const std::string echo = "Beolvasva:\n"
                             "1  g  2456789.500000  15.614000  0.012000\n"
                             "2  g  2456789.500000  15.371000  0.011000\n"
                             "3  g  2456789.500000  15.788000  0.014000\n"
                             "4  g  2456789.500000  15.451000  0.012000\n"
                             "5  g  2456789.500000  15.633000  0.013000\n\n";
    struct Case {
        const char* table; // nullptr: no table
        std::string out, err;
    };
    const Case cases[] = {
        {nullptr, "", "starcorr: Eredmeny.txt: cannot open: No such file or directory\n"},
        {"", "Beolvasva:\n", "starcorr: Eredmeny.txt:1: no measurement in the table\n"},
        {"1 g 2456789.4 15.614 0.012\n2 g 2456789.4 15.371 0.011\n", "Beolvasva:\n",
         "starcorr: Eredmeny.txt:2: the table ends inside an image block (after 2 of its 5 "
         "lines)\n"},
        {"1 g 2456789.4 15.614 0.012\n2 g 2456789.4 n/a 0.011\n", "Beolvasva:\n",
         "starcorr: Eredmeny.txt:2: not a number where the magnitude is due\n"},
    };
    for (const Case& c : cases) {
        e2e::Scratch s;
        if (c.table) s.write("Eredmeny.txt", c.table);
        for (const char* name : {"g-korr.txt", "r-korr.txt", "i-korr.txt", "z-korr.txt"})
            s.write(name, "kept\n");
        const e2e::Result r = s.run("starcorr");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        for (const char* name : {"g-korr.txt", "r-korr.txt", "i-korr.txt", "z-korr.txt"})
            EXPECT_EQ(s.read(name), "kept\n") << name;
    }
    e2e::Scratch s; // a second block that ends early: the first was echoed already
    s.write("Eredmeny.txt", block + "1 g 2456790.2 15.5 0.01\n");
    const e2e::Result r = s.run("starcorr");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, echo);
    EXPECT_FALSE(s.exists("g-korr.txt"));
}

TEST(Starcorr, AnswersHelpAndRefusesOtherArguments) {
    e2e::Scratch s;
    const e2e::Result help = s.run("starcorr", "--help");
    EXPECT_EQ(help.status, 0);
    for (const char* name :
         {"Eredmeny.txt", "g-korr.txt", "r-korr.txt", "i-korr.txt", "z-korr.txt"})
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
    const e2e::Result wrong = s.run("starcorr", "g-korr.txt");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err,
              "usage: starcorr [--settings FILE] [--print-settings] | --help | --version\n");
    EXPECT_TRUE(s.files().empty());
}

} // namespace
