// Field-by-field reading with the rules of scanf ("%f", "%s", white space matching any run of
// white space, the end-of-file indicator set by the read that reaches the end), keeping count
// of the line the next character stands on so that diagnostics can name it.
#pragma once

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
    void rewind();

  private:
    std::FILE* file_;
    long line_ = 1;
};

} // namespace snphot
