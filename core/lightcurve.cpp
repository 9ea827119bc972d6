#include "lightcurve.hpp"

#include "cli.hpp"

namespace snphot {

namespace {

bool read_number(Scanner& in, float& value) {
    return in.read_float(value);
}
bool read_number(Scanner& in, double& value) {
    return in.read_double(value);
}

std::string count_word(std::size_t n) {
    static const char* const words[] = {"zero", "one", "two", "three", "four", "five"};
    return n < std::size(words) ? words[n] : std::to_string(n);
}

} // namespace

template <typename T> bool CurveReader::next_row(std::span<T> row) {
    if (stopped_ || scanner_.at_end()) return false;
    for (T& value : row) {
        scanner_.skip_space();
        const bool field_there = !scanner_.at_end(); // not a row cut short by the end of the file
        if (read_number(scanner_, value)) continue;
        stopped_ = true;
        if (field_there) {
            warn(at_line(name_, scanner_.field_line()),
                 "not a row of " + count_word(row.size()) +
                     " numbers; the rest of the file is not read");
        }
        return false;
    }
    scanner_.skip_space();
    return true;
}

bool CurveReader::next(std::span<float> row) {
    return next_row(row);
}

bool CurveReader::next(std::span<double> row) {
    return next_row(row);
}

bool LightCurveReader::next(LightCurveRow& row) {
    float read[4];
    if (!curve_.next(read)) return false;
    row = {read[0], read[1], read[2], read[3]};
    return true;
}

void write_light_curve_row(std::FILE* out, double time, double mag, double error, double calib) {
    std::fprintf(out, "%f %f %f %f\n", time, mag, error, calib);
}

} // namespace snphot
