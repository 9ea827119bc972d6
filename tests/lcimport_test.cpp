// lcimport on small photometry tables: the kinds of time, the columns named by the header, the
// means of a night, the rows it drops, the sources it aligns, and the tables it refuses before
// any light curve is touched.
#include "e2e.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

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
        bool announced = false; // the settings were read before the refusal
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
        {head, "[import]\nbands = [\"B\", \"Q\"]\n",
         "snphot.toml:2: [import] bands: \"Q\" is not one of \"U\", \"B\", \"V\", \"R\", \"I\", "
         "\"g\", \"r\", \"i\", \"z\""},
        {head, "[import]\nalign_sources = true\nreference = \"nobody\"\n",
         "snphot.toml:3: [import] reference: no source \"nobody\" in photometry.csv", true},
        {head, "[import]\nexclude = [\"a\"]\nreference = \"a\"\n",
         "snphot.toml:3: [import] reference: the source \"a\" is excluded", true},
        {head, "[import]\nexclude = [\"b\"]\n",
         "snphot.toml:2: [import] exclude: no source \"b\" in photometry.csv", true},
        {head, "[import]\noffsets = { a = { B = 0.1 }, zz = { B = 0.1 } }\n",
         "snphot.toml:2: [import] offsets: no source \"zz\" in photometry.csv", true},
        {head, "[import]\noffsets = { a = { Q = 0.1 } }\n",
         "snphot.toml:2: [import] offsets.\"a\": \"Q\" is not a band lcimport writes (U B V R I g "
         "r i z)"},
        {head, "[import]\ntime_kind = \"hjd\"\n",
         "snphot.toml:2: [import] time_kind must be \"mjd\", \"jd\" or \"jd-2400000\""},
        {head, "[import]\nmin_pairs = 0.0\n",
         "snphot.toml:2: [import] min_pairs must be greater than 0"},
        {head, "[import]\nfile = \"other.csv\"\n",
         "other.csv: cannot open: No such file or directory", true},
    };
    for (const Case& c : cases) {
        e2e::Scratch s;
        s.write("photometry.csv", c.table);
        if (!c.settings.empty()) s.write("snphot.toml", c.settings);
        s.write("B-gorbeA.txt", "from an earlier run\n");
        s.write("I-gorbeA.txt", "from an earlier run\n");
        const e2e::Result r = s.run("lcimport");
        EXPECT_EQ(r.status, 1) << c.err;
        const std::string announce = c.announced ? "lcimport: settings from snphot.toml\n" : "";
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

// ---- The [import] table ----

TEST(Lcimport, TheImportTableMapsColumnsKindsOfTimeAndBands) {
    // JD - 2400000 under another name, every column renamed, another file, two bands of three.
    e2e::Scratch s;
    s.write("sn.txt", lines({"# catalogue export", "date filt m e_m ref",
                             "53300.7 B 15.00 0.02 x", "53300.8 I 14.00 0.03 x",
                             "53300.9 B 15.10 0.02 x", "53302.1 B 15.20 0.04 x",
                             "53302.1 V 15.80 0.04 x"}));
    s.write("snphot.toml", "[import]\nfile = \"sn.txt\"\ntime = \"date\"\n"
                           "time_kind = \"jd-2400000\"\nband = \"filt\"\nmag = \"m\"\n"
                           "mag_err = \"e_m\"\nsource = \"ref\"\nbands = [\"I\", \"B\"]\n");
    const e2e::Result r = s.run("lcimport");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "lcimport: settings from snphot.toml\n");
    EXPECT_EQ(s.read("B-gorbeA.txt"), kB);
    EXPECT_EQ(s.read("I-gorbeA.txt"), kI);
    EXPECT_FALSE(s.exists("V-gorbeA.txt"));
    EXPECT_NE(r.out.find("Rows of bands not written: V 1\n"), std::string::npos) << r.out;
}

TEST(Lcimport, PerNightAllAndFirst) {
    for (const auto& [mode, b] :
         std::vector<std::pair<std::string, std::string>>{
             {"all", lines({"53300.700000 15.000000 0.020000 0.020000",
                            "53300.900000 15.100000 0.020000 0.020000",
                            "53302.100000 15.200000 0.040000 0.040000"})},
             {"first", lines({"53300.700000 15.000000 0.020000 0.020000",
                              "53302.100000 15.200000 0.040000 0.040000"})}}) {
        e2e::Scratch s;
        s.write("photometry.csv", kMjdTable);
        s.write("snphot.toml", "[import]\nper_night = \"" + mode + "\"\n");
        const e2e::Result r = s.run("lcimport");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(s.read("B-gorbeA.txt"), b) << mode;
    }
}

