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
    std::size_t stop = std::string::npos; // where a malformed field stops; npos: read whole
};

} // namespace

TEST(Scanner, ANumberFieldMustBeAFiniteNumberWrittenOutWhole) {
    const std::string long_one = "1." + std::string(600, '0');
    const Field fields[] = {
        {"15.25", true, true, false, 15.25},
        {"-0.5e-3", true, true, false, -0.0005},
        {"+.5", true, true, false, 0.5},
        {"7.", true, true, false, 7.0},
        {long_one, true, true, false, 1.0}, // a token of any length
        {std::string("15.000\0"
                     "7",
                     8),
         false, false, false, 0, 6},
        {"1.5x", false, false, false, 0, 3},
        {"1e+", false, false, false, 0, 3},
        {"-.e1", false, false, false, 0, 2},
        {"0x10", false, false, false, 0, 1},
        {"infinite", false, false, false, 0, 8},
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
        // A whole field is consumed; a malformed one stops at its first byte that cannot
        // continue a number, which stays unread.
        const long stop = f.stop == std::string::npos ? static_cast<long>(f.text.size())
                                                      : static_cast<long>(f.stop);
        EXPECT_EQ(std::ftell(file), stop) << f.text;
        std::rewind(file);
        Scanner again(file, "t.txt");
        double dv = -1;
        EXPECT_EQ(again.read_double(dv), f.as_double) << f.text;
        EXPECT_DOUBLE_EQ(dv, f.as_double ? f.value : -1.0) << f.text;
        std::fclose(file);
    }
}

// Digits beyond the kept ones are not held, yet the value rounds as the whole text does: a
// dropped digit that is not 0 decides a tie.
TEST(Scanner, ANumberOfAnyLengthConvertsExactlyInBoundedMemory) {
    const std::string tie = "9007199254740993"; // halfway between two doubles, 2^53 + 1
    const std::string zeros(2 * Scanner::kKeptDigits, '0');
    const struct {
        std::string text;
        double value;
    } cases[] = {
        {tie, 9007199254740992.0}, // a tie rounds to even
        {tie + zeros + "1e-" + std::to_string(zeros.size() + 1), 9007199254740994.0},
        {tie + "." + zeros + "1", 9007199254740994.0},
        {tie + zeros + "e-" + std::to_string(zeros.size()), 9007199254740992.0},
        {"0." + zeros + "25e" + std::to_string(zeros.size()), 0.25},
        {zeros + "3.5", 3.5},
        {"1" + zeros + "e-99999999999999999999", 0.0}, // an exponent beyond any count
    };
    for (const auto& c : cases) {
        std::FILE* file = file_with(c.text);
        Scanner in(file, "t.txt");
        double v = -1;
        EXPECT_TRUE(in.read_double(v)) << c.text.substr(0, 40);
        EXPECT_EQ(v, c.value) << c.text.substr(0, 40);
        std::fclose(file);
    }
}

// An endless input (a link to /dev/zero) ends at once: a NUL byte is not a number, and a word
// has a hard cap.
TEST(Scanner, AnEndlessInputEndsAtOnce) {
    std::FILE* zero = std::fopen("/dev/zero", "r");
    ASSERT_NE(zero, nullptr);
    Scanner in(zero, "Eredmeny.txt");
    float v = -1;
    EXPECT_FALSE(in.read_float(v));
    EXPECT_FALSE(in.non_finite());
    EXPECT_FALSE(in.at_end());
    std::string word;
    try {
        in.read_word(word);
        ADD_FAILURE() << "an endless word was read";
    } catch (const snphot::RunFailure& e) {
        EXPECT_EQ(e.where(), "Eredmeny.txt:1");
        EXPECT_STREQ(e.what(), "a field of more than 1024 characters");
    }
    std::fclose(zero);
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
