// Small helpers of the core unit tests: a FILE* over a string, and a FILE* that collects output.
#pragma once

#include <cstdio>
#include <string>

namespace snphot::testing {

// A temporary file holding `text`, positioned at its start.
inline std::FILE* file_with(const std::string& text) {
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f); // NUL bytes included
    std::rewind(f);
    return f;
}

// Collects what is printed to it; text() returns it so far.
class Capture {
  public:
    Capture() : file_(std::tmpfile()) {}
    ~Capture() { std::fclose(file_); }
    std::FILE* get() const { return file_; }
    std::string text() const {
        std::fflush(file_);
        std::string out;
        std::rewind(file_);
        int c;
        while ((c = std::fgetc(file_)) != EOF) out.push_back(static_cast<char>(c));
        return out;
    }

  private:
    std::FILE* file_;
};

} // namespace snphot::testing
