#include "scanner.hpp"

#include "cli.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

// A field is the run of characters up to the next white space, of any length.
bool Scanner::read_token() {
    skip_space();
    if (!at_end()) field_line_ = line_;
    token_.clear();
    int c;
    while ((c = get()) != EOF) {
        if (is_space(c)) {
            ungetc(c, file_);
            break;
        }
        token_.push_back(static_cast<char>(c));
    }
    return !token_.empty();
}

// A number field is read as scanf's %f reads it: white space skipped, then the number converted
// once, straight into the target type. A field that is not wholly a number is not converted
// (where scanf would take its numeric start and fail on the rest, the row fails all the same);
// no measurement is infinite, so a field that does not give a finite value is not one either.
template <typename T> bool Scanner::convert(T& value, bool nan_allowed) {
    non_finite_ = false;
    if (!read_token()) return false;
    const char* text = token_.c_str();
    char* end = nullptr;
    const T v = to_number(text, &end, T{});
    if (end == text || end != text + token_.size()) return false;
    if (!std::isfinite(v)) {
        const bool sentinel = nan_allowed && std::isnan(v) && token_ == "nan";
        if (!sentinel) {
            non_finite_ = true;
            return false;
        }
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
    const bool read = read_token();
    word = token_;
    return read;
}

void Scanner::rewind() {
    std::rewind(file_);
    line_ = 1;
    field_line_ = 1;
}

} // namespace snphot
