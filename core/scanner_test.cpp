#include "scanner.hpp"

#include "cli.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

using snphot::Scanner;
using snphot::testing::file_with;

struct Field {
    std::string text;
    bool as_float;  // converts with read_float
    bool as_double; // converts with read_double
    bool non_finite;
    double value;
};

} // namespace

TEST(Scanner, ANumberFieldMustBeAFiniteNumberWrittenOutWhole) {
    const std::string long_one = "1." + std::string(600, '0');
    const Field fields[] = {
        {"15.25", true, true, false, 15.25},
        {"-0.5e-3", true, true, false, -0.0005},
        {long_one, true, true, false, 1.0}, // a token of any length
        {std::string("15.000\0"
                     "7",
                     8),
         false, false, false, 0},
        {"1.5x", false, false, false, 0},
        {"inf", false, false, true, 0},
        {"-Infinity", false, false, true, 0},
        {"nan", false, false, true, 0},
        {"1e39", false, true, true, 1e39}, // beyond single precision only
        {"1e400", false, false, true, 0},
    };
    for (const Field& f : fields) {
        std::FILE* file = file_with(f.text + " 7\n");
        Scanner in(file, "t.txt");
        float fv = -1;
        EXPECT_EQ(in.read_float(fv), f.as_float) << f.text;
        EXPECT_EQ(in.non_finite(), f.non_finite && !f.as_float) << f.text;
        const float expected = f.as_float ? static_cast<float>(f.value) : -1.0f; // else unchanged
        EXPECT_FLOAT_EQ(fv, expected) << f.text;
        EXPECT_TRUE(in.read_float(fv)) << f.text; // the reading goes on after the field
        EXPECT_EQ(fv, 7.0f);
        std::rewind(file);
        Scanner again(file, "t.txt");
        double dv = -1;
        EXPECT_EQ(again.read_double(dv), f.as_double) << f.text;
        EXPECT_DOUBLE_EQ(dv, f.as_double ? f.value : -1.0) << f.text;
        std::fclose(file);
    }
}

TEST(Scanner, OnlyTheSuitesOwnNanSentinelReadsBackAsNan) {
    std::FILE* file = file_with("nan -nan inf 2.5\n");
    Scanner in(file, "g-ref.txt");
    float v = 0;
    EXPECT_TRUE(in.read_float_or_nan(v));
    EXPECT_TRUE(std::isnan(v));
    EXPECT_FALSE(in.read_float_or_nan(v));
    EXPECT_FALSE(in.read_float_or_nan(v));
    EXPECT_TRUE(in.read_float_or_nan(v));
    EXPECT_EQ(v, 2.5f);
    std::fclose(file);
}

TEST(Scanner, CrLfLineEndsAreWhiteSpaceAndCountLines) {
    std::FILE* file = file_with("1\r\n2\r\n\r\nband\r\n");
    Scanner in(file, "t.txt");
    float v;
    std::string word;
    EXPECT_TRUE(in.read_float(v));
    EXPECT_TRUE(in.read_float(v));
    EXPECT_TRUE(in.read_word(word));
    EXPECT_EQ(word, "band");
    EXPECT_EQ(in.field_line(), 4);
    in.skip_space();
    EXPECT_TRUE(in.at_end());
    std::fclose(file);
}

TEST(Scanner, AReadErrorIsNeitherTheEndNorANumberThatFailed) {
    const auto dir = std::filesystem::temp_directory_path() / "snphot-scanner-dir";
    std::filesystem::create_directories(dir);
    std::FILE* file = std::fopen(dir.c_str(), "r");
    ASSERT_NE(file, nullptr);
    Scanner in(file, "Eredmeny.txt");
    float v;
    try {
        in.read_float(v);
        ADD_FAILURE() << "a directory read as data";
    } catch (const snphot::RunFailure& e) {
        EXPECT_EQ(e.where(), "Eredmeny.txt");
        EXPECT_STREQ(e.what(), "cannot read: Is a directory");
    }
    std::fclose(file);
    std::filesystem::remove(dir);
}