namespace {

// A linear decline, 14 + 0.01 (t - 53300) mag in B and 0.5 mag brighter in I, seen by three
// sources without noise: "ref" every other night, "second" at the same times with offsets +0.3
// (B) and +0.2 (I), "third" on the nights between (its reference interpolated)
// with offsets +1.2 and +0.5, and "lone" once, far from the reference, 2 mag off.
std::string three_sources() {
    std::string table = "mjd,band,mag,mag_err,source\n";
    auto row = [&](double rjd, const char* band, double offset, const char* source) {
        const double mag = 14.0 + 0.01 * (rjd - 53300.0) + (band[0] == 'I' ? -0.5 : 0.0) + offset;
        char text[128];
        std::snprintf(text, sizeof text, "%.4f,%s,%.6f,0.02,%s\n", rjd - 0.5, band, mag, source);
        table += text;
    };
    for (int night = 53300; night <= 53340; night += 2) {
        row(night + 0.2, "B", 0.0, "ref");
        row(night + 0.25, "I", 0.0, "ref");
        row(night + 0.2, "B", 0.3, "second");
        row(night + 0.25, "I", 0.2, "second");
        row(night + 1.3, "B", 1.2, "third");
        row(night + 1.35, "I", 0.5, "third");
    }
    row(53400.3, "B", 2.0, "lone");
    return table;
}

} // namespace

TEST(Lcimport, AlignedSourcesFollowOneLightCurve) {
    e2e::Scratch s;
    s.write("photometry.csv", three_sources());
    s.write("snphot.toml", "[import]\nalign_sources = true\n");
    const e2e::Result r = s.run("lcimport");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Reference source: ref\n"), std::string::npos) << r.out;
    // The third source's last night (53341) lies after the reference's last point: 20 pairs.
    EXPECT_NE(r.out.find("    second                   +0.300 +/- "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    third                    +1.200 +/- "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("+0.200 +/- "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("+0.500 +/- "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    lone                     not aligned: 0 pairs with the reference, "
                         "too little overlap\n"),
              std::string::npos)
        << r.out;
    // Every night but the lone source's lies on the light curve.
    for (const char* band : {"B", "I"}) {
        const std::string curve = s.read(std::string(band) + "-gorbeA.txt");
        double time, mag, error, total;
        int rows = 0;
        for (const char* at = curve.c_str();
             std::sscanf(at, "%lf %lf %lf %lf", &time, &mag, &error, &total) == 4;
             at = std::strchr(at, '\n') + 1, ++rows) {
            if (time > 53399) continue;
            const double truth = 14.0 + 0.01 * (time - 53300.0) + (band[0] == 'I' ? -0.5 : 0.0);
            EXPECT_NEAR(mag, truth, 2e-6) << band << " " << time;
            EXPECT_GT(total, error) << band << " " << time;
        }
        EXPECT_EQ(rows, band[0] == 'B' ? 43 : 42) << curve;
    }
}

TEST(Lcimport, OffsetsByHandAndExcludedSources) {
    e2e::Scratch s;
    s.write("photometry.csv", lines({"mjd,band,mag,mag_err,source", "53300.2,B,15.00,0.02,a",
                                     "53300.4,B,15.60,0.02,b", "53301.6,B,15.20,0.04,a",
                                     "53301.7,B,9.00,0.01,c", "53300.3,I,14.00,0.03,a"}));
    s.write("snphot.toml", "[import]\noffsets = { b = { B = 0.5 } }\nexclude = [\"c\"]\n");
    const e2e::Result r = s.run("lcimport");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(s.read("B-gorbeA.txt"), kB); // b's 15.60 - 0.5 beside a's 15.00; c left out
    EXPECT_EQ(s.read("I-gorbeA.txt"), kI);
    EXPECT_NE(r.out.find("Band B: 4 rows read, 1 dropped (1 of excluded source)\n"
                         "  offsets (source - reference, subtracted), mag:\n"
                         "    a                        +0.000  as read\n"
                         "    b                        +0.500  by hand\n"),
              std::string::npos)
        << r.out;
}
