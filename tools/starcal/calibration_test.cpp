#include "calibration.hpp"

#include "cli.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

namespace {

using namespace starcal;

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

CorrectionTable read_text(const std::string& text) {
    std::unique_ptr<std::FILE, CloseFile> file(std::tmpfile());
    std::fputs(text.c_str(), file.get());
    std::rewind(file.get());
    return read_corrections(file.get(), "g-korr.txt", 4);
}

TEST(Corrections, OnlyTheFirstFourLinesCountAndTheLaterEntryOfANightWins) {
    const CorrectionTable table = read_text("56789.250000 0.400000 0.000000 0.010000\n"
                                            "56790.250000 0.300000 0.000000 0.020000\n"
                                            "56789.500000 0.450000 0.000000 0.015000\n"
                                            "56791.250000 0.350000 0.000000 0.010000\n"
                                            "56792.250000 0.500000 0.000000 0.010000\n");
    EXPECT_EQ(table.nights(), 3u);
    ASSERT_NE(table.of_night(56789), nullptr);
    EXPECT_FLOAT_EQ(table.of_night(56789)->z, 0.45f);
    EXPECT_FLOAT_EQ(table.of_night(56789)->scatter, 0.015f); // column 3 is skipped
    EXPECT_FLOAT_EQ(table.of_night(56790)->z, 0.3f);
    EXPECT_EQ(table.of_night(56792), nullptr);
}

TEST(Corrections, ShortFilesGiveFewerEntriesAndABrokenLineIsAnError) {
    EXPECT_EQ(read_text("").nights(), 0u);
    EXPECT_EQ(read_text("\n  \n").nights(), 0u);
    EXPECT_EQ(read_text("56789.25 0.4 0 0.01").nights(), 1u); // no final line end
    try {
        read_text("56789.25 0.4 0 0.01\n56790.25 0.3 0\n");
        FAIL() << "an incomplete line was accepted";
    } catch (const snphot::RunFailure& e) {
        EXPECT_EQ(e.where(), "g-korr.txt:2");
    }
    EXPECT_THROW(read_text("56789.25 0.4 zero 0.01\n"), snphot::RunFailure);
}

TEST(Nights, AFullJdIsHeldInSinglePrecisionBeforeItsNightIsTaken) {
    EXPECT_EQ(night_of_jd(2456789.9f), 56790); // held as 2456790.0
    EXPECT_EQ(night_of_jd(2456789.4f), 56789); // held as 2456789.5
    EXPECT_EQ(night_of_jd(2456790.2f), 56790);
}

TEST(Weights, ErrorsOfOneAndTwoTenthsWeighTenAndTwoAndAHalf) {
    EXPECT_FLOAT_EQ(combined_error(0.06f, 0.08f), 0.1f);
    EXPECT_FLOAT_EQ(weight_of(combined_error(0.1f, 0.0f)), 10.0f);
    EXPECT_FLOAT_EQ(weight_of(combined_error(0.0f, 0.2f)), 2.5f);
}

TEST(ColourCorrection, RemovesTheColourTermAndLeavesABandWithoutOneAlone) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // g: G - c (G - I) with c = -0.125 and G - I = 0.8 adds 0.1
    EXPECT_FLOAT_EQ(colour_corrected(16.0f, -0.125f, 16.0f, 15.2f), 16.1f);
    EXPECT_FLOAT_EQ(colour_corrected(15.5f, -0.009f, 16.0f, 15.0f), 15.509f);
    EXPECT_FLOAT_EQ(colour_corrected(14.8f, 0.0f, nan, 15.0f), 14.8f);
    EXPECT_FLOAT_EQ(colour_corrected(14.8f, 0.0f, 16.0f, nan), 14.8f);
    EXPECT_TRUE(std::isnan(colour_corrected(14.8f, -0.095f, 16.0f, nan)));
}

} // namespace
