// Light-curve files: rows of reduced JD, magnitude, measurement error and calibration error,
// written and read with "%f %f %f %f\n".
#pragma once

#include "scanner.hpp"

#include <cstdio>
#include <span>
#include <string>

namespace snphot {

struct LightCurveRow {
    float time = 0;  // JD - 2400000
    float mag = 0;   // magnitude
    float error = 0; // measurement error
    float calib = 0; // calibration error (zero-point scatter)
};

// Reads a curve file (a light curve, the bolometric light curve) row by row, with the suite's rule
// for curves: the end-of-file indicator is tested before each row, and a row that does not
// convert all its numbers ends the reading without a row. When a field of it is there but is not
// a number (the last field of a file without a final line end too), a warning names the file and
// the line; a row cut short by the end of the file ends the reading silently.
class CurveReader {
  public:
    CurveReader(std::FILE* file, std::string name) : scanner_(file, name), name_(std::move(name)) {}

    // The next row, its numbers in single or double precision; false at the end of the reading.
    bool next(std::span<float> row);
    bool next(std::span<double> row);
    // The line of the last number of the row read last.
    long row_line() const { return scanner_.field_line(); }

  private:
    template <typename T> bool next_row(std::span<T> row);

    Scanner scanner_;
    std::string name_;
    bool stopped_ = false;
};

// A light curve: rows of four numbers.
class LightCurveReader {
  public:
    LightCurveReader(std::FILE* file, std::string name) : curve_(file, std::move(name)) {}

    bool next(LightCurveRow& row);

  private:
    CurveReader curve_;
};

void write_light_curve_row(std::FILE* out, double time, double mag, double error, double calib);

} // namespace snphot
