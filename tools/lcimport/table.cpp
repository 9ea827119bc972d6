#include "table.hpp"

#include "cli.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/types.h>

namespace lcimport {

using snphot::RunFailure;

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string trimmed(const std::string& text, std::size_t from, std::size_t to) {
    while (from < to && blank(text[from])) ++from;
    while (to > from && blank(text[to - 1])) --to;
    return text.substr(from, to - from);
}

// One comma-separated field from `at`, quoted or not; `at` is left on the comma after it (or the
// end). False when a quote is not closed.
bool comma_field(const std::string& line, std::size_t& at, std::string& field) {
    std::size_t start = at;
    while (start < line.size() && blank(line[start])) ++start;
    if (start < line.size() && line[start] == '"') {
        field.clear();
        std::size_t k = start + 1;
        for (;; ++k) {
            if (k >= line.size()) return false;
            if (line[k] != '"') {
                field.push_back(line[k]);
            } else if (k + 1 < line.size() && line[k + 1] == '"') {
                field.push_back('"');
                ++k;
            } else {
                break;
            }
        }
        at = k + 1;
        while (at < line.size() && line[at] != ',') {
            if (!blank(line[at])) return false; // text after the closing quote
            ++at;
        }
        return true;
    }
    std::size_t end = line.find(',', start);
    if (end == std::string::npos) end = line.size();
    field = trimmed(line, start, end);
    at = end;
    return true;
}

// A field in a message, between quotes; bytes that would not show (a NUL, a control character)
// are written as \xNN.
std::string quoted(const std::string& text) {
    std::string shown = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown + "\"";
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

// The fields are assigned into the strings already in `fields`, so that reading row after row of
// the same length allocates nothing.
bool split_fields(const std::string& line, bool comma_separated, std::vector<std::string>& fields) {
    std::size_t count = 0;
    auto put = [&](const std::string& text, std::size_t from, std::size_t length) {
        if (count < fields.size())
            fields[count].assign(text, from, length);
        else
            fields.emplace_back(text, from, length);
        ++count;
    };
    bool closed = true;
    if (!comma_separated) {
        std::size_t at = 0;
        while (true) {
            while (at < line.size() && blank(line[at])) ++at;
            if (at >= line.size()) break;
            std::size_t end = at;
            while (end < line.size() && !blank(line[end])) ++end;
            put(line, at, end - at);
            at = end;
        }
    } else {
        std::size_t at = 0;
        std::string field;
        while (true) {
            if (!comma_field(line, at, field)) {
                closed = false;
                break;
            }
            put(field, 0, field.size());
            if (at >= line.size()) break;
            ++at; // the comma
        }
    }
    fields.resize(count);
    return closed;
}

double reduced_jd(double time, TimeKind kind) {
    switch (kind) {
    case TimeKind::mjd:
        return time + 0.5; // MJD = JD - 2400000.5
    case TimeKind::jd:
        return time - 2400000.0;
    case TimeKind::reduced_jd:
        break;
    }
    return time;
}

namespace {

// The index of the column called `name`, or -1.
int column_of(const std::vector<std::string>& header, const std::string& name) {
    const auto found = std::find(header.begin(), header.end(), name);
    return found == header.end() ? -1 : static_cast<int>(found - header.begin());
}

} // namespace

PhotometryReader::PhotometryReader(std::FILE* file, std::string name,
                                   const ImportSettings& settings)
    : file_(file), name_(std::move(name)) {
    // The header: the first line that is neither blank nor a comment.
    if (!next_line()) throw RunFailure(name_, "no header row: the table is empty");
    header_line_ = line_;
    columns_.comma_separated = line_text_.find(',') != std::string::npos;
    std::vector<std::string> header;
    if (!split_fields(line_text_, columns_.comma_separated, header))
        refuse("a quoted column name is not closed");
    for (std::size_t c = 0; c < header.size(); ++c)
        for (std::size_t d = 0; d < c; ++d)
            if (header[c] == header[d])
                refuse("the column name " + quoted(header[c]) + " appears twice (columns " +
                       std::to_string(d + 1) + " and " + std::to_string(c + 1) + ")");
    columns_.count = header.size();

    auto required = [&](const std::string& column, const char* key) {
        const int index = column_of(header, column);
        if (index < 0)
            refuse("no column " + quoted(column) + " (name it with [import] " + key + ")");
        return index;
    };
    columns_.time_name = settings.time_column;
    if (columns_.time_name.empty())
        columns_.time_name = column_of(header, "mjd") >= 0 || column_of(header, "jd") < 0 ? "mjd"
                                                                                         : "jd";
    columns_.time = required(columns_.time_name, "time");
    columns_.band = required(settings.band_column, "band");
    columns_.mag = required(settings.mag_column, "mag");
    columns_.error = required(settings.error_column, "mag_err");
    columns_.source = column_of(header, settings.source_column);
    columns_.upper_limit = column_of(header, settings.upper_limit_column);

    if (settings.time_kind >= 0 && settings.time_kind < static_cast<int>(kTimeKindWords.size())) {
        columns_.time_kind = static_cast<TimeKind>(settings.time_kind);
    } else {
        const std::string kind = lower(columns_.time_name);
        if (kind == "mjd")
            columns_.time_kind = TimeKind::mjd;
        else if (kind == "jd")
            columns_.time_kind = TimeKind::jd;
        else
            refuse("the time column " + quoted(columns_.time_name) +
                   " does not say its kind: give [import] time_kind (\"mjd\", \"jd\" or "
                   "\"jd-2400000\")");
    }
    data_start_ = static_cast<long>(ftello(file_));
}

// The next line that is neither blank nor a comment, without its line end; false at the end. A
// line is bounded (kLongestLine characters): an endless input, a device of zeros say, is refused
// at once instead of being held whole.
bool PhotometryReader::next_line() {
    while (true) {
        line_text_.clear();
        int c = EOF;
        bool any = false;
        errno = 0;
        while ((c = getc_unlocked(file_)) != EOF) {
            any = true;
            if (c == '\n') break;
            if (line_text_.size() == kLongestLine) {
                ++line_;
                refuse("a line of more than " + std::to_string(kLongestLine) + " characters");
            }
            line_text_.push_back(static_cast<char>(c));
        }
        if (c == EOF && std::ferror(file_))
            throw RunFailure(name_, std::string("cannot read: ") +
                                        (errno ? std::strerror(errno) : "read error"));
        if (!any) return false;
        ++line_;
        while (!line_text_.empty() && line_text_.back() == '\r') line_text_.pop_back();
        std::size_t first = 0;
        while (first < line_text_.size() && blank(line_text_[first])) ++first;
        if (first < line_text_.size() && line_text_[first] != '#') return true;
    }
}

void PhotometryReader::refuse(const std::string& reason) const {
    throw RunFailure(snphot::at_line(name_, line_), reason);
}

// A field that is a finite number written out whole.
double PhotometryReader::number(int column, const char* what) const {
    const std::string& field = fields_[static_cast<std::size_t>(column)];
    const char* text = field.c_str();
    char* end = nullptr;
    const double value = field.empty() ? 0.0 : std::strtod(text, &end);
    if (field.empty() || end != text + field.size() || !std::isfinite(value))
        refuse(std::string(what) + " " + quoted(field) + " is not a finite number");
    // The light-curve files are read in single precision.
    if (std::fabs(value) > std::numeric_limits<float>::max())
        refuse(std::string(what) + " " + quoted(field) +
               " is beyond the single precision of the light-curve files");
    return value;
}

bool PhotometryReader::upper_limit_flag() const {
    if (columns_.upper_limit < 0) return false;
    const std::string flag = lower(fields_[static_cast<std::size_t>(columns_.upper_limit)]);
    if (flag == "1" || flag == "true" || flag == "t" || flag == "yes" || flag == "y") return true;
    if (flag.empty() || flag == "0" || flag == "false" || flag == "f" || flag == "no" || flag == "n")
        return false;
    refuse("upper-limit flag " + quoted(flag) + " is neither true (1, true, yes) nor false (0, "
           "false, no, empty)");
}

bool PhotometryReader::next(Measurement& row, const std::string* band) {
    do {
        if (!next_line()) return false;
        if (!split_fields(line_text_, columns_.comma_separated, fields_))
            refuse("a quoted field is not closed");
        if (fields_.size() != columns_.count)
            refuse(std::to_string(fields_.size()) + " fields where the header has " +
                   std::to_string(columns_.count));
    } while (band && fields_[static_cast<std::size_t>(columns_.band)] != *band);
    row.line = line_;
    row.band = fields_[static_cast<std::size_t>(columns_.band)];
    row.source = columns_.source >= 0 ? fields_[static_cast<std::size_t>(columns_.source)] : "";
    row.upper_limit = upper_limit_flag();
    if (row.upper_limit) return true;
    row.time = reduced_jd(number(columns_.time, "time"), columns_.time_kind);
    row.mag = number(columns_.mag, "magnitude");
    row.error = number(columns_.error, "error");
    const std::string& error = fields_[static_cast<std::size_t>(columns_.error)];
    if (!(row.error > 0)) refuse("error " + error + " is not above 0");
    // The light-curve files write six decimals: a smaller error would be written as 0 (and
    // weigh infinitely in a mean).
    if (row.error < 0.5e-6)
        refuse("error " + error + " is below the 0.000001 mag that the light-curve files hold");
    return true;
}

void PhotometryReader::rewind() {
    if (fseeko(file_, static_cast<off_t>(data_start_), SEEK_SET) != 0)
        throw RunFailure(name_, std::string("cannot read: ") + std::strerror(errno));
    line_ = header_line_;
}

} // namespace lcimport
