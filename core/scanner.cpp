#include "scanner.hpp"

#include <cctype>

namespace snphot {

void Scanner::skip_space() {
    int c;
    while ((c = getc_unlocked(file_)) != EOF) {
        if (c == '\n') {
            ++line_;
        } else if (!std::isspace(c)) {
            ungetc(c, file_);
            return;
        }
    }
}

bool Scanner::read_float(float& value) {
    skip_space();
    return std::fscanf(file_, "%f", &value) == 1;
}

bool Scanner::read_double(double& value) {
    skip_space();
    return std::fscanf(file_, "%lf", &value) == 1;
}

bool Scanner::read_word(std::string& word) {
    skip_space();
    word.clear();
    int c;
    while ((c = getc_unlocked(file_)) != EOF) {
        if (std::isspace(c)) {
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
}

} // namespace snphot
