#include "table.hpp"

#include "cli.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace lcimport {
namespace {

using snphot::testing::file_with;

struct Table {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file;
    PhotometryReader reader;
    Table(const std::string& text, const ImportSettings& settings)
        : file(file_with(text), std::fclose), reader(file.get(), "photometry.csv", settings) {}
};

std::vector<Measurement> all_rows(PhotometryReader& reader) {
    std::vector<Measurement> rows;
    Measurement row;
    while (reader.next(row)) rows.push_back(row);
    return rows;
}

// The reason a table is refused for, with its place.
std::string refusal(const std::string& text, const ImportSettings& settings = {}) {
    try {
        Table t(text, settings);
        all_rows(t.reader);
    } catch (const snphot::RunFailure& failure) {
        return failure.where() + ": " + failure.what();
    }
    return "accepted";
}

TEST(PhotometryTable, HeaderNamesAndKindsOfTimeMapTheColumns) {
    struct Case {
        const char* what;
        std::string text;
        ImportSettings settings;
        double time; // JD - 2400000 of the one row
        std::string source;
        double mag = 12.9;
    };
    ImportSettings renamed;
    renamed.time_column = "HJD";
    renamed.time_kind = static_cast<int>(TimeKind::jd);
    renamed.band_column = "filter";
    renamed.mag_column = "m";
    renamed.error_column = "e_m";
    renamed.source_column = "ref";
    ImportSettings reduced;
    reduced.time_column = "date";
    reduced.time_kind = static_cast<int>(TimeKind::reduced_jd);
    const std::vector<Case> cases = {
        {"MJD, commas", "mjd,band,mag,mag_err,source\n53277.5,B,12.94,0.01,paper\n", {}, 53278.0,
         "paper", 12.94},
        {"JD by its name, no source", "jd band mag mag_err\n2453278.25 B 12.9 0.01\n", {},
         53278.25, ""},
        {"columns in another order, white space", "source\tmag_err mag band mjd\nx 0.01 12.9 B 1.5\n",
         {}, 2.0, "x"},
        {"every column renamed, JD", "ref,e_m,m,filter,HJD\np,0.01,12.9,B,2453300.0\n", renamed,
         53300.0, "p"},
        {"JD - 2400000", "date,band,mag,mag_err\n53278.75,B,12.9,0.01\n", reduced, 53278.75, ""},
        {"quoted fields, comments and blank lines",
         "# exported\n\n\"mjd\",\"band\",\"mag\",\"mag_err\",\"source\"\n# rows\n"
         "53277.5, \"B\" ,12.9,0.01,\"Smith, J. \"\"2006\"\"\"\n\n",
         {}, 53278.0, "Smith, J. \"2006\""},
    };
    for (const Case& c : cases) {
        Table t(c.text, c.settings);
        const auto rows = all_rows(t.reader);
        ASSERT_EQ(rows.size(), 1u) << c.what;
        EXPECT_DOUBLE_EQ(rows[0].time, c.time) << c.what;
        EXPECT_EQ(rows[0].band, "B") << c.what;
        EXPECT_DOUBLE_EQ(rows[0].mag, c.mag) << c.what;
        EXPECT_DOUBLE_EQ(rows[0].error, 0.01) << c.what;
        EXPECT_EQ(rows[0].source, c.source) << c.what;
    }
}

TEST(PhotometryTable, RefusesWhatIsNotAMeasurementNamingTheLine) {
    const std::string head = "mjd,band,mag,mag_err,source\n";
    const std::string good = "53277.5,B,12.94,0.01,a\n";
    ImportSettings untold;
    untold.time_column = "t";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "photometry.csv: no header row: the table is empty"},
        {"mjd,band,mag,mag,mag_err\n",
         "photometry.csv:1: the column name \"mag\" appears twice (columns 3 and 4)"},
        {"mjd,band,mag,source\n",
         "photometry.csv:1: no column \"mag_err\" (name it with [import] mag_err)"},
        {"time,band,mag,mag_err\n", "photometry.csv:1: no column \"mjd\" (name it with [import] time)"},
        {head + good + "53278.5,B,abc,0.01,a\n",
         "photometry.csv:3: magnitude \"abc\" is not a finite number"},
        {head + "53278.5,B,12.9,,a\n", "photometry.csv:2: error \"\" is not a finite number"},
        {head + "53278.5,B,12.9,0,a\n", "photometry.csv:2: error 0 is not above 0"},
        {head + "53278.5,B,12.9,-0.01,a\n", "photometry.csv:2: error -0.01 is not above 0"},
        {head + "53278.5,B,12.9,1e-300,a\n",
         "photometry.csv:2: error 1e-300 is below the 0.000001 mag that the light-curve files "
         "hold"},
        {head + "53278.5x,B,12.9,0.01,a\n", "photometry.csv:2: time \"53278.5x\" is not a finite number"},
        {head + "nan,B,12.9,0.01,a\n", "photometry.csv:2: time \"nan\" is not a finite number"},
        {head + "53278.5,B,1e999,0.01,a\n", "photometry.csv:2: magnitude \"1e999\" is not a finite number"},
        {head + "53278.5,B,12,1e39,a\n",
         "photometry.csv:2: error \"1e39\" is beyond the single precision of the light-curve files"},
        {head + std::string("53278.5,B,12.9\0,0.01,a\n", 23),
         "photometry.csv:2: magnitude \"12.9\\x00\" is not a finite number"},
        {head + good + "53278.5,B,12.9,0.01\n", "photometry.csv:3: 4 fields where the header has 5"},
        {head + "53278.5,B,12.9,0.01,\"a\n", "photometry.csv:2: a quoted field is not closed"},
        {"mjd,band,mag,mag_err,upper_limit\n53278.5,B,19,0.1,maybe\n",
         "photometry.csv:2: upper-limit flag \"maybe\" is neither true (1, true, yes) nor false "
         "(0, false, no, empty)"},
        {"t,band,mag,mag_err\n",
         "photometry.csv:1: the time column \"t\" does not say its kind: give [import] time_kind "
         "(\"mjd\", \"jd\" or \"jd-2400000\")"},
    };
    for (const auto& [text, reason] : cases)
        EXPECT_EQ(refusal(text, text.rfind("t,", 0) == 0 ? untold : ImportSettings{}), reason)
            << text;
}

