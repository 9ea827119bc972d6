// The bolometric light curve "bol-gorbe.txt" as bolcurve writes it: rows of reduced JD, absolute
// bolometric magnitude and uncertainty.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace snfit {

inline constexpr const char* kBolometricCurve = "bol-gorbe.txt";

struct Point {
    double date = 0;  // JD - 2400000
    double mag = 0;   // absolute bolometric magnitude
    double error = 0; // its uncertainty
    long line = 0;    // in the file, for messages
};

// Reads the rows with the suite's rule for curves: the end of the file is tested before each
// row, and a row that does not convert all three numbers ends the reading without a row; when
// that happens before the end of the file, a warning names the line.
std::vector<Point> read_bolometric_curve(std::FILE* file, const std::string& name);

} // namespace snfit
