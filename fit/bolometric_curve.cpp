#include "bolometric_curve.hpp"

#include "lightcurve.hpp"

namespace snfit {

std::vector<Point> read_bolometric_curve(std::FILE* file, const std::string& name) {
    snphot::CurveReader in(file, name);
    std::vector<Point> points;
    double row[3];
    while (in.next(row)) points.push_back({row[0], row[1], row[2], in.row_line()});
    return points;
}

} // namespace snfit
