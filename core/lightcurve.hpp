// Light-curve files: rows of reduced JD, magnitude, measurement error and calibration error,
// written and read with "%f %f %f %f\n".
#pragma once

#include "scanner.hpp"

#include <cstdio>
#include <string>

namespace snphot {

struct LightCurveRow {
    float time = 0;  // JD - 2400000
    float mag = 0;   // magnitude
    float error = 0; // measurement error
    float calib = 0; // calibration error (zero-point scatter)
};

// Reads a light curve row by row: the end-of-file indicator is tested before each read, and a
// read that does not convert all four numbers ends the reading without a row. When that happens
// before the end of the file, a warning names the file and the line.
class LightCurveReader {
  public:
    LightCurveReader(std::FILE* file, std::string name)
        : scanner_(file, name), name_(std::move(name)) {}

    bool next(LightCurveRow& row);

  private:
    Scanner scanner_;
    std::string name_;
    bool stopped_ = false;
};

void write_light_curve_row(std::FILE* out, double time, double mag, double error, double calib);

} // namespace snphot
