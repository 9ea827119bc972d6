// lcimport on small photometry tables: the kinds of time, the columns named by the header, the
// means of a night, the rows it drops, the sources it aligns, and the tables it refuses before
// any light curve is touched.
#include "e2e.hpp"

#include <gtest/gtest.h>

using e2e::lines;

namespace {

// Two B points on night 53300 (MJD 53300.2 and 53300.4 are JD - 2400000 53300.7 and 53300.9):
// equal errors, so their mean is 15.05 at 53300.8 with error max(0.02 / sqrt(2), scatter 0.0707
// / sqrt(2) = 0.05); one B point on night 53302; one I point.
const std::string kMjdTable = lines({
    "mjd,band,mag,mag_err,source",
    "53300.2,B,15.00,0.02,a",
    "53300.3,I,14.00,0.03,a",
    "53300.4,B,15.10,0.02,a",
    "53301.6,B,15.20,0.04,a",
});
const std::string kB = lines({"53300.800000 15.050000 0.050000 0.050000",
                              "53302.100000 15.200000 0.040000 0.040000"});
const std::string kI = lines({"53300.800000 14.000000 0.030000 0.030000"});

} // namespace

TEST(Lcimport, EveryKindOfTimeGivesTheSameLightCurves) {
    struct Case {
        const char* what;
        std::string table;
        std::string settings;
    };
    const std::vector<Case> cases = {
        {"MJD, comma-separated", kMjdTable, ""},
        {"JD, named by its column, white space, CR LF",
         "jd band mag mag_err\r\n2453300.7 B 15.00 0.02\r\n2453300.8  I  14.00 0.03\r\n"
         "2453300.9\tB\t15.10\t0.02\r\n2453302.1 B 15.20 0.04\r\n",
         ""},
    };
    for (const Case& c : cases) {
        e2e::Scratch s;
        s.write("photometry.csv", c.table);
        if (!c.settings.empty()) s.write("snphot.toml", c.settings);
        const e2e::Result r = s.run("lcimport");
        EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
        EXPECT_EQ(s.read("B-gorbeA.txt"), kB) << c.what;
        EXPECT_EQ(s.read("I-gorbeA.txt"), kI) << c.what;
        EXPECT_EQ(s.files(), (std::vector<std::string>{"B-gorbeA.txt", "I-gorbeA.txt",
                                                       "photometry.csv"} ))
            << c.what;
    }
}

TEST(Lcimport, UpperLimitsAndBandsNotWrittenAreCountedAndLeftOut) {
    e2e::Scratch s;
    s.write("photometry.csv", lines({
                                  "mjd,band,mag,mag_err,source,upper_limit",
                                  "53300.2,B,15.00,0.02,a,0",
                                  "53300.3,B,19.5,,a,1",
                                  "53300.4,B,15.10,0.02,a,",
                                  "53301.6,B,15.20,0.04,a,no",
                                  "53300.3,I,14.00,0.03,a,0",
                                  "53302.3,V,18.00,,b,yes",
                                  "53302.3,H,12.00,0.05,b,0",
                              }));
    const e2e::Result r = s.run("lcimport");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(s.read("B-gorbeA.txt"), kB);
    EXPECT_EQ(s.read("I-gorbeA.txt"), kI);
    EXPECT_FALSE(s.exists("V-gorbeA.txt"));
    EXPECT_FALSE(s.exists("H-gorbeA.txt"));
    EXPECT_EQ(r.err, "lcimport: photometry.csv: band V: no rows left; V-gorbeA.txt is not "
                     "written\n");
    EXPECT_NE(r.out.find("Rows of bands not written: H 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Band B: 4 rows read, 1 dropped (1 upper limit)\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  2 points on 2 nights written to B-gorbeA.txt, JD - 2400000 from "
                         "53300.800000 to 53302.100000\n"),
              std::string::npos)
        << r.out;
}

// Each refused table stops the run with one line naming the table and the line, before any
// light curve is touched.
TEST(Lcimport, RefusedTablesLeaveEveryEarlierOutputAsItWas) {
    const std::string head = "mjd,band,mag,mag_err,source\n53300.2,B,15.00,0.02,a\n";
    struct Case {
        std::string table, settings, err;
    };
    const std::vector<Case> cases = {
        {head + "53300.3,I,fourteen,0.03,a\n", "",
         "photometry.csv:3: magnitude \"fourteen\" is not a finite number"},
        {head + "53300.3,I,14.0,0,a\n", "", "photometry.csv:3: error 0 is not above 0"},
        {head + "53300.3,I,14.0,-0.1,a\n", "", "photometry.csv:3: error -0.1 is not above 0"},
        {head + "53300.3,I,14.0,0.01,a\n53300.3,I,14.0,0.01\n", "",
         "photometry.csv:4: 4 fields where the header has 5"},
        {"mjd,band,mag,mag_err,band\n", "",
         "photometry.csv:1: the column name \"band\" appears twice (columns 2 and 5)"},
        {"mjd,filter,mag,mag_err\n", "",
         "photometry.csv:1: no column \"band\" (name it with [import] band)"},
        {"mjd,band,mag,mag_err\n53300.3,Q,14.0,0.01\n", "",
         "photometry.csv: no row of any of the bands U B V R I g r i z"},
    };
    for (const Case& c : cases) {
        e2e::Scratch s;
        s.write("photometry.csv", c.table);
        if (!c.settings.empty()) s.write("snphot.toml", c.settings);
        s.write("B-gorbeA.txt", "from an earlier run\n");
        s.write("I-gorbeA.txt", "from an earlier run\n");
        const e2e::Result r = s.run("lcimport");
        EXPECT_EQ(r.status, 1) << c.err;
        const std::string announce = c.settings.empty() ? "" : "lcimport: settings from snphot.toml\n";
        EXPECT_EQ(r.err, announce + "lcimport: " + c.err + "\n");
        EXPECT_EQ(r.out, "") << c.err;
        EXPECT_EQ(s.read("B-gorbeA.txt"), "from an earlier run\n") << c.err;
        EXPECT_EQ(s.read("I-gorbeA.txt"), "from an earlier run\n") << c.err;
    }
    e2e::Scratch empty;
    const e2e::Result missing = empty.run("lcimport");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "lcimport: photometry.csv: cannot open: No such file or directory\n");
    EXPECT_EQ(empty.files(), std::vector<std::string>{});
}
