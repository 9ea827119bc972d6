#include "readers.hpp"

#include "cli.hpp"
#include "scanner.hpp"

#include <span>

namespace specjoin {

namespace {

using snphot::RunFailure;
using snphot::Scanner;

// Reads the next record of numbers with the rules of scanf ("%f" fields, any white space between
// them); false at the end of the file. A field that is not a number, or a record cut short by the
// end of the file, ends the run naming the file and the line.
bool read_record(Scanner& in, const char* name, std::span<float> fields, const char* what) {
    in.skip_space();
    if (in.at_end()) return false;
    const long first_line = in.line();
    for (float& field : fields) {
        if (!in.read_float(field))
            throw RunFailure(snphot::at_line(name, in.at_end() ? first_line : in.line()), what);
    }
    return true;
}

} // namespace

Spectrum read_spectrum(std::FILE* file, const char* name, double redshift_divisor) {
    Scanner in(file, name);
    Spectrum spectrum;
    float point[2];
    while (read_record(in, name, point, "not a spectrum point of two numbers")) {
        spectrum.W.push_back(rest_wavelength(point[0], redshift_divisor));
        spectrum.F.push_back(point[1]);
    }
    if (spectrum.W.empty()) throw RunFailure(name, "the spectrum holds no point");
    return spectrum;
}

std::vector<LookupEntry> read_lookup(std::FILE* file, const char* name) {
    Scanner in(file, name);
    std::vector<LookupEntry> entries;
    float entry[3]; // edge, value, and a number that plays no part
    while (read_record(in, name, entry, "not a lookup entry of three numbers"))
        entries.push_back({entry[0], entry[1]});
    return entries;
}

} // namespace specjoin
