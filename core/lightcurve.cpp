#include "lightcurve.hpp"

#include "cli.hpp"

namespace snphot {

bool LightCurveReader::next(LightCurveRow& row) {
    if (stopped_ || scanner_.at_end()) return false;
    LightCurveRow read;
    if (!scanner_.read_float(read.time) || !scanner_.read_float(read.mag) ||
        !scanner_.read_float(read.error) || !scanner_.read_float(read.calib)) {
        stopped_ = true;
        if (!scanner_.at_end()) {
            warn(at_line(name_, scanner_.line()),
                 "not a row of four numbers; the rest of the file is not read");
        }
        return false;
    }
    scanner_.skip_space();
    row = read;
    return true;
}

void write_light_curve_row(std::FILE* out, double time, double mag, double error, double calib) {
    std::fprintf(out, "%f %f %f %f\n", time, mag, error, calib);
}

} // namespace snphot