TEST(PhotometryTable, UpperLimitsAreFlaggedWithoutTheirNumbersChecked) {
    Table t("mjd,band,mag,mag_err,upper_limit\n"
            "1.5,B,19.0,,1\n1.5,V,18.0,,True\n2.5,B,15.0,0.02,0\n2.5,V,14.0,0.02,\n",
            {});
    const auto rows = all_rows(t.reader);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[0].upper_limit);
    EXPECT_TRUE(rows[1].upper_limit);
    EXPECT_FALSE(rows[2].upper_limit);
    EXPECT_FALSE(rows[3].upper_limit);
    EXPECT_EQ(rows[3].line, 5);
}

TEST(PhotometryTable, CrLfReadsAsLfAndRewindComesBackToTheFirstRow) {
    const std::string lf = "mjd band mag mag_err\n# note\n1.5 B 15.0 0.02\n2.5 B 15.5 0.03\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Table a(lf, {}), b(crlf, {});
    const auto rows_a = all_rows(a.reader), rows_b = all_rows(b.reader);
    ASSERT_EQ(rows_b.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(rows_b[k].time, rows_a[k].time);
        EXPECT_EQ(rows_b[k].mag, rows_a[k].mag);
        EXPECT_EQ(rows_b[k].line, rows_a[k].line);
    }
    b.reader.rewind();
    const auto again = all_rows(b.reader);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].line, 3);
    EXPECT_DOUBLE_EQ(again[1].mag, 15.5);
}

} // namespace
} // namespace lcimport
