// Field-by-field reading with the rules of scanf ("%f", "%s", white space matching any run of
// white space, the end-of-file indicator set by the read that reaches the end), keeping count
// of the line the next character stands on so that diagnostics can name it.
//
// Three outcomes are kept apart: a field that converts, a field that is not a number (the caller
// decides what that means for its file), and a read that fails in the system (a directory, an
// I/O error), which is never taken for the end of the data: it throws a RunFailure
// "cannot read: <reason>" naming the file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace snphot {

class Scanner {
  public:
    Scanner(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}

    // Consumes white space (a white-space directive of a scanf format).
    void skip_space();
    // skip_space, then "%f" straight into a float; false when nothing converted. A number field
    // must be a finite number written out whole: "inf", "nan", a value beyond the range of the
    // type and a field with anything after the number (a NUL byte included) do not convert.
    // The field is read only as far as it can be a number: the first byte that cannot continue
    // one ends it and is left unread, so that no input, however long, is held in memory. A
    // number of any length still converts: the digits beyond kKeptDigits significant ones are
    // folded into the exponent.
    bool read_float(float& value);
    // As read_float, but the text "nan" (the sentinel the suite writes itself for a value that
    // could not be formed) converts to NaN.
    bool read_float_or_nan(float& value);
    // skip_space, then "%lf"; false when nothing converted, as read_float.
    bool read_double(double& value);
    // skip_space, then a "%s" token; false at the end of the file. A word longer than kMaxWord
    // characters is no word of the suite's files: it throws a RunFailure naming the line.
    bool read_word(std::string& word);

    // Significant digits a number field keeps (more than a double needs to round exactly).
    static constexpr std::size_t kKeptDigits = 800;
    static constexpr std::size_t kMaxWord = 1024;

    bool at_end() const { return std::feof(file_) != 0; }
    // True when the last number field was a number but not a finite one (inf, nan, overflow).
    bool non_finite() const { return non_finite_; }
    long line() const { return line_; }
    // The line on which the last field read (or tried) started.
    long field_line() const { return field_line_; }
    const std::string& name() const { return name_; }
    void rewind();

  private:
    int get();
    void put_back(int c);
    enum class Field { number, non_finite, nan_sentinel, not_a_number, none };
    Field read_number_text();
    Field read_special_number(bool signed_field);
    bool read_exponent(long& exponent);
    template <typename T> bool convert(T& value, bool nan_allowed);

    std::FILE* file_;
    std::string name_;
    std::string token_; // the field being read (bounded), reused from field to field
    long line_ = 1;
    long field_line_ = 1;
    bool non_finite_ = false;
};

} // namespace snphot
