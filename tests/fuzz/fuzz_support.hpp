// What every fuzz target shares: the input bytes as a FILE* the reader takes for a file on disk,
// a stream that collects what a reader prints, and the line between a refusal and a finding.
//
// A reader that refuses its input throws snphot::RunFailure: that is the expected outcome for a
// bad file. Anything else (a crash, a sanitizer report, another exception, a reader that never
// returns, or a broken property checked by the target) is a finding.
#pragma once

#include "cli.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

// The input as a read-only stream. An empty input is read from /dev/null, since a memory stream
// of no bytes cannot be opened everywhere.
class InputStream {
  public:
    InputStream(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {
        file_ = bytes_.empty() ? std::fopen("/dev/null", "r")
                               : fmemopen(bytes_.data(), bytes_.size(), "r");
        if (!file_) finding("the input cannot be opened as a stream");
    }
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;
    ~InputStream() { std::fclose(file_); }

    std::FILE* get() const { return file_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::FILE* file_ = nullptr;
};

// A stream in memory for what a reader prints, so that a run prints nothing on the console.
class OutputBuffer {
  public:
    OutputBuffer() {
        file_ = open_memstream(&text_, &size_);
        if (!file_) finding("no memory stream for the output");
    }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    ~OutputBuffer() {
        std::fclose(file_);
        std::free(text_);
    }

    std::FILE* get() const { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(text_, size_);
    }

  private:
    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_ = nullptr;
};

// Runs a reader; true when it accepted the input, false when it refused it with a RunFailure.
template <typename Read> bool accepted(Read&& read) {
    try {
        read();
        return true;
    } catch (const snphot::RunFailure&) {
        return false;
    }
}

// No reader hands on a value that is not a finite number.
inline void expect_finite(double value, const char* what) {
    if (!std::isfinite(value)) finding(what);
}

} // namespace fuzz
