#include "cli.hpp"
#include "result_table.hpp"
#include "test_support.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace snphot;
using snphot::testing::Capture;
using snphot::testing::file_with;

namespace {

const char* kTwoBlocks = "5 V 2456789.30 2.5 0.021\n"
                         "3 V 2456789.30 1.0 0.01\n"
                         "1 V 2456789.30 1.2 0.01\n"
                         "0 V 2456789.30 1.3 0.01\n"
                         "4 V 2456789.30 0.4 0.01\n"
                         "2 V 2456789.33 1.7 0.01\n"
                         "0\tR 2457123.6 12 0.5   1 R 2457123.6 13 0.5\n"
                         "2 R 2457123.6 14 0.5\n3 R 2457123.6 15 0.5\n"
                         "4 R 2457123.6 16 0.5\n3.9 Rband 2457123.6 17 0.5";

std::string expect_error(const std::string& text, int k) {
    std::FILE* f = file_with(text);
    ResultTable table(f, "Eredmeny.txt", k);
    Capture out;
    std::string where;
    try {
        table.count_blocks(out.get(), CountLine::bare);
    } catch (const RunFailure& e) {
        where = e.where();
    }
    std::fclose(f);
    return where;
}

} // namespace

TEST(ResultTable, CountingPassEchoesEveryBlockWithTheBandOfItsLastLine) {
    std::FILE* f = file_with(kTwoBlocks);
    ResultTable table(f, "Eredmeny.txt", 6);
    Capture out;
    EXPECT_EQ(table.count_blocks(out.get(), CountLine::bare), 2);
    // JDs are held in single precision: 2456789.30 and .33 become .25, 2457123.6 becomes .5;
    // the identifier 3.9 is echoed truncated; tabs and two stars on one line read alike.
    EXPECT_EQ(out.text(), "Beolvasva:\n"
                          "5  V  2456789.250000  2.500000  0.021000\n"
                          "3  V  2456789.250000  1.000000  0.010000\n"
                          "1  V  2456789.250000  1.200000  0.010000\n"
                          "0  V  2456789.250000  1.300000  0.010000\n"
                          "4  V  2456789.250000  0.400000  0.010000\n"
                          "2  V  2456789.250000  1.700000  0.010000\n"
                          "\n"
                          "0  Rband  2457123.500000  12.000000  0.500000\n"
                          "1  Rband  2457123.500000  13.000000  0.500000\n"
                          "2  Rband  2457123.500000  14.000000  0.500000\n"
                          "3  Rband  2457123.500000  15.000000  0.500000\n"
                          "4  Rband  2457123.500000  16.000000  0.500000\n"
                          "3  Rband  2457123.500000  17.000000  0.500000\n"
                          "\n"
                          "szamolt kepek: 2");

    table.rewind();
    ImageBlock block;
    table.read_block(block);
    EXPECT_EQ(block.first_line, 1);
    EXPECT_EQ(block.band, "V");
    table.read_block(block);
    EXPECT_EQ(block.first_line, 7);
    EXPECT_EQ(block.band, "Rband");
    EXPECT_FLOAT_EQ(block.rows[5][measurement::id], 3.9f);
    std::fclose(f);
}

TEST(ResultTable, StarcalCountLineEndsTheLine) {
    std::FILE* f = file_with("1 g 2456789.5 15 0.1\n");
    ResultTable table(f, "Eredmeny.txt", 1);
    Capture out;
    table.count_blocks(out.get(), CountLine::with_line_end);
    EXPECT_EQ(out.text(), "Beolvasva:\n1  g  2456789.500000  15.000000  0.100000\n\n"
                          "szamolt kepek: 1\n");
    std::fclose(f);
}

TEST(ResultTable, MalformedTablesAreRefusedNamingTheLine) {
    EXPECT_EQ(expect_error("", 6), "Eredmeny.txt:1");
    EXPECT_EQ(expect_error(" \n\n", 6), "Eredmeny.txt:1");
    // Ends inside the second block: its last line read is line 7.
    std::string text = kTwoBlocks;
    EXPECT_EQ(expect_error(text.substr(0, text.find("2 R")), 6), "Eredmeny.txt:7");
    // A word where the magnitude of line 3 is due.
    EXPECT_EQ(expect_error("1 g 2456789.5 15 0.1\n2 g 2456789.5 15 0.1\n3 g 2456789.5 x 0.1\n", 3),
              "Eredmeny.txt:3");
    // A complete table is accepted, with or without a final line end.
    EXPECT_EQ(expect_error("1 g 2456789.5 15 0.1", 1), "");
}

TEST(ResultTable, BandWordsOfAnyLengthAreKeptWhole) {
    const std::string word = "V" + std::string(500, 'x');
    std::FILE* f = file_with("1 " + word + " 2456789.5 15 0.1\n");
    ResultTable table(f, "Eredmeny.txt", 1);
    Capture out;
    table.count_blocks(out.get(), CountLine::bare);
    table.rewind();
    ImageBlock block;
    table.read_block(block);
    EXPECT_EQ(block.band, word);
    std::fclose(f);
}

TEST(SortByIdentifier, OrdersLowestFirstKeepingTiesAndLeavingUndefinedInPlace) {
    ImageBlock block;
    for (float id : {5.f, 3.f, 1.f, 0.f, 4.f, 2.f}) block.rows.push_back({0, id * 10, 0, id});
    sort_by_identifier(block);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(block.rows[j][measurement::id], j);
    EXPECT_EQ(block.rows[5][measurement::mag], 50.f); // all four values travel with the identifier

    // A fully reversed block needs every pass, the last one included: without it the dating row
    // and the first comparison star would stay swapped.
    block.rows.clear();
    for (float id : {5.f, 4.f, 3.f, 2.f, 1.f, 0.f}) block.rows.push_back({0, id * 10, 0, id});
    sort_by_identifier(block);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(block.rows[j][measurement::id], j);
        EXPECT_EQ(block.rows[j][measurement::mag], 10.f * j);
    }

    block.rows = {{0, 1, 0, 10}, {0, 2, 0, 9}, {0, 3, 0, 9}};
    sort_by_identifier(block);
    EXPECT_EQ(block.rows[0][measurement::mag],
              2.f); // 10 sorts after 9, equal identifiers keep their order
    EXPECT_EQ(block.rows[1][measurement::mag], 3.f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    block.rows = {{0, 1, 0, 2}, {0, 2, 0, nan}, {0, 3, 0, 1}};
    sort_by_identifier(block);
    EXPECT_EQ(block.rows[0][measurement::mag],
              1.f); // comparisons with the undefined value swap nothing
    EXPECT_EQ(block.rows[1][measurement::mag], 2.f);
    EXPECT_EQ(block.rows[2][measurement::mag], 3.f);
}

TEST(DatesAgree, ComparesTheSinglePrecisionDatesOfTargetAndFirstRow) {
    ImageBlock block;
    block.rows = {{2456789.30f, 0, 0, 0}, {2456789.33f, 0, 0, 5}};
    EXPECT_TRUE(dates_agree(block));
    block.rows[1][measurement::jd] = 2456789.45f;
    EXPECT_FALSE(dates_agree(block));
}
