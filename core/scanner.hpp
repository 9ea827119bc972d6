// Field-by-field reading with the rules of scanf ("%f", "%s", white space matching any run of
// white space, the end-of-file indicator set by the read that reaches the end), keeping count
// of the line the next character stands on so that diagnostics can name it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace snphot {

class Scanner {
  public:
    explicit Scanner(std::FILE* file) : file_(file) {}

    // Consumes white space (a white-space directive of a scanf format).
    void skip_space();
    // skip_space, then "%f" straight into a float; false when nothing converted.
    bool read_float(float& value);
    // skip_space, then "%lf"; false when nothing converted.
    bool read_double(double& value);
    // skip_space, then a "%s" token of any length; false at the end of the file.
    bool read_word(std::string& word);

    bool at_end() const { return std::feof(file_) != 0; }
    long line() const { return line_; }
    // The line on which the last field read (or tried) started.
    long field_line() const { return field_line_; }
    void rewind();

  private:
    static constexpr std::size_t kTokenSize = 512;
    bool read_token(char* buffer, std::size_t size);

    std::FILE* file_;
    long line_ = 1;
    long field_line_ = 1;
};

} // namespace snphot
