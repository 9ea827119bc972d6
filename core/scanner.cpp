#include "scanner.hpp"

#include <cstdlib>

namespace snphot {

namespace {
// White space of the C locale, the only locale the programs run in (as scanf sees it there).
inline bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
} // namespace

void Scanner::skip_space() {
    int c;
    while ((c = getc_unlocked(file_)) != EOF) {
        if (c == '\n') {
            ++line_;
        } else if (!is_space(c)) {
            ungetc(c, file_);
            return;
        }
    }
}

// A number field is read as scanf's %f reads it: white space skipped, then the longest run of
// characters that forms a number, converted once, straight into the target type. The field is
// taken as the run of characters up to the next white space; a field that is not wholly a number
// is not converted (where scanf would take its numeric start and fail on the rest, the row fails
// all the same).
bool Scanner::read_token(char* buffer, std::size_t size) {
    skip_space();
    if (!at_end()) field_line_ = line_;
    std::size_t n = 0;
    int c;
    while ((c = getc_unlocked(file_)) != EOF) {
        if (is_space(c)) {
            ungetc(c, file_);
            break;
        }
        if (n + 1 >= size) return false; // far longer than any number
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    return n > 0;
}

bool Scanner::read_float(float& value) {
    char buffer[kTokenSize];
    if (!read_token(buffer, sizeof buffer)) return false;
    char* end = nullptr;
    const float v = std::strtof(buffer, &end);
    if (end == buffer || *end != '\0') return false;
    value = v;
    return true;
}

bool Scanner::read_double(double& value) {
    char buffer[kTokenSize];
    if (!read_token(buffer, sizeof buffer)) return false;
    char* end = nullptr;
    const double v = std::strtod(buffer, &end);
    if (end == buffer || *end != '\0') return false;
    value = v;
    return true;
}

bool Scanner::read_word(std::string& word) {
    skip_space();
    if (!at_end()) field_line_ = line_;
    word.clear();
    int c;
    while ((c = getc_unlocked(file_)) != EOF) {
        if (is_space(c)) {
            ungetc(c, file_);
            break;
        }
        word.push_back(static_cast<char>(c));
    }
    return !word.empty();
}

void Scanner::rewind() {
    std::rewind(file_);
    line_ = 1;
    field_line_ = 1;
}

} // namespace snphot
