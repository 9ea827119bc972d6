// The photometry table lcimport reads: a header row naming the columns, then one measurement a
// row, the fields separated by commas (when the header holds one) or by white space. Blank lines
// and lines starting with '#' are passed over; CR LF line ends read as LF ones. In a
// comma-separated table a field may be quoted ("a, b"; "" is a quote inside).
//
// Every data row is checked as it is read: the number of fields, the time, magnitude and error
// as finite numbers written out whole, an error above 0, the upper-limit flag. A row that breaks
// a rule throws a RunFailure "table:LINE: reason". A row flagged as an upper limit is handed on
// with its flag and is not checked further: its magnitude is a limit, and its error is often
// empty.
#pragma once

#include "settings.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace lcimport {

// Where the columns stand in a row (-1: not in the table).
struct Columns {
    int time = -1, band = -1, mag = -1, error = -1, source = -1, upper_limit = -1;
    std::size_t count = 0; // fields of every row
    TimeKind time_kind = TimeKind::mjd;
    std::string time_name; // the header's name of the time column
    bool comma_separated = false;
};

struct Measurement {
    double time = 0;  // JD - 2400000
    double mag = 0;   // magnitude
    double error = 0; // measurement error, > 0
    std::string band;
    std::string source; // empty when the table has no source column
    bool upper_limit = false;
    long line = 0;
};

// Splits one line (without its line end) into fields; false when a quoted field is not closed.
bool split_fields(const std::string& line, bool comma_separated, std::vector<std::string>& fields);

// JD - 2400000 of a time of the given kind.
double reduced_jd(double time, TimeKind kind);

class PhotometryReader {
  public:
    // Reads and checks the header: the columns that `settings` names must be there, each name
    // once. Throws a RunFailure naming the table and the header's line otherwise.
    PhotometryReader(std::FILE* file, std::string name, const ImportSettings& settings);

    // The next data row, checked; false at the end of the table. Given a band, the rows of other
    // bands are passed over with only their number of fields checked.
    bool next(Measurement& row, const std::string* band = nullptr);
    // Back to the first data row.
    void rewind();

    const Columns& columns() const { return columns_; }
    const std::string& name() const { return name_; }

  private:
    bool next_line();
    [[noreturn]] void refuse(const std::string& reason) const;
    double number(int column, const char* what) const;
    bool upper_limit_flag() const;

    std::FILE* file_;
    std::string name_;
    Columns columns_;
    // The longest line read: a longer one (an endless input) is refused rather than held.
    static constexpr std::size_t kLongestLine = 65536;
    std::string line_text_;
    std::vector<std::string> fields_;
    long line_ = 0;
    long header_line_ = 0;
    long data_start_ = 0; // file position of the first data row
};

} // namespace lcimport
