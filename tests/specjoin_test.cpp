// specjoin: the merged table "Eredmeny.txt" and the console, worked out by hand (rest wavelength =
// observed / 1.0044 in single precision, flux x 4.32e15, the value of the last lookup edge inside
// the open 5-unit window above the point).
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Specjoin, MergesShiftsAndScalesInTheSpectrumOrder) {
    e2e::Scratch s;
    // Tabs, a blank line and a last line without a line end are all white space to the reader.
    s.write("PSNspectraCut2.txt", "5022 1e-15\n5030\t2.5e-16\n\n5015 -1e-16\n5027.5 3e-15");
    s.write("fasz", "5002 11 0.5\n5004 12 -1\n5010.5 13 7\n");
    const e2e::Result r = s.run("specjoin");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "0\n1\n2\n\n\n");
    // 5000 is reached by 5002 and 5004 (the second wins); 5007.96 by 5010.5; 5005.48 + 5 falls
    // short of 5010.5, and nothing reaches 4993.03.
    EXPECT_EQ(s.read("Eredmeny.txt"), e2e::lines({
                                          "5000.000000 4.320000 12.000000",
                                          "5007.964844 1.080000 13.000000",
                                          "4993.030762 -0.432000 0.000000",
                                          "5005.476074 12.960000 0.000000",
                                      }));
}

TEST(Specjoin, TheWindowAboveAPointExcludesBothEnds) {
    e2e::Scratch s;
    s.write("PSNspectraCut2.txt", "5022 1e-15\n");
    s.write("fasz", "5000 1 0\n5005 2 0\n5003 3 0\n5005 4 0\n5000 5 0\n");
    const e2e::Result r = s.run("specjoin");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\n1\n2\n3\n4\n\n\n");
    EXPECT_EQ(s.read("Eredmeny.txt"), "5000.000000 4.320000 3.000000\n");
}

TEST(Specjoin, ASpectrumOfMoreThanThreeThousandPointsIsWrittenWhole) {
    e2e::Scratch s;
    std::string spectrum, expected;
    for (int i = 0; i < 3500; ++i) {
        spectrum += "5022 1e-15\n";
        expected += "5000.000000 4.320000 3.000000\n";
    }
    spectrum += "5030 2.5e-16\n";
    expected += "5007.964844 1.080000 0.000000\n";
    s.write("PSNspectraCut2.txt", spectrum);
    s.write("fasz", "5003 3 0\n");
    const e2e::Result r = s.run("specjoin");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\n\n\n");
    EXPECT_EQ(s.read("Eredmeny.txt"), expected);
}

TEST(Specjoin, AnEmptyLookupTableLeavesEveryValueZero) {
    e2e::Scratch s;
    s.write("PSNspectraCut2.txt", "5022 1e-15\n5030 2.5e-16\n");
    s.write("fasz", "");
    const e2e::Result r = s.run("specjoin");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\n\n");
    EXPECT_EQ(s.read("Eredmeny.txt"),
              "5000.000000 4.320000 0.000000\n5007.964844 1.080000 0.000000\n");
}

// A failed run names the file (and line), ends with status 1 and leaves a result table of the
// same directory as it was.
struct Refusal {
    const char* spectrum; // nullptr: missing
    const char* lookup;   // nullptr: missing
    const char* message;
};

void expect_refused(const Refusal& c, bool table_present) {
    e2e::Scratch s;
    if (c.spectrum) s.write("PSNspectraCut2.txt", c.spectrum);
    if (c.lookup) s.write("fasz", c.lookup);
    const std::string table = "1 V 2459000.5 14.1 0.01\n";
    if (table_present) s.write("Eredmeny.txt", table);
    const e2e::Result r = s.run("specjoin");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.message);
    if (table_present)
        EXPECT_EQ(s.read("Eredmeny.txt"), table);
    else
        EXPECT_FALSE(s.exists("Eredmeny.txt"));
}

TEST(Specjoin, BadInputsAreRefusedBeforeTheResultTableIsTouched) {
    const Refusal cases[] = {
        {nullptr, "5003 3 0\n",
         "specjoin: PSNspectraCut2.txt: cannot open: No such file or directory\n"},
        {"5022 1e-15\n", nullptr, "specjoin: fasz: cannot open: No such file or directory\n"},
        {"5022 1e-15\n5030 2.5e-16\n5040 abc\n5050 1e-15\n", "5003 3 0\n",
         "specjoin: PSNspectraCut2.txt:3: not a spectrum point of two numbers\n"},
        {"5022 1e-15\n", "5003 3 0\nfoo 2 0\n",
         "specjoin: fasz:2: not a lookup entry of three numbers\n"},
        // a record cut short by the end of the file is named by the line it starts on
        {"5022 1e-15\n", "5003 3 0\n5004 4\n\n",
         "specjoin: fasz:2: not a lookup entry of three numbers\n"},
        {"5022 1e-15\n5030\n", "5003 3 0\n",
         "specjoin: PSNspectraCut2.txt:2: not a spectrum point of two numbers\n"},
        {"\n\n", "5003 3 0\n", "specjoin: PSNspectraCut2.txt: the spectrum holds no point\n"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.message);
        expect_refused(c, true);
        expect_refused(c, false);
    }
}

} // namespace
