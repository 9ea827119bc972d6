#include "lightcurve.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>
#include <vector>

using namespace snphot;
using snphot::testing::Capture;
using snphot::testing::file_with;

namespace {

std::vector<LightCurveRow> read_all(const std::string& text) {
    std::FILE* f = file_with(text);
    LightCurveReader reader(f, "V-gorbeS.txt");
    std::vector<LightCurveRow> rows;
    LightCurveRow row;
    while (reader.next(row)) rows.push_back(row);
    std::fclose(f);
    return rows;
}

} // namespace

TEST(LightCurveReader, ReadsEveryCompleteRowWithOrWithoutAFinalLineEnd) {
    EXPECT_EQ(read_all("1 2 3 4\n5 6 7 8\n9 10 11 12\n").size(), 3u);
    EXPECT_EQ(read_all("1 2 3 4\n5 6 7 8\n9 10 11 12").size(), 3u);
    EXPECT_EQ(read_all("1 2 3 4\n\n  \n5\t6 7\n8\n").size(), 2u);
    EXPECT_EQ(read_all("").size(), 0u);
    EXPECT_EQ(read_all("\n").size(), 0u);
    // An incomplete last row is not a row.
    EXPECT_EQ(read_all("1 2 3 4\n5 6 7\n").size(), 1u);

    const auto rows = read_all("56789.25 17.5 0.021 0.033541\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FLOAT_EQ(rows[0].time, 56789.25f);
    EXPECT_FLOAT_EQ(rows[0].mag, 17.5f);
    EXPECT_FLOAT_EQ(rows[0].error, 0.021f);
    EXPECT_FLOAT_EQ(rows[0].calib, 0.033541f);
}

TEST(LightCurveReader, TextWhereANumberIsDueEndsTheReading) {
    // The rows before it stand; the rest of the file is not read (a warning names the line).
    const auto rows = read_all("1 2 3 4\n5 6 x 8\n9 10 11 12\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FLOAT_EQ(rows[0].time, 1.0f);
}

TEST(LightCurveRows, AreWrittenWithSixDecimalsAndOneBlank) {
    Capture out;
    write_light_curve_row(out.get(), 2456789.25f - 2400000.0, 17.5f, 0.021f, 0.033541f);
    EXPECT_EQ(out.text(), "56789.250000 17.500000 0.021000 0.033541\n");
}
