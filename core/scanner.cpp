#include "scanner.hpp"

#include "cli.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace snphot {

namespace {
// White space of the C locale, the only locale the programs run in (as scanf sees it there).
inline bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

float to_number(const char* text, char** end, float) {
    return std::strtof(text, end);
}
double to_number(const char* text, char** end, double) {
    return std::strtod(text, end);
}
} // namespace

// The next character, or EOF at the end of the file; a failed read throws.
int Scanner::get() {
    const int c = getc_unlocked(file_);
    if (c == EOF && std::ferror(file_)) {
        const int error = errno;
        throw RunFailure(name_, std::string("cannot read: ") +
                                    (error ? std::strerror(error) : "read error"));
    }
    return c;
}

void Scanner::skip_space() {
    int c;
    while ((c = get()) != EOF) {
        if (c == '\n') {
            ++line_;
        } else if (!is_space(c)) {
            ungetc(c, file_);
            return;
        }
    }
}

void Scanner::put_back(int c) {
    if (c != EOF) ungetc(c, file_);
}

namespace {

inline bool is_digit(int c) {
    return c >= '0' && c <= '9';
}
inline bool is_letter(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool ends_field(int c) {
    return c == EOF || is_space(c);
}

// Exponents are counted only this far: beyond it every value is already infinite or zero, and a
// number written out endlessly cannot overflow the count.
constexpr long kExponentCap = 1000000000L;
void step(long& exponent, long by) {
    exponent = std::clamp(exponent + by, -kExponentCap, kExponentCap);
}

bool same_word(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != b[k]) return false;
    return true;
}

} // namespace

// "inf", "infinity" and "nan" in any case (as strtod reads them); only "nan" as the suite writes
// it is the sentinel of a value that could not be formed.
Scanner::Field Scanner::read_special_number(bool signed_field) {
    constexpr std::size_t kLongest = 8; // "infinity"
    std::string word;
    int c;
    while ((c = get()) != EOF && is_letter(c) && word.size() < kLongest) word.push_back(char(c));
    put_back(c);
    if (!ends_field(c)) return Field::not_a_number;
    if (word == "nan" && !signed_field) return Field::nan_sentinel;
    if (same_word(word, "inf") || same_word(word, "infinity") || same_word(word, "nan"))
        return Field::non_finite;
    return Field::not_a_number;
}

// An exponent part after its 'e': a sign and at least one digit.
bool Scanner::read_exponent(long& exponent) {
    int c = get();
    const bool negative = c == '-';
    if (c == '+' || c == '-') c = get();
    if (!is_digit(c)) {
        put_back(c);
        return false;
    }
    long value = 0;
    for (; is_digit(c); c = get()) value = std::min(value * 10 + (c - '0'), kExponentCap);
    put_back(c);
    step(exponent, negative ? -value : value);
    return true;
}

// Reads a number field as far as it can be one, into token_ as sign, significant digits and
// decimal exponent ("-12345e-4"): a number of any length in bounded memory. The digits beyond the
// kept ones count in the exponent before the point and are dropped after it; a dropped digit
// that is not 0 leaves a final 1, so that the value still rounds as the whole text would.
Scanner::Field Scanner::read_number_text() {
    token_.clear();
    int c = get();
    const bool signed_field = c == '+' || c == '-';
    if (signed_field) {
        if (c == '-') token_.push_back('-');
        c = get();
    }
    if (is_letter(c)) {
        put_back(c);
        return read_special_number(signed_field);
    }
    const std::size_t first = token_.size();
    long exponent = 0;
    bool digits = false, point = false, dropped = false;
    for (;; c = get()) {
        if (is_digit(c)) {
            digits = true;
            if (token_.size() == first && c == '0') {
                if (point) step(exponent, -1); // a leading zero
            } else if (token_.size() - first < kKeptDigits) {
                token_.push_back(char(c));
                if (point) step(exponent, -1);
            } else {
                if (!point) step(exponent, 1);
                dropped = dropped || c != '0';
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    put_back(c);
    if (!digits) return Field::not_a_number;
    if (c == 'e' || c == 'E') {
        get();
        if (!read_exponent(exponent)) return Field::not_a_number;
        c = get();
        put_back(c);
    }
    if (!ends_field(c)) return Field::not_a_number;
    if (token_.size() == first) token_.push_back('0');
    if (dropped) {
        token_.push_back('1');
        step(exponent, -1);
    }
    token_ += "e" + std::to_string(exponent);
    return Field::number;
}

// A number field is read as scanf's %f reads it: white space skipped, then the number converted
// once, straight into the target type. A field that is not wholly a number is not converted
// (where scanf would take its numeric start and fail on the rest, the row fails all the same);
// no measurement is infinite, so a field that does not give a finite value is not one either.
template <typename T> bool Scanner::convert(T& value, bool nan_allowed) {
    non_finite_ = false;
    skip_space();
    if (at_end()) return false;
    field_line_ = line_;
    switch (read_number_text()) {
    case Field::nan_sentinel:
        if (nan_allowed) {
            value = std::numeric_limits<T>::quiet_NaN();
            return true;
        }
        [[fallthrough]];
    case Field::non_finite:
        non_finite_ = true;
        return false;
    case Field::number:
        break;
    default:
        return false;
    }
    const T v = to_number(token_.c_str(), nullptr, T{});
    if (!std::isfinite(v)) {
        non_finite_ = true;
        return false;
    }
    value = v;
    return true;
}

bool Scanner::read_float(float& value) {
    return convert(value, false);
}

bool Scanner::read_float_or_nan(float& value) {
    return convert(value, true);
}

bool Scanner::read_double(double& value) {
    return convert(value, false);
}

bool Scanner::read_word(std::string& word) {
    skip_space();
    if (at_end()) return false;
    field_line_ = line_;
    word.clear();
    int c;
    while (!ends_field(c = get())) {
        if (word.size() == kMaxWord)
            throw RunFailure(at_line(name_, field_line_),
                             "a field of more than " + std::to_string(kMaxWord) + " characters");
        word.push_back(static_cast<char>(c));
    }
    put_back(c);
    return !word.empty();
}

void Scanner::rewind() {
    std::rewind(file_);
    line_ = 1;
    field_line_ = 1;
}

} // namespace snphot
